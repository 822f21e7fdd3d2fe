#include "views/height/view3d/cloud_filters.h"

#include <algorithm>
#include <cmath>

#include <opencv2/imgproc.hpp>

using kx::common::kxCloud;

void resizeKeepingOneCell(const cv::Mat& src, cv::Mat& dst, double fx, double fy) {
    // OpenCV rounds the target size the same way when it is given factors only.
    const int cols = cvRound(src.cols * fx);
    const int rows = cvRound(src.rows * fy);
    if (cols >= 1 && rows >= 1)
        cv::resize(src, dst, cv::Size(), fx, fy, cv::INTER_LINEAR);
    else
        cv::resize(src, dst, cv::Size(std::max(cols, 1), std::max(rows, 1)), 0, 0, cv::INTER_LINEAR);
}

int resampleCloud(const kxCloud& src, kxCloud& dst, float fx, float fy) {
    if (src.z.empty()) return -1;
    if (!(fx > 0.0f) || !(fy > 0.0f) || !std::isfinite(fx) || !std::isfinite(fy)) return -1;
    cv::Mat z;
    resizeKeepingOneCell(src.z, z, fx, fy);
    cv::Mat intensity;
    if (!src.intensity.empty()) resizeKeepingOneCell(src.intensity, intensity, fx, fy);
    cv::Mat color;
    if (!src.color.empty()) resizeKeepingOneCell(src.color, color, fx, fy);
    dst.z = z;
    dst.intensity = intensity;
    dst.color = color;
    dst.xPitch = src.xPitch / fx;
    dst.yPitch = src.yPitch / fy;
    dst.zMin = src.zMin;
    dst.zMax = src.zMax;
    dst.invalidValue = src.invalidValue;
    return 0;
}

void derivativeFilter(const cv::Mat& src, cv::Mat& dst, int dx, int dy, int size) {
    cv::Mat kx;
    cv::Mat ky;
    cv::getDerivKernels(kx, ky, dx, dy, size, true, CV_32F);
    if (dx == 0) cv::normalize(kx, kx, 1.0, 0.0, cv::NORM_INF);
    if (dy == 0) cv::normalize(ky, ky, 1.0, 0.0, cv::NORM_INF);
    cv::sepFilter2D(src, dst, CV_32F, kx, ky, cv::Point(-1, -1), 0.0, cv::BORDER_REFLECT_101);
}

void gradientBox(const cv::Mat& src, cv::Mat& dst) {
    cv::boxFilter(src, dst, -1, cv::Size(kGradientBoxSize, kGradientBoxSize), cv::Point(-1, -1), true,
                  cv::BORDER_REFLECT_101);
}

BlurWorker::BlurWorker(cv::Mat src) : src_(std::move(src)), thread_([this] { gradientBox(src_, result_); }) {}

BlurWorker::~BlurWorker() {
    if (thread_.joinable()) thread_.join();
}

const cv::Mat& BlurWorker::join() {
    if (thread_.joinable()) thread_.join();
    return result_;
}

void gradientOutlierMask(const cv::Mat& grad, const cv::Mat& weights, const cv::Mat& zeros8, cv::Mat& mask, float t) {
    BlurWorker weightedGrad(grad.mul(weights));
    cv::Mat weightSum;
    gradientBox(weights, weightSum);
    const cv::Mat& weightedSum = weightedGrad.join();
    zeros8.copyTo(mask);
    // One pass instead of a temporary image per step: fresh memory is the
    // dearest part of a large grid.
    for (int r = 0; r < grad.rows; ++r) {
        const float* g = grad.ptr<float>(r);
        const float* num = weightedSum.ptr<float>(r);
        const float* den = weightSum.ptr<float>(r);
        uint8_t* m = mask.ptr<uint8_t>(r);
        for (int c = 0; c < grad.cols; ++c) {
            const float diff = g[c] - num[c] / den[c];
            if (diff < -t || diff > t) m[c] = 255;
        }
    }
}
