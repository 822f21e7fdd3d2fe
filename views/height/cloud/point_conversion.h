#pragma once
// The loop behind the kxCloud to point-cloud conversions, written once for
// every point type and for two kinds of destination: a pcl::PointCloud (the
// exported conversions) and the PCD and PLY writers, which format each point
// straight into their file.
// Internal; includes PCL, so only the few files that convert include it.
#include <cmath>
#include <cstdint>
#include <vector>

#include <sys/mman.h>

#include <pcl/point_cloud.h>
#include <pcl/point_types.h>

#include "views/height/cloud/kx_common.h"

namespace kx::common::conversion {

// Asks for huge pages for a large buffer that several threads fill at once
// (the 3D view's mesh): fewer page faults contending for the process's memory
// map. A single thread writing a fresh buffer is faster with ordinary pages on
// the machines measured, so the conversions below do not ask. A refusal
// changes nothing.
inline void adviseHugePages(const void* data, size_t bytes) {
    constexpr uintptr_t kHuge = uintptr_t{2} << 20;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHuge - 1);
    if (data && end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

// A sink takes begin(width, height) once, before the first point (so a file
// can state its size up front), then push(point) for each point in order,
// then end(dense).
template <class Point>
class PointCloudSink {
public:
    explicit PointCloudSink(pcl::PointCloud<Point>& out) : out_(out) {}
    void begin(uint32_t width, uint32_t height) {
        out_.points.clear();
        out_.points.reserve(static_cast<size_t>(width) * height);
        out_.width = width;
        out_.height = height;
    }
    void push(const Point& point) { out_.points.push_back(point); }
    void end(bool dense) { out_.is_dense = dense; }

private:
    pcl::PointCloud<Point>& out_;
};

// The heights as CV_32FC1: z itself, or a converted copy of a single-channel
// matrix of another depth. False for several channels or more than two
// dimensions, which cannot be read as heights.
inline bool floatHeights(const cv::Mat& z, cv::Mat& heights) {
    if (z.dims > 2 || z.channels() != 1) return false;
    if (z.depth() == CV_32F)
        heights = z;
    else
        z.convertTo(heights, CV_32F);
    return true;
}

// An optional companion matrix must be empty or of the heights' size and type.
inline bool fitsHeights(const cv::Mat& companion, const cv::Mat& z, int type) {
    return companion.empty() || (companion.dims == 2 && companion.size() == z.size() && companion.type() == type);
}

struct CellVisit {
    int step = 1;
    const cv::Mat* mask = nullptr;  // CV_8UC1 of the heights' size, or none
    bool unorganized = false;
    bool withOrigins = true;
};

// Whether the cell at z[c] (mask byte m, or none) becomes a point.
inline bool keptCell(float z, const uchar* mask, int c, const CellVisit& visit, float zMin) {
    if (mask && mask[c] == 0) return false;
    return !(visit.unorganized && z < zMin);
}

// Visits the cells row by row (every step-th row and column), skips masked
// cells and, for an unorganised cloud, heights below zMin, and hands one point
// per visited cell to the sink. make(point, r, c) fills what the point type
// carries beside x, y and z. An unorganised or masked cloud is one row of the
// cells kept, counted before the first point.
template <class Point, class Sink, class Make>
void convertCells(const kxCloud& cloud, const cv::Mat& heights, const CellVisit& visit, Sink& sink, Make make) {
    const int rows = heights.rows;
    const int cols = heights.cols;
    const int step = visit.step;
    const int visitedRows = rows > 0 ? (rows - 1) / step + 1 : 0;
    const int visitedCols = cols > 0 ? (cols - 1) / step + 1 : 0;

    std::vector<float> xs(static_cast<size_t>(cols));
    std::vector<float> ys(static_cast<size_t>(rows));
    const float xOrigin = visit.withOrigins ? cloud.xOrigin : 0.0f;
    const float yOrigin = visit.withOrigins ? cloud.yOrigin : 0.0f;
    bool finite = true;
    for (int c = 0; c < cols; ++c) {
        xs[c] = (static_cast<float>(c) - xOrigin) * cloud.xPitch;
        finite = finite && std::isfinite(xs[c]);
    }
    for (int r = 0; r < rows; ++r) {
        ys[r] = (static_cast<float>(r) - yOrigin) * cloud.yPitch;
        finite = finite && std::isfinite(ys[r]);
    }

    const float zMin = cloud.zMin;
    if (visit.unorganized || visit.mask) {
        size_t kept = 0;
        for (int r = 0; r < rows; r += step) {
            const float* z = heights.ptr<float>(r);
            const uchar* mask = visit.mask ? visit.mask->ptr<uchar>(r) : nullptr;
            for (int c = 0; c < cols; c += step) kept += keptCell(z[c], mask, c, visit, zMin) ? 1 : 0;
        }
        sink.begin(static_cast<uint32_t>(kept), 1);
    } else {
        // A thinned grid is still a grid: the visited rows and columns.
        sink.begin(static_cast<uint32_t>(visitedCols), static_cast<uint32_t>(visitedRows));
    }
    for (int r = 0; r < rows; r += step) {
        const float* z = heights.ptr<float>(r);
        const uchar* mask = visit.mask ? visit.mask->ptr<uchar>(r) : nullptr;
        for (int c = 0; c < cols; c += step) {
            if (!keptCell(z[c], mask, c, visit, zMin)) continue;
            Point point;
            point.x = xs[c];
            point.y = ys[r];
            point.z = z[c];
            finite = finite && std::isfinite(z[c]);
            make(point, r, c);
            sink.push(point);
        }
    }
    sink.end(finite);
}

inline int thinningStep(const cv::Mat& z, int maxPoints) {
    if (maxPoints <= 0) return 1;
    const long long cells = static_cast<long long>(z.rows) * z.cols;
    return static_cast<int>(std::sqrt(static_cast<double>(cells / maxPoints)) + 1.0);
}

template <class Sink>
int toXyz(const kxCloud& cloud, const cv::Mat* mask, Sink& sink, bool unorganized, int maxPoints) {
    cv::Mat heights;
    if (cloud.z.empty() || !floatHeights(cloud.z, heights)) return -1;
    if (mask && (mask->empty() || !fitsHeights(*mask, heights, CV_8UC1))) return -1;
    CellVisit visit;
    visit.step = thinningStep(heights, maxPoints);
    visit.mask = mask;
    visit.unorganized = unorganized;
    convertCells<pcl::PointXYZ>(cloud, heights, visit, sink, [](pcl::PointXYZ&, int, int) {});
    return 0;
}

template <class Sink>
int toXyzi(const kxCloud& cloud, Sink& sink, bool unorganized) {
    cv::Mat heights;
    if (!floatHeights(cloud.z, heights)) return -1;
    if (!heights.empty() && !fitsHeights(cloud.intensity, heights, CV_8UC1)) return -1;
    const cv::Mat& intensity = cloud.intensity;
    CellVisit visit;
    visit.unorganized = unorganized;
    convertCells<pcl::PointXYZI>(cloud, heights, visit, sink, [&intensity](pcl::PointXYZI& point, int r, int c) {
        point.intensity = intensity.empty() ? 0.0f : static_cast<float>(intensity.ptr<uchar>(r)[c]);
    });
    return 0;
}

template <class Sink>
int toXyzRgba(const kxCloud& cloud, Sink& sink, bool unorganized) {
    cv::Mat heights;
    if (!floatHeights(cloud.z, heights)) return -1;
    if (!heights.empty() &&
        (!fitsHeights(cloud.intensity, heights, CV_8UC1) || !fitsHeights(cloud.color, heights, CV_8UC3)))
        return -1;
    const cv::Mat& intensity = cloud.intensity;
    const cv::Mat& color = cloud.color;
    CellVisit visit;
    visit.unorganized = unorganized;
    visit.withOrigins = false;
    convertCells<pcl::PointXYZRGBA>(
        cloud, heights, visit, sink, [&intensity, &color](pcl::PointXYZRGBA& point, int r, int c) {
            if (color.empty()) {
                point.r = point.g = point.b = 0;
            } else {
                const uchar* rgb = color.ptr<uchar>(r) + 3 * c;
                point.r = rgb[0];
                point.g = rgb[1];
                point.b = rgb[2];
            }
            point.a = intensity.empty() ? 0 : intensity.ptr<uchar>(r)[c];
        });
    return 0;
}

}  // namespace kx::common::conversion
