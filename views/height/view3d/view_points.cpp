#include "views/height/view3d/view_points.h"

#include "views/height/cloud/point_conversion.h"
#include "views/height/view3d/cloud_filters.h"

using kx::common::kxCloud;

bool thinnedCloud(const kxCloud& cloud, float xyScale, kxCloud& out) {
    if (cloud.z.empty()) return false;
    if (xyScale > kSmallestXyScale) return resampleCloud(cloud, out, xyScale, xyScale) == 0;
    out = cloud;
    return true;
}

pcl::PointCloud<pcl::PointXYZ>::Ptr buildViewPoints(const kxCloud& cloud, float xyScale) {
    pcl::PointCloud<pcl::PointXYZ>::Ptr points(new pcl::PointCloud<pcl::PointXYZ>);
    kxCloud grid;
    if (!thinnedCloud(cloud, xyScale, grid) || grid.z.type() != CV_32FC1) return points;
    const cv::Mat& z = grid.z;
    points->reserve(static_cast<size_t>(z.rows) * static_cast<size_t>(z.cols));
    kx::common::conversion::adviseHugePages(points->data(), points->points.capacity() * sizeof(pcl::PointXYZ));
    for (int r = 0; r < z.rows; ++r) {
        const float* row = z.ptr<float>(r);
        const float y = -(static_cast<float>(r) * grid.yPitch);
        for (int c = 0; c < z.cols; ++c) {
            const float h = row[c];
            if (h != grid.invalidValue && h > grid.zMin && h <= grid.zMax)
                points->push_back(pcl::PointXYZ(static_cast<float>(c) * grid.xPitch, y, h));
        }
    }
    return points;
}
