// The PCD and PLY files writeCloud makes are, byte for byte, what PCL's own
// writers make of the converted point cloud (the PLY writer is fed PCL's blob
// directly, to hold one copy of the points instead of two).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <pcl/io/pcd_io.h>
#include <pcl/io/ply_io.h>

#include "tests/support/temp_dir.h"
#include "views/height/cloud/kx_point_cloud.h"

namespace {

using namespace kx::common;
namespace fs = std::filesystem;

kxCloud sample() {
    kxCloud cloud;
    cloud.z = cv::Mat(4, 5, CV_32FC1);
    cloud.intensity = cv::Mat(4, 5, CV_8UC1);
    cloud.color = cv::Mat(4, 5, CV_8UC3);
    cv::randu(cloud.z, -5.0f, 5.0f);
    cv::randu(cloud.intensity, 0, 256);
    cv::randu(cloud.color, 0, 256);
    cloud.z.at<float>(2, 2) = -9999.0f;
    cloud.z.at<float>(0, 4) = std::numeric_limits<float>::quiet_NaN();
    cloud.xPitch = 0.02f;
    cloud.yPitch = 0.05f;
    cloud.zMin = -4.0f;
    cloud.zMax = 4.0f;
    cloud.xOrigin = 2.5f;
    return cloud;
}

std::string bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

template <class Point>
void writeReference(const pcl::PointCloud<Point>& points, const fs::path& path, cloudFileType type) {
    if (type == CLOUD_FILE_PCD_BINARY) pcl::PCDWriter().writeBinary(path.string(), points);
    if (type == CLOUD_FILE_PCD_ASCII) pcl::PCDWriter().writeASCII(path.string(), points, 8);
    if (type == CLOUD_FILE_PLY_BINARY || type == CLOUD_FILE_PLY_ASCII)
        pcl::PLYWriter().write(path.string(), points, type == CLOUD_FILE_PLY_BINARY, true);
}

TEST(PclWriterBytes, PointFilesAreWhatPclWritesOfTheConversion) {
    mirevo::test::TempDir dir;
    const kxCloud cloud = sample();
    for (const cloudFileType type :
         {CLOUD_FILE_PCD_BINARY, CLOUD_FILE_PCD_ASCII, CLOUD_FILE_PLY_BINARY, CLOUD_FILE_PLY_ASCII}) {
        const bool pcd = type == CLOUD_FILE_PCD_BINARY || type == CLOUD_FILE_PCD_ASCII;
        for (const cloudChannelType channel : {CLOUD_CHANNEL_Z, CLOUD_CHANNEL_INTENSITY, CLOUD_CHANNEL_COLOR}) {
            for (const cloudOrganizeType organize : {CLOUD_ORGANIZED, CLOUD_UNORGANIZED}) {
                SCOPED_TRACE(std::to_string(type) + " channel " + std::to_string(channel) + " organize " +
                             std::to_string(organize));
                const fs::path ours = dir.path() / (pcd ? "ours.pcd" : "ours.ply");
                const fs::path reference = dir.path() / (pcd ? "reference.pcd" : "reference.ply");
                ASSERT_EQ(writeCloud(cloud, ours.string(), type, channel, organize), 0);
                const bool unorganized = organize == CLOUD_UNORGANIZED;
                if (channel == CLOUD_CHANNEL_Z) {
                    pcl::PointCloud<pcl::PointXYZ> points;
                    ASSERT_EQ(kxCloudToPointCloud(cloud, points, unorganized, 0), 0);
                    writeReference(points, reference, type);
                } else if (channel == CLOUD_CHANNEL_INTENSITY) {
                    pcl::PointCloud<pcl::PointXYZI> points;
                    ASSERT_EQ(kxCloudToPointCloudI(cloud, points, unorganized), 0);
                    writeReference(points, reference, type);
                } else {
                    pcl::PointCloud<pcl::PointXYZRGBA> points;
                    ASSERT_EQ(kxCloudToPointCloudRGBA(cloud, points, unorganized), 0);
                    writeReference(points, reference, type);
                }
                const std::string expected = bytesOf(reference);
                ASSERT_FALSE(expected.empty());
                EXPECT_EQ(bytesOf(ours), expected);
            }
        }
    }
}

}  // namespace
