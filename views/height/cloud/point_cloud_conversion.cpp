#include "views/height/cloud/kx_point_cloud.h"
#include "views/height/cloud/point_conversion.h"

namespace kx::common {

using conversion::PointCloudSink;

int kxCloudToPointCloud(const kxCloud& cloud, pcl::PointCloud<pcl::PointXYZ>& out, const bool& unorganized,
                        const int& maxPoints) {
    PointCloudSink<pcl::PointXYZ> sink(out);
    return conversion::toXyz(cloud, nullptr, sink, unorganized, maxPoints);
}

int kxCloudToPointCloud(const kxCloud& cloud, const cv::Mat& mask, pcl::PointCloud<pcl::PointXYZ>& out,
                        const bool& unorganized, const int& maxPoints) {
    PointCloudSink<pcl::PointXYZ> sink(out);
    return conversion::toXyz(cloud, &mask, sink, unorganized, maxPoints);
}

int kxCloudToPointCloudI(const kxCloud& cloud, pcl::PointCloud<pcl::PointXYZI>& out, const bool& unorganized) {
    PointCloudSink<pcl::PointXYZI> sink(out);
    return conversion::toXyzi(cloud, sink, unorganized);
}

int kxCloudToPointCloudRGBA(const kxCloud& cloud, pcl::PointCloud<pcl::PointXYZRGBA>& out, const bool& unorganized) {
    PointCloudSink<pcl::PointXYZRGBA> sink(out);
    return conversion::toXyzRgba(cloud, sink, unorganized);
}

}  // namespace kx::common
