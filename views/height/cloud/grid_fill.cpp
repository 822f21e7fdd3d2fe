#include "views/height/cloud/grid_fill.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>

namespace kx::common {
namespace {

// Where each point of a cloud goes in the grid.
class CellRule {
public:
    template <class Point>
    CellRule(const pcl::PointCloud<Point>& points, const kxCloud& cloud)
        : organised_(points.height > 1),
          width_(points.width),
          rows_(cloud.z.rows),
          cols_(cloud.z.cols),
          fileOrder_(!(cloud.xPitch > 0) || !(cloud.yPitch > 0)),
          xScale_(fileOrder_ ? 0.0f : 1.0f / cloud.xPitch),
          yScale_(fileOrder_ ? 0.0f : 1.0f / cloud.yPitch) {}

    // Row and column of point i at (x, y); false when it lies outside the grid.
    bool cell(size_t i, float x, float y, int& r, int& c) const {
        if (organised_ || fileOrder_) {
            const size_t width = organised_ ? width_ : static_cast<size_t>(cols_);
            if (width == 0) return false;
            const size_t row = i / width;
            const size_t col = i % width;
            if (row >= static_cast<size_t>(rows_) || col >= static_cast<size_t>(cols_)) return false;
            r = static_cast<int>(row);
            c = static_cast<int>(col);
            return true;
        }
        return rounded(x * xScale_, cols_, c) && rounded(y * yScale_, rows_, r);
    }

private:
    // Adds 0.5 and truncates (so values just below 0 still give 0); the range
    // is checked before the conversion, which would be undefined outside int.
    static bool rounded(float scaled, int limit, int& index) {
        const double shifted = static_cast<double>(scaled) + 0.5;
        if (!(shifted > -1.0 && shifted < static_cast<double>(limit))) return false;
        index = static_cast<int>(shifted);
        return true;
    }

    bool organised_;
    size_t width_;
    int rows_;
    int cols_;
    bool fileOrder_;
    float xScale_;
    float yScale_;
};

// Two neighbour differences of float coordinates are equal when they differ by
// no more than the coordinates' own resolution: the float epsilon for values
// up to about 1, growing with their size.
bool sameSpacing(double first, double second, float a0, float a1, float b0, float b1) {
    const double scale = std::max(std::fabs(a0), std::fabs(a1)) + std::max(std::fabs(b0), std::fabs(b1));
    return std::fabs(second - first) <= static_cast<double>(FLT_EPSILON) * std::max(1.0, scale);
}

// Evenly spaced coordinates along count points starting at index 0, stride
// apart; coordinate(i) reads one. Gives the spacing, or false.
template <class Coordinate>
bool evenSpacing(size_t count, size_t stride, Coordinate coordinate, float& pitch) {
    const float a0 = coordinate(0);
    const float a1 = coordinate(stride);
    const double first = static_cast<double>(a1) - static_cast<double>(a0);
    for (size_t k = 1; k + 1 < count; ++k) {
        const float b0 = coordinate(k * stride);
        const float b1 = coordinate((k + 1) * stride);
        const double next = static_cast<double>(b1) - static_cast<double>(b0);
        if (!sameSpacing(first, next, a0, a1, b0, b1)) return false;
    }
    if (!std::isfinite(first)) return false;
    pitch = static_cast<float>(first);
    return true;
}

template <class Point>
bool derivePitches(const pcl::PointCloud<Point>& points, kxCloud& cloud) {
    const size_t w = points.width;
    const size_t h = points.height;
    float xPitch = cloud.xPitch;
    float yPitch = cloud.yPitch;
    bool even = true;
    if (!(xPitch > 0) && w > 1) even = evenSpacing(w, 1, [&](size_t i) { return points[i].x; }, xPitch);
    if (even && !(yPitch > 0) && h > 1) even = evenSpacing(h, w, [&](size_t i) { return points[i].y; }, yPitch);
    if (!even) {
        cloud.xPitch = 0.0f;
        cloud.yPitch = 0.0f;
        return false;
    }
    cloud.xPitch = xPitch;
    cloud.yPitch = yPitch;
    return true;
}

template <class Point>
void fillGrid(const pcl::PointCloud<Point>& points, kxCloud& cloud) {
    if (!pointsFitGrid(points, cloud)) return;
    if (points.height > 1 && !derivePitches(points, cloud)) return;

    const bool measureRange = cloud.zMin == cloud.zMax;
    if (measureRange) {
        cloud.zMin = FLT_MAX;
        cloud.zMax = -FLT_MAX;
    }
    const CellRule rule(points, cloud);
    for (size_t i = 0; i < points.size(); ++i) {
        const Point& point = points[i];
        int r = 0;
        int c = 0;
        if (!rule.cell(i, point.x, point.y, r, c)) continue;
        cloud.z.ptr<float>(r)[c] = point.z;
        if (measureRange && !std::isnan(point.z)) {
            cloud.zMin = std::min(cloud.zMin, point.z);
            cloud.zMax = std::max(cloud.zMax, point.z);
        }
    }
}

// The integer part's low 8 bits; values outside the 64-bit range (and NaN)
// have no integer part to speak of and give 0.
uchar lowByte(float value) {
    if (!(std::fabs(value) < 9.2e18f)) return 0;
    return static_cast<uchar>(static_cast<int64_t>(value) & 0xFF);
}

}  // namespace

void fillGridFromPoints(const pcl::PointCloud<pcl::PointXYZ>& points, kxCloud& cloud) { fillGrid(points, cloud); }
void fillGridFromPoints(const pcl::PointCloud<pcl::PointXYZI>& points, kxCloud& cloud) { fillGrid(points, cloud); }
void fillGridFromPoints(const pcl::PointCloud<pcl::PointXYZRGBA>& points, kxCloud& cloud) {
    fillGrid(points, cloud);
}

void fillIntensityFromPoints(const pcl::PointCloud<pcl::PointXYZI>& points, kxCloud& cloud) {
    cloud.intensity = cv::Mat::zeros(cloud.z.size(), CV_8UC1);
    if (!pointsFitGrid(points, cloud)) return;
    const CellRule rule(points, cloud);
    for (size_t i = 0; i < points.size(); ++i) {
        int r = 0;
        int c = 0;
        if (rule.cell(i, points[i].x, points[i].y, r, c)) cloud.intensity.ptr<uchar>(r)[c] = lowByte(points[i].intensity);
    }
}

void fillColorFromPoints(const pcl::PointCloud<pcl::PointXYZRGBA>& points, kxCloud& cloud) {
    cloud.color = cv::Mat::zeros(cloud.z.size(), CV_8UC3);
    cloud.intensity = cv::Mat::zeros(cloud.z.size(), CV_8UC1);
    if (!pointsFitGrid(points, cloud)) return;
    const CellRule rule(points, cloud);
    for (size_t i = 0; i < points.size(); ++i) {
        const pcl::PointXYZRGBA& point = points[i];
        int r = 0;
        int c = 0;
        if (!rule.cell(i, point.x, point.y, r, c)) continue;
        uchar* rgb = cloud.color.ptr<uchar>(r) + 3 * c;
        rgb[0] = point.r;
        rgb[1] = point.g;
        rgb[2] = point.b;
        cloud.intensity.ptr<uchar>(r)[c] = point.a;
    }
}

}  // namespace kx::common
