#pragma once
// Points read from a PCD or PLY file back into the cells of a kxCloud whose
// z is already the grid's size (rows x cols). Internal to the library.
//
// The points come from any source with `width`, `height`, size() and
// operator[](i) giving a PCL point: a pcl::PointCloud, or the points of a
// file's body read in place.
//
// Cell of a point: in an organised cloud (height > 1) point i lies at row
// i / width, column i % width; in an unorganised one at the rounded x / xPitch
// and y / yPitch, or, when a pitch is not positive, in file order (row
// i / cols, column i % cols). Points outside the grid are skipped.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "views/height/cloud/kx_common.h"

namespace kx::common {

// True when an organised cloud fits the grid: width x height points, at most
// the grid's columns and rows. Unorganised clouds always fit.
template <class Points>
bool pointsFitGrid(const Points& points, const kxCloud& cloud) {
    if (points.height <= 1) return true;
    return static_cast<size_t>(points.width) * points.height == points.size() &&
           points.width <= static_cast<uint32_t>(cloud.z.cols) && points.height <= static_cast<uint32_t>(cloud.z.rows);
}

namespace grid {

// Two neighbour differences of float coordinates are equal when they differ by
// no more than the coordinates' own resolution.
bool sameSpacing(double first, double second, float a0, float a1, float b0, float b1);

// The integer part's low 8 bits (0 for NaN and values beyond 64 bits).
uchar lowByte(float value);

// Where each point of a cloud goes in the grid.
class CellRule {
public:
    template <class Points>
    CellRule(const Points& points, const kxCloud& cloud)
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

    // True when the points land on every cell of the grid, one each.
    bool coversGrid() const {
        return organised_ && width_ == static_cast<size_t>(cols_) && width_ > 0;
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

template <class Points>
bool derivePitches(const Points& points, kxCloud& cloud) {
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

// A fresh matrix of the grid's size: left as it comes when the points will
// write every cell, else filled with `empty` first (never both).
inline void makeCells(cv::Mat& cells, const kxCloud& cloud, int type, const cv::Scalar& empty, bool covered) {
    cells.create(cloud.z.size(), type);
    if (!covered) cells.setTo(empty);
}

// Whether the points will write every cell of the grid.
template <class Points>
bool coversGrid(const Points& points, const kxCloud& cloud, const CellRule& rule) {
    return rule.coversGrid() && points.height == static_cast<uint32_t>(cloud.z.rows);
}

// place(point, row, column) for every point that has a cell in the grid.
template <class Points, class Place>
void placePoints(const Points& points, const CellRule& rule, Place place) {
    for (size_t i = 0; i < points.size(); ++i) {
        const auto point = points[i];
        int r = 0;
        int c = 0;
        if (rule.cell(i, point.x, point.y, r, c)) place(point, r, c);
    }
}

}  // namespace grid

// Heights into z; cells that get no point hold invalidValue. An organised
// cloud without positive pitches gives them from its first row and column,
// which must be evenly spaced; otherwise both pitches become 0 and the grid
// stays invalid. When zMin equals zMax the range is measured over the cells
// written.
template <class Points>
void fillGridFromPoints(const Points& points, kxCloud& cloud) {
    const bool fits = pointsFitGrid(points, cloud);
    const bool even = fits && (points.height <= 1 || grid::derivePitches(points, cloud));
    const grid::CellRule rule(points, cloud);
    const bool covered = even && grid::coversGrid(points, cloud, rule);
    grid::makeCells(cloud.z, cloud, CV_32FC1, cv::Scalar(cloud.invalidValue), covered);
    if (!even) return;

    const bool measureRange = cloud.zMin == cloud.zMax;
    float zMin = FLT_MAX;
    float zMax = -FLT_MAX;
    grid::placePoints(points, rule, [&](const auto& point, int r, int c) {
        cloud.z.ptr<float>(r)[c] = point.z;
        if (measureRange && !std::isnan(point.z)) {
            zMin = std::min(zMin, point.z);
            zMax = std::max(zMax, point.z);
        }
    });
    if (measureRange) {
        cloud.zMin = zMin;
        cloud.zMax = zMax;
    }
}

// intensity := zeros, then each point's intensity (its integer part's low
// 8 bits) at its cell.
template <class Points>
void fillIntensityFromPoints(const Points& points, kxCloud& cloud) {
    const bool fits = pointsFitGrid(points, cloud);
    const grid::CellRule rule(points, cloud);
    const bool covered = fits && grid::coversGrid(points, cloud, rule);
    grid::makeCells(cloud.intensity, cloud, CV_8UC1, cv::Scalar(0), covered);
    if (!fits) return;
    grid::placePoints(points, rule, [&](const auto& point, int r, int c) {
        cloud.intensity.ptr<uchar>(r)[c] = grid::lowByte(point.intensity);
    });
}

// color and intensity := zeros, then red, green, blue into the colour
// channels 0, 1, 2 and alpha into the intensity at each point's cell.
template <class Points>
void fillColorFromPoints(const Points& points, kxCloud& cloud) {
    const bool fits = pointsFitGrid(points, cloud);
    const grid::CellRule rule(points, cloud);
    const bool covered = fits && grid::coversGrid(points, cloud, rule);
    grid::makeCells(cloud.color, cloud, CV_8UC3, cv::Scalar::all(0), covered);
    grid::makeCells(cloud.intensity, cloud, CV_8UC1, cv::Scalar(0), covered);
    if (!fits) return;
    grid::placePoints(points, rule, [&](const auto& point, int r, int c) {
        uchar* rgb = cloud.color.ptr<uchar>(r) + 3 * c;
        rgb[0] = point.r;
        rgb[1] = point.g;
        rgb[2] = point.b;
        cloud.intensity.ptr<uchar>(r)[c] = point.a;
    });
}

}  // namespace kx::common
