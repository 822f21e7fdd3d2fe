#pragma once
// Image steps of the 3D view: thinning a height-map cloud, the gradients of a
// height grid and the mask of cells whose gradient stands out from its
// neighbourhood. OpenCV only; no GL.
#include <opencv2/core/mat.hpp>

#include <thread>

#include "views/height/cloud/kx_common.h"

// Resizes src by fx along x and fy along y with linear interpolation. A side
// that would round to nothing keeps one cell (OpenCV refuses an empty target).
void resizeKeepingOneCell(const cv::Mat& src, cv::Mat& dst, double fx, double fy);

// z, and intensity and colour when present, of src resized by fx and fy into
// dst (linear interpolation; every side at least one cell); dst's pitches
// are src's divided by the factors, range and invalid height are copied.
// -1 (dst untouched) for an empty z or a factor that is not positive; else 0.
int resampleCloud(const kx::common::kxCloud& src, kx::common::kxCloud& dst, float fx, float fy);

// The first derivative (dx 1, dy 0 or dx 0, dy 1) of a float image with
// OpenCV's normalised separable derivative kernels of the given size; the
// smoothing kernel across the derivative is scaled to a largest coefficient
// of 1. Reflect-101 border, 32-bit float result.
void derivativeFilter(const cv::Mat& src, cv::Mat& dst, int dx, int dy, int size = 7);

// A 31 x 31 box filter (reflect-101 border) of one image on its own thread;
// join() waits for the result.
class BlurWorker {
public:
    explicit BlurWorker(cv::Mat src);
    ~BlurWorker();
    BlurWorker(const BlurWorker&) = delete;
    BlurWorker& operator=(const BlurWorker&) = delete;
    const cv::Mat& join();

private:
    cv::Mat src_;
    cv::Mat result_;
    std::thread thread_;
};

constexpr int kGradientBoxSize = 31;

// 255 where grad differs from its weighted 31 x 31 neighbourhood mean,
// box(grad x weights) / box(weights), by more than t (either way); 0 elsewhere
// (zeros8, an 8-bit image of grad's size, is the starting mask). The box of
// grad x weights runs on a BlurWorker while this thread filters the weights.
void gradientOutlierMask(const cv::Mat& grad, const cv::Mat& weights, const cv::Mat& zeros8, cv::Mat& mask, float t);

// The box filter both halves of gradientOutlierMask use.
void gradientBox(const cv::Mat& src, cv::Mat& dst);
