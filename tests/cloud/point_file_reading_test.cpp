// Reading PCD and PLY files: a header that PCL reads otherwise than the file
// check is refused before any data is read, and the binary bodies read in
// place give the grid that PCL's own reading of the file gives.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <type_traits>

#include <pcl/io/pcd_io.h>
#include <pcl/io/ply_io.h>

#include "tests/cloud/random_grid.h"
#include "tests/support/temp_dir.h"
#include "views/height/cloud/cloud_file_parts.h"
#include "views/height/cloud/grid_fill.h"
#include "views/height/cloud/point_file_check.h"

namespace {

using namespace kx::common;
namespace fs = std::filesystem;

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

const cloudChannelType kChannels[] = {CLOUD_CHANNEL_Z, CLOUD_CHANNEL_INTENSITY, CLOUD_CHANNEL_COLOR};

// A 3 x 2 organised cloud of x y z, as text or as little-endian floats.
std::string pcdFile(const std::string& afterComment, const std::string& beforeData, bool binary) {
    std::string bytes = "# .PCD v0.7 - Point Cloud Data file format\n" + afterComment +
                        "VERSION 0.7\nFIELDS x y z\nSIZE 4 4 4\nTYPE F F F\nCOUNT 1 1 1\nWIDTH 3\nHEIGHT 2\n"
                        "VIEWPOINT 0 0 0 1 0 0 0\nPOINTS 6\n" +
                        beforeData + (binary ? "DATA binary\n" : "DATA ascii\n");
    for (int i = 0; i < 6; ++i) {
        const float point[3] = {0.5f * static_cast<float>(i % 3), 0.25f * static_cast<float>(i / 3),
                                1.0f + static_cast<float>(i)};
        if (binary)
            bytes.append(reinterpret_cast<const char*>(point), sizeof point);
        else
            bytes += std::to_string(point[0]) + " " + std::to_string(point[1]) + " " + std::to_string(point[2]) + "\n";
    }
    return bytes;
}

int readGrid(const fs::path& path, cloudChannelType channel, kxCloud& cloud) {
    const bool pcd = path.extension() == ".pcd";
    return readCloud(path.string(), pcd ? CLOUD_FILE_PCD_BINARY : CLOUD_FILE_PLY_BINARY, cloud, 0.5f, 0.25f, 3, 2,
                     0.0f, 10.0f, -9999.0f, channel);
}

// A line of blanks ends PCL's PCD header where the check went on: PCL then
// found no points and crashed reading them. An empty line both skip.
TEST(PointFileHeaders, PcdHeaderPclReadsOtherwiseIsRefused) {
    mirevo::test::TempDir dir;
    const struct {
        const char* name;
        std::string afterComment;
        std::string beforeData;
        bool refused;
    } cases[] = {
        {"one space after the comment", " \n", "", true},
        {"a tab", "\t\n", "", true},
        {"blanks and a carriage return", "  \t \r\n", "", true},
        {"a carriage return alone", "\r\n", "", true},
        {"one space before DATA", "", " \n", true},
        {"an empty line", "\n", "\n", false},
        {"nothing odd", "", "", false},
    };
    for (const auto& header : cases) {
        for (const bool binary : {false, true}) {
            SCOPED_TRACE(std::string(header.name) + (binary ? ", binary" : ", ascii"));
            const fs::path path = dir.path() / "scan.pcd";
            writeBytes(path, pcdFile(header.afterComment, header.beforeData, binary));
            PcdHeader checked;
            ASSERT_TRUE(pcdFileIsSound(path.string(), checked));  // the check alone takes every one of them
            EXPECT_EQ(pclReadsPcdHeaderAlike(path.string(), checked), !header.refused);
            for (const cloudChannelType channel : kChannels) {
                kxCloud cloud;
                EXPECT_EQ(readGrid(path, channel, cloud), header.refused ? -1 : 0);
                EXPECT_EQ(cloud.z.empty(), header.refused);
            }
        }
    }
}

// The same gap in the PLY check: headers the check reads as their text says,
// which PCL's parser reads otherwise.
TEST(PointFileHeaders, PlyHeaderPclReadsOtherwiseIsRefused) {
    mirevo::test::TempDir dir;
    const std::string vertices = "element vertex 6\nproperty float x\nproperty float y\nproperty float z\n";
    std::string body;
    for (int i = 0; i < 6; ++i) {
        const float point[3] = {0.5f * static_cast<float>(i % 3), 0.25f * static_cast<float>(i / 3),
                                1.0f + static_cast<float>(i)};
        body.append(reinterpret_cast<const char*>(point), sizeof point);
    }
    const struct {
        const char* name;
        std::string header;
        bool refused;
    } cases[] = {
        // PCL takes the first line's CR LF as every line's end.
        {"CR LF after ply alone", "ply\r\nformat binary_little_endian 1.0\n" + vertices + "end_header\n", true},
        // PCL knows no signed 16-bit list length.
        {"list of short length", "ply\nformat binary_little_endian 1.0\n" + vertices +
                                     "element face 0\nproperty list short int vertex_indices\nend_header\n", true},
        // A 32-bit length PCL reads as unsigned, of the same size.
        {"list of int length", "ply\nformat binary_little_endian 1.0\n" + vertices +
                                   "element face 0\nproperty list int int vertex_indices\nend_header\n", false},
        {"CR LF throughout", "ply\r\nformat binary_little_endian 1.0\r\nelement vertex 6\r\nproperty float x\r\n"
                             "property float y\r\nproperty float z\r\nend_header\r\n", false},
    };
    for (const auto& file : cases) {
        SCOPED_TRACE(file.name);
        const fs::path path = dir.path() / "scan.ply";
        writeBytes(path, file.header + body);
        PlyHeader checked;
        ASSERT_TRUE(plyFileIsSound(path.string(), checked));
        EXPECT_EQ(pclReadsPlyHeaderAlike(path.string(), checked), !file.refused);
        for (const cloudChannelType channel : kChannels) {
            kxCloud cloud;
            EXPECT_EQ(readGrid(path, channel, cloud), file.refused ? -1 : 0);
        }
    }
}

// The grid PCL's own reading of a file gives: PCL's points of the channel's
// type, laid into the grid by the same rules as readCloud's.
template <class Point>
kxCloud gridFromPcl(const fs::path& path, const kxCloud& request) {
    pcl::PointCloud<Point> points;
    const int read = path.extension() == ".pcd" ? pcl::io::loadPCDFile(path.string(), points)
                                                : pcl::io::loadPLYFile(path.string(), points);
    EXPECT_EQ(read, 0);
    kxCloud expected;
    expected.xPitch = request.xPitch;
    expected.yPitch = request.yPitch;
    expected.zMin = request.zMin;
    expected.zMax = request.zMax;
    expected.invalidValue = request.invalidValue;
    expected.z.create(request.z.size(), CV_32FC1);
    if constexpr (std::is_same_v<Point, pcl::PointXYZI>) fillIntensityFromPoints(points, expected);
    if constexpr (std::is_same_v<Point, pcl::PointXYZRGBA>) fillColorFromPoints(points, expected);
    fillGridFromPoints(points, expected);
    return expected;
}

bool sameBytes(const cv::Mat& a, const cv::Mat& b) {
    if (a.empty() || b.empty()) return a.empty() && b.empty();
    return a.size() == b.size() && a.type() == b.type() && a.isContinuous() && b.isContinuous() &&
           std::memcmp(a.data, b.data, a.total() * a.elemSize()) == 0;  // NaN heights included
}

void expectPclsGrid(const fs::path& path, int cols, int rows, float xPitch, float yPitch) {
    for (const cloudChannelType channel : kChannels) {
        SCOPED_TRACE(path.filename().string() + " channel " + std::to_string(channel));
        kxCloud read;
        const bool pcd = path.extension() == ".pcd";
        ASSERT_EQ(readCloud(path.string(), pcd ? CLOUD_FILE_PCD_BINARY : CLOUD_FILE_PLY_BINARY, read, xPitch, yPitch,
                            cols, rows, 0.0f, 0.0f, -9999.0f, channel),
                  0);
        kxCloud request = read;
        request.xPitch = xPitch;
        request.yPitch = yPitch;
        request.zMin = request.zMax = 0.0f;  // measured from the points
        const kxCloud expected = channel == CLOUD_CHANNEL_INTENSITY ? gridFromPcl<pcl::PointXYZI>(path, request)
                                 : channel == CLOUD_CHANNEL_COLOR   ? gridFromPcl<pcl::PointXYZRGBA>(path, request)
                                                                    : gridFromPcl<pcl::PointXYZ>(path, request);
        EXPECT_TRUE(sameBytes(read.z, expected.z));
        EXPECT_TRUE(sameBytes(read.intensity, expected.intensity));
        EXPECT_TRUE(sameBytes(read.color, expected.color));
        EXPECT_EQ(read.xPitch, expected.xPitch);
        EXPECT_EQ(read.yPitch, expected.yPitch);
        EXPECT_EQ(read.zMin, expected.zMin);
        EXPECT_EQ(read.zMax, expected.zMax);
    }
}

// The library's own binary files, read in place with each channel's point
// type (whether or not the file carries its fields).
TEST(PointFilesInPlace, OwnBinaryFilesGiveWhatPclReads) {
    mirevo::test::TempDir dir;
    const kxCloud cloud = cloud_test::randomGrid(0.5f, 0.25f);
    for (const cloudFileType type : {CLOUD_FILE_PCD_BINARY, CLOUD_FILE_PLY_BINARY}) {
        for (const cloudChannelType channel : kChannels) {
            for (const cloudOrganizeType organize : {CLOUD_ORGANIZED, CLOUD_UNORGANIZED}) {
                const fs::path path = dir.path() / ("c" + std::to_string(channel) + "o" + std::to_string(organize) +
                                                    (type == CLOUD_FILE_PCD_BINARY ? ".pcd" : ".ply"));
                ASSERT_EQ(writeCloud(cloud, path.string(), type, channel, organize), 0);
                expectPclsGrid(path, 5, 4, 0.5f, 0.25f);
                // Without pitches an organised file gives them from its points.
                if (organize == CLOUD_ORGANIZED) expectPclsGrid(path, 5, 4, 0.0f, 0.0f);
            }
        }
    }
}

// Binary PCD files of other layouts: fields in another order, a field of
// another type than the point's, padding, colour as PCL's float "rgb".
TEST(PointFilesInPlace, OtherPcdLayoutsGiveWhatPclReads) {
    mirevo::test::TempDir dir;
    const struct {
        const char* fields;
        const char* sizes;
        const char* types;
        const char* counts;
    } layouts[] = {
        {"z y x intensity", "4 4 4 4", "F F F F", "1 1 1 1"},
        {"x _ y z rgb", "4 1 4 4 4", "F U F F F", "1 3 1 1 1"},
        {"x y z intensity", "8 4 4 2", "F F F U", "1 1 1 1"},
        {"normal_x x y z rgba curvature", "4 4 4 4 4 4", "F F F F U F", "1 1 1 1 1 1"},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.fields);
        const std::string header = std::string("# .PCD v0.7\nVERSION 0.7\nFIELDS ") + layout.fields + "\nSIZE " +
                                   layout.sizes + "\nTYPE " + layout.types + "\nCOUNT " + layout.counts +
                                   "\nWIDTH 3\nHEIGHT 2\nVIEWPOINT 0 0 0 1 0 0 0\nPOINTS 6\nDATA binary\n";
        size_t pointBytes = 0;
        {
            std::istringstream sizes(layout.sizes);
            std::istringstream counts(layout.counts);
            for (size_t size = 0, count = 0; sizes >> size && counts >> count;) pointBytes += size * count;
        }
        std::string body(6 * pointBytes, '\0');
        for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>((i * 131 + 7) % 251);
        writeBytes(dir.path() / "other.pcd", header + body);
        expectPclsGrid(dir.path() / "other.pcd", 3, 2, 0.5f, 0.25f);
    }
}

}  // namespace
