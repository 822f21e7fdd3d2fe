#pragma once
// Conversions of a kxCloud into PCL point clouds. This is the only public
// header of the image and cloud interface that includes PCL.
//
// Each returns 0 when done and -1 when refused, and replaces the points of
// `out`. With `unorganized` only cells whose height is not below zMin become
// points, in one row; otherwise every visited cell does, invalid heights
// included. Heights of another single-channel depth are converted to float;
// several channels, or an intensity, colour or mask that does not fit the
// heights, are refused.
#include <pcl/point_cloud.h>
#include <pcl/point_types.h>

#include "views/height/cloud/kx_common.h"

namespace kx::common {

// maxPoints > 0 thins the grid to about that many cells by visiting every
// s-th row and column; an empty z is refused.
KX_COMMON_API int kxCloudToPointCloud(const kxCloud& cloud, pcl::PointCloud<pcl::PointXYZ>& out,
                                      const bool& unorganized, const int& maxPoints);

// Only cells whose 8-bit mask byte is non-zero; the result is always one row.
KX_COMMON_API int kxCloudToPointCloud(const kxCloud& cloud, const cv::Mat& mask,
                                      pcl::PointCloud<pcl::PointXYZ>& out, const bool& unorganized,
                                      const int& maxPoints);

// Intensity byte as a float 0 to 255 (0 without intensity).
KX_COMMON_API int kxCloudToPointCloudI(const kxCloud& cloud, pcl::PointCloud<pcl::PointXYZI>& out,
                                       const bool& unorganized);

// Colour from `color` (black without), alpha from `intensity` (0 without);
// x = c * xPitch and y = r * yPitch, without the origins.
KX_COMMON_API int kxCloudToPointCloudRGBA(const kxCloud& cloud, pcl::PointCloud<pcl::PointXYZRGBA>& out,
                                          const bool& unorganized);

}  // namespace kx::common
