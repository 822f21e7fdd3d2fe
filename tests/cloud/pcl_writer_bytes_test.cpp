// The PCD and PLY files writeCloud makes are, byte for byte, what PCL's own
// writers make of the converted point cloud (writeCloud formats the points
// itself, straight into the file).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

#include <pcl/io/pcd_io.h>
#include <pcl/io/ply_io.h>

#include "tests/cloud/random_grid.h"
#include "tests/support/temp_dir.h"
#include "views/height/cloud/kx_point_cloud.h"

namespace {

using namespace kx::common;
namespace fs = std::filesystem;

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

// Every point file type, channel and organisation of the cloud, against PCL's
// writer of the converted cloud.
void expectPclsBytes(const kxCloud& cloud) {
    mirevo::test::TempDir dir;
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

TEST(PclWriterBytes, PointFilesAreWhatPclWritesOfTheConversion) {
    kxCloud cloud = cloud_test::randomGrid(0.02f, 0.05f);
    cloud.xOrigin = 2.5f;
    expectPclsBytes(cloud);
}

// Heights a grid holds and those that test a formatter: the invalid height,
// negatives, zeros of both signs, large and small magnitudes, halfway and
// carrying roundings of 8 significant digits, and the values without digits.
TEST(PclWriterBytes, RepresentativeValuesAreWrittenAsPclWritesThem) {
    const float values[] = {-9999.0f, 0.0f, -0.0f, 1.0f, -1.0f, 12.5f, -31.98f, 0.02f, 0.1f, 1.0f / 3.0f,
                            -2.0f / 3.0f, 1e-4f, 9.9999e-5f, 1.5e-7f, -3e-12f, 123456.78f, 1234567.8f, 12345678.0f,
                            99999999.0f, 123456789.0f, -4.2e15f, 3.4028235e38f, 1e-38f, 1e-45f, 1048576.25f,
                            1048576.75f, 2097152.5f, 0.99999999f, 99999.999f, 9999999.5f, 255.0f, 65535.0f,
                            std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::quiet_NaN()};
    constexpr int kCols = 6;
    constexpr int kRows = (sizeof values / sizeof values[0] + kCols - 1) / kCols;
    kxCloud cloud;
    cloud.z = cv::Mat(kRows, kCols, CV_32FC1, cv::Scalar(-9999.0f));
    cloud.intensity = cv::Mat(kRows, kCols, CV_8UC1);
    cloud.color = cv::Mat(kRows, kCols, CV_8UC3);
    for (size_t i = 0; i < sizeof values / sizeof values[0]; ++i)
        cloud.z.at<float>(static_cast<int>(i) / kCols, static_cast<int>(i) % kCols) = values[i];
    for (int i = 0; i < kRows * kCols; ++i) {
        cloud.intensity.at<uchar>(i / kCols, i % kCols) = static_cast<uchar>(i * 37);
        cloud.color.at<cv::Vec3b>(i / kCols, i % kCols) =
            cv::Vec3b(static_cast<uchar>(255 - i), static_cast<uchar>(i * 11), static_cast<uchar>(i % 2 ? 0 : 255));
    }
    // Coordinates with long fractions, negative left of the origin.
    cloud.xPitch = 0.0123457f;
    cloud.yPitch = 1234.5678f;
    cloud.xOrigin = 2.5f;
    cloud.yOrigin = 1.0f;
    cloud.zMin = -100.0f;  // the unorganised files drop what lies below
    cloud.zMax = 100.0f;
    expectPclsBytes(cloud);
}

}  // namespace
