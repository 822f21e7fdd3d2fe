#pragma once
// Points read from a PCD or PLY file back into the cells of a kxCloud whose
// z is already the grid (rows x cols, filled with invalidValue). Internal;
// includes PCL.
//
// Cell of a point: in an organised cloud (height > 1) point i lies at row
// i / width, column i % width; in an unorganised one at the rounded x / xPitch
// and y / yPitch, or, when a pitch is not positive, in file order (row
// i / cols, column i % cols). Points outside the grid are skipped.
#include <pcl/point_cloud.h>
#include <pcl/point_types.h>

#include "views/height/cloud/kx_common.h"

namespace kx::common {

// True when an organised cloud fits the grid: width x height points, at most
// the grid's columns and rows. Unorganised clouds always fit.
template <class Point>
bool pointsFitGrid(const pcl::PointCloud<Point>& points, const kxCloud& cloud) {
    if (points.height <= 1) return true;
    return static_cast<size_t>(points.width) * points.height == points.size() &&
           points.width <= static_cast<uint32_t>(cloud.z.cols) && points.height <= static_cast<uint32_t>(cloud.z.rows);
}

// Heights into z. An organised cloud without positive pitches gives them from
// its first row and column, which must be evenly spaced; otherwise both pitches
// become 0 and the grid stays invalid. When zMin equals zMax the range is
// measured over the cells written.
void fillGridFromPoints(const pcl::PointCloud<pcl::PointXYZ>& points, kxCloud& cloud);
void fillGridFromPoints(const pcl::PointCloud<pcl::PointXYZI>& points, kxCloud& cloud);
void fillGridFromPoints(const pcl::PointCloud<pcl::PointXYZRGBA>& points, kxCloud& cloud);

// intensity := zeros, then each point's intensity (its integer part's low
// 8 bits) at its cell.
void fillIntensityFromPoints(const pcl::PointCloud<pcl::PointXYZI>& points, kxCloud& cloud);
// color and intensity := zeros, then red, green, blue into the colour
// channels 0, 1, 2 and alpha into the intensity at each point's cell.
void fillColorFromPoints(const pcl::PointCloud<pcl::PointXYZRGBA>& points, kxCloud& cloud);

}  // namespace kx::common
