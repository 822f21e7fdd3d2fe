#pragma once
// The loop behind the kxCloud to point-cloud conversions, written once for
// every point type and for two destinations: a pcl::PointCloud (the exported
// conversions, the PCD writer) and the raw blob the PLY writer takes, so a
// PLY file is written from one copy of the points instead of two.
// Internal; includes PCL, so only the few files that convert include it.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include <sys/mman.h>

#include <pcl/PCLPointCloud2.h>
#include <pcl/conversions.h>
#include <pcl/point_cloud.h>
#include <pcl/point_types.h>

#include "views/height/cloud/kx_common.h"

namespace kx::common::conversion {

// A whole grid of points is hundreds of megabytes written once from start to
// end; huge pages take one page fault per 2 MB instead of per 4 KB (about
// twice as fast to fill on the machines measured). A refusal changes nothing.
inline void adviseHugePages(const void* data, size_t bytes) {
    constexpr uintptr_t kHuge = uintptr_t{2} << 20;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHuge - 1);
    if (data && end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

template <class Point>
class PointCloudSink {
public:
    explicit PointCloudSink(pcl::PointCloud<Point>& out) : out_(out) {}
    void begin(size_t capacity) {
        out_.points.clear();
        out_.points.reserve(capacity);
        adviseHugePages(out_.points.data(), out_.points.capacity() * sizeof(Point));
    }
    void push(const Point& point) { out_.points.push_back(point); }
    void end(uint32_t width, uint32_t height, bool dense) {
        out_.width = width;
        out_.height = height;
        out_.is_dense = dense;
    }

private:
    pcl::PointCloud<Point>& out_;
};

template <class Point>
class BlobSink {
public:
    explicit BlobSink(pcl::PCLPointCloud2& out) : out_(out) {}
    void begin(size_t capacity) {
        pcl::toPCLPointCloud2(pcl::PointCloud<Point>(), out_);  // fields and point step of the type
        out_.data.clear();
        out_.data.reserve(capacity * sizeof(Point));
        adviseHugePages(out_.data.data(), out_.data.capacity());
    }
    void push(const Point& point) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(&point);
        out_.data.insert(out_.data.end(), bytes, bytes + sizeof(Point));
    }
    void end(uint32_t width, uint32_t height, bool dense) {
        out_.width = width;
        out_.height = height;
        out_.is_dense = dense;
        out_.row_step = out_.point_step * width;
    }

private:
    pcl::PCLPointCloud2& out_;
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

// Visits the cells row by row (every step-th row and column), skips masked
// cells and, for an unorganised cloud, heights below zMin, and hands one point
// per visited cell to the sink. make(point, r, c) fills what the point type
// carries beside x, y and z.
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

    sink.begin(static_cast<size_t>(visitedRows) * static_cast<size_t>(visitedCols));
    const float zMin = cloud.zMin;
    size_t count = 0;
    for (int r = 0; r < rows; r += step) {
        const float* z = heights.ptr<float>(r);
        const uchar* mask = visit.mask ? visit.mask->ptr<uchar>(r) : nullptr;
        for (int c = 0; c < cols; c += step) {
            if (mask && mask[c] == 0) continue;
            if (visit.unorganized && z[c] < zMin) continue;
            Point point;
            point.x = xs[c];
            point.y = ys[r];
            point.z = z[c];
            finite = finite && std::isfinite(z[c]);
            make(point, r, c);
            sink.push(point);
            ++count;
        }
    }
    if (visit.unorganized || visit.mask) {
        sink.end(static_cast<uint32_t>(count), 1, finite);
    } else {
        // A thinned grid is still a grid: the visited rows and columns.
        sink.end(static_cast<uint32_t>(visitedCols), static_cast<uint32_t>(visitedRows), finite);
    }
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
