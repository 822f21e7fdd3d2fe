// writeCloud and readCloud: refusals, failed writes, the companion images and
// the readers' rules for grids, pitches and ranges.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include <opencv2/imgcodecs.hpp>

#include "tests/support/temp_dir.h"
#include "views/height/cloud/cloud_file_parts.h"

namespace {

using namespace kx::common;
namespace fs = std::filesystem;

const cloudFileType kTypes[] = {CLOUD_FILE_NONE,       CLOUD_FILE_TIFF,      CLOUD_FILE_TIF,
                                CLOUD_FILE_CSV,        CLOUD_FILE_PCD_BINARY, CLOUD_FILE_PCD_ASCII,
                                CLOUD_FILE_PLY_BINARY, CLOUD_FILE_PLY_ASCII};

const char* extensionOf(cloudFileType type) {
    switch (type) {
        case CLOUD_FILE_TIFF: return ".tiff";
        case CLOUD_FILE_TIF: return ".tif";
        case CLOUD_FILE_CSV: return ".csv";
        case CLOUD_FILE_PCD_BINARY:
        case CLOUD_FILE_PCD_ASCII: return ".pcd";
        case CLOUD_FILE_PLY_BINARY:
        case CLOUD_FILE_PLY_ASCII: return ".ply";
        default: return ".dat";
    }
}

// 3 x 4 heights 0.5 * (r * 4 + c), pitches 0.5 and 0.25.
kxCloud smallCloud() {
    cv::Mat z(3, 4, CV_32FC1);
    for (int i = 0; i < 12; ++i) z.at<float>(i / 4, i % 4) = 0.5f * static_cast<float>(i);
    kxCloud cloud(z, 0.5f, 0.25f, -10.0f, 10.0f, -9999.0f);
    cloud.intensity = cv::Mat(3, 4, CV_8UC1, cv::Scalar(40));
    cloud.color = cv::Mat(3, 4, CV_8UC3, cv::Scalar(200, 100, 30));
    return cloud;
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int readAs(const fs::path& path, cloudFileType type, kxCloud& cloud, float xPitch = 0.5f, float yPitch = 0.25f,
           int cols = 0, int rows = 0, float zMin = -10.0f, float zMax = 10.0f,
           cloudChannelType channel = CLOUD_CHANNEL_Z) {
    return readCloud(path.string(), type, cloud, xPitch, yPitch, cols, rows, zMin, zMax, -9999.0f, channel);
}

int write(const kxCloud& cloud, const fs::path& path, cloudFileType type, cloudChannelType channel = CLOUD_CHANNEL_Z,
          cloudOrganizeType organize = CLOUD_ORGANIZED) {
    return writeCloud(cloud, path.string(), type, channel, organize);
}

class CloudFiles : public ::testing::Test {
protected:
    fs::path at(const std::string& name) const { return dir_.path() / name; }
    mirevo::test::TempDir dir_;
};

TEST_F(CloudFiles, EmptyHeightsAreRefusedForEveryType) {
    const kxCloud empty;
    for (const cloudFileType type : kTypes) {
        SCOPED_TRACE(type);
        EXPECT_EQ(write(empty, at(std::string("scan") + extensionOf(type)), type), -1);
    }
    EXPECT_TRUE(fs::is_empty(dir_.path()));
}

TEST_F(CloudFiles, PathRefusals) {
    const kxCloud cloud = smallCloud();
    writeText(at("plain"), "x");
    const mirevo::test::ScopedWorkingDir inside(dir_.path());
    EXPECT_EQ(write(cloud, "", CLOUD_FILE_CSV), -1);
    EXPECT_EQ(write(cloud, "scan.csv", CLOUD_FILE_CSV), -1);  // no folder part
    EXPECT_EQ(write(cloud, at("missing") / "scan.csv", CLOUD_FILE_CSV), -1);
    EXPECT_EQ(write(cloud, at("plain") / "scan.csv", CLOUD_FILE_CSV), -1);  // folder is a file
    EXPECT_EQ(write(cloud, at("scan"), CLOUD_FILE_CSV), -1);                // no extension
    EXPECT_EQ(write(cloud, at("scan.csv"), static_cast<cloudFileType>(8)), -1);
    EXPECT_EQ(write(cloud, at("scan.csv"), static_cast<cloudFileType>(-1)), -1);
    EXPECT_FALSE(fs::exists(at("scan.csv")));
    EXPECT_FALSE(fs::exists(at("scan")));
}

TEST_F(CloudFiles, ExtensionsAreCaseSensitiveAndTypeSpecific) {
    const kxCloud cloud = smallCloud();
    EXPECT_EQ(write(cloud, at("scan.TIFF"), CLOUD_FILE_TIFF), -1);
    EXPECT_EQ(write(cloud, at("scan.tif"), CLOUD_FILE_TIFF), -1);
    EXPECT_EQ(write(cloud, at("scan.tif"), CLOUD_FILE_TIF), 0);
    EXPECT_EQ(write(cloud, at("scan.tiff"), CLOUD_FILE_TIF), -1);
    EXPECT_EQ(write(cloud, at("scan.ply"), CLOUD_FILE_PCD_BINARY), -1);
    EXPECT_EQ(write(cloud, at("scan.pcd"), CLOUD_FILE_PLY_ASCII), -1);
    EXPECT_EQ(write(cloud, at("scan.Csv"), CLOUD_FILE_CSV), -1);
    EXPECT_EQ(write(cloud, at("scan.pcd"), CLOUD_FILE_PCD_ASCII), 0);
}

TEST_F(CloudFiles, TypeNoneWritesAndReadsNothing) {
    const kxCloud cloud = smallCloud();
    EXPECT_EQ(write(cloud, at("scan.any"), CLOUD_FILE_NONE), 0);
    EXPECT_FALSE(fs::exists(at("scan.any")));
    writeText(at("scan.any"), "1, 2\n");
    kxCloud read = smallCloud();
    EXPECT_EQ(readAs(at("scan.any"), CLOUD_FILE_NONE, read), 0);
    EXPECT_FALSE(read.z.empty());
}

// Paths that exist as folders cannot be opened for writing, even by root.
TEST_F(CloudFiles, FailedWritesAreReported) {
    const kxCloud cloud = smallCloud();
    for (const cloudFileType type : kTypes) {
        if (type == CLOUD_FILE_NONE) continue;
        SCOPED_TRACE(type);
        const fs::path path = at(std::string("taken") + std::to_string(type) + extensionOf(type));
        fs::create_directory(path);
        EXPECT_EQ(write(cloud, path, type, CLOUD_CHANNEL_INTENSITY), -1);
    }
    // The companion image's failure counts too.
    fs::create_directory(at("companion.bmp"));
    EXPECT_EQ(write(cloud, at("companion.csv"), CLOUD_FILE_CSV, CLOUD_CHANNEL_INTENSITY), -1);
}

// PCL writes an empty PCD file but refuses to write an empty PLY file.
TEST_F(CloudFiles, UnorganisedCloudWithoutValidPoints) {
    kxCloud cloud = smallCloud();
    cloud.z.setTo(-9999.0f);
    cloud.zMin = 0.0f;
    ASSERT_EQ(write(cloud, at("none.pcd"), CLOUD_FILE_PCD_BINARY, CLOUD_CHANNEL_Z, CLOUD_UNORGANIZED), 0);
    EXPECT_NE(readText(at("none.pcd")).find("\nPOINTS 0\n"), std::string::npos);
    EXPECT_EQ(write(cloud, at("none.ply"), CLOUD_FILE_PLY_ASCII, CLOUD_CHANNEL_Z, CLOUD_UNORGANIZED), -1);
}

TEST_F(CloudFiles, CompanionImagesByChannel) {
    const kxCloud cloud = smallCloud();
    ASSERT_EQ(write(cloud, at("z.csv"), CLOUD_FILE_CSV, CLOUD_CHANNEL_Z), 0);
    ASSERT_EQ(write(cloud, at("i.csv"), CLOUD_FILE_CSV, CLOUD_CHANNEL_INTENSITY), 0);
    ASSERT_EQ(write(cloud, at("c.csv"), CLOUD_FILE_CSV, CLOUD_CHANNEL_COLOR), 0);
    EXPECT_FALSE(fs::exists(at("z.bmp")) || fs::exists(at("z.jpg")));
    EXPECT_TRUE(fs::exists(at("i.bmp")));
    EXPECT_FALSE(fs::exists(at("i.jpg")));
    EXPECT_TRUE(fs::exists(at("c.jpg")));
    EXPECT_FALSE(fs::exists(at("c.bmp")));

    kxCloud read;
    ASSERT_EQ(readAs(at("c.csv"), CLOUD_FILE_CSV, read, 0.5f, 0.25f, 0, 0, -10, 10, CLOUD_CHANNEL_COLOR), 0);
    EXPECT_EQ(read.color.type(), CV_8UC3);
    EXPECT_TRUE(read.intensity.empty());
    ASSERT_EQ(readAs(at("i.csv"), CLOUD_FILE_CSV, read, 0.5f, 0.25f, 0, 0, -10, 10, CLOUD_CHANNEL_INTENSITY), 0);
    EXPECT_EQ(cv::norm(read.intensity, cloud.intensity, cv::NORM_INF), 0.0);
    EXPECT_TRUE(read.color.empty());
}

TEST_F(CloudFiles, CompanionImageThatDoesNotFitIsRefused) {
    const kxCloud cloud = smallCloud();
    ASSERT_EQ(write(cloud, at("scan.csv"), CLOUD_FILE_CSV), 0);
    ASSERT_TRUE(cv::imwrite(at("scan.bmp").string(), cv::Mat(2, 2, CV_8UC1, cv::Scalar(1))));
    kxCloud read;
    EXPECT_EQ(readAs(at("scan.csv"), CLOUD_FILE_CSV, read, 0.5f, 0.25f, 0, 0, -10, 10, CLOUD_CHANNEL_INTENSITY), -1);
    EXPECT_EQ(readAs(at("scan.csv"), CLOUD_FILE_CSV, read), 0);  // channel 0 does not look at it
}

TEST_F(CloudFiles, ReadRefusals) {
    const kxCloud cloud = smallCloud();
    ASSERT_EQ(write(cloud, at("scan.tif"), CLOUD_FILE_TIF), 0);
    ASSERT_EQ(write(cloud, at("scan.tiff"), CLOUD_FILE_TIFF), 0);
    fs::copy_file(at("scan.tiff"), at("upper.TIFF"));
    fs::copy_file(at("scan.tiff"), at("noext"));
    kxCloud read = smallCloud();
    EXPECT_EQ(readAs(at("scan.tif"), CLOUD_FILE_TIF, read), -1);
    EXPECT_EQ(readAs(at("missing.tiff"), CLOUD_FILE_TIFF, read), -1);
    EXPECT_EQ(readAs("", CLOUD_FILE_TIFF, read), -1);
    EXPECT_EQ(readAs(at("noext"), CLOUD_FILE_TIFF, read), -1);
    EXPECT_EQ(readAs(at("scan.tiff"), static_cast<cloudFileType>(9), read), -1);
    EXPECT_EQ(readAs(dir_.path(), CLOUD_FILE_TIFF, read), -1);  // a folder
    // An extension mismatch leaves the cloud as it was.
    EXPECT_EQ(readAs(at("upper.TIFF"), CLOUD_FILE_TIFF, read), -1);
    EXPECT_EQ(readAs(at("scan.tiff"), CLOUD_FILE_CSV, read), -1);
    EXPECT_FALSE(read.z.empty());
    EXPECT_FALSE(read.color.empty());
}

TEST_F(CloudFiles, EqualRangeLeavesHeightsEmpty) {
    const kxCloud cloud = smallCloud();
    ASSERT_EQ(write(cloud, at("scan.csv"), CLOUD_FILE_CSV), 0);
    ASSERT_EQ(write(cloud, at("scan.tiff"), CLOUD_FILE_TIFF), 0);
    for (const auto& [name, type] : {std::pair{"scan.csv", CLOUD_FILE_CSV}, std::pair{"scan.tiff", CLOUD_FILE_TIFF}}) {
        SCOPED_TRACE(name);
        kxCloud read = smallCloud();
        EXPECT_EQ(readAs(at(name), type, read, 0.5f, 0.25f, 0, 0, 3.0f, 3.0f), 0);
        EXPECT_TRUE(read.z.empty());
        EXPECT_EQ(read.zMin, 3.0f);
        EXPECT_EQ(readAs(at(name), type, read, 0.0f, 0.25f), 0);  // no pitch: no heights either
        EXPECT_TRUE(read.z.empty());
        EXPECT_EQ(readAs(at(name), type, read), 0);
        EXPECT_EQ(cv::norm(read.z, cloud.z, cv::NORM_INF), 0.0);
        EXPECT_EQ(read.xPitch, 0.5f);
        EXPECT_EQ(read.invalidValue, -9999.0f);
    }
}

TEST_F(CloudFiles, ColourTiffIsNotHeights) {
    ASSERT_TRUE(cv::imwrite(at("colour.tiff").string(), cv::Mat(3, 3, CV_8UC3, cv::Scalar(1, 2, 3))));
    kxCloud read;
    EXPECT_EQ(readAs(at("colour.tiff"), CLOUD_FILE_TIFF, read), -1);
    EXPECT_TRUE(read.z.empty());
}

TEST_F(CloudFiles, SixteenBitTiffBecomesFloatHeights) {
    cv::Mat z16(2, 3, CV_16UC1, cv::Scalar(1234));
    const kxCloud cloud(z16, 1.0f, 1.0f, 0.0f, 70000.0f, -9999.0f);
    ASSERT_EQ(write(cloud, at("scan.tiff"), CLOUD_FILE_TIFF), 0);
    kxCloud read;
    ASSERT_EQ(readAs(at("scan.tiff"), CLOUD_FILE_TIFF, read, 1.0f, 1.0f, 0, 0, 0.0f, 70000.0f), 0);
    EXPECT_EQ(read.z.type(), CV_32FC1);
    EXPECT_EQ(read.z.at<float>(1, 2), 1234.0f);
}

TEST_F(CloudFiles, CsvThatIsNoDataIsRefused) {
    writeText(at("empty.csv"), "");
    writeText(at("ragged.csv"), "1, 2, 3\n4, 5\n");
    kxCloud read;
    EXPECT_EQ(readAs(at("empty.csv"), CLOUD_FILE_CSV, read), -1);
    EXPECT_EQ(readAs(at("ragged.csv"), CLOUD_FILE_CSV, read), -1);
    writeText(at("good.csv"), "1, 2, 3\n4, 5, 6\n\n");
    ASSERT_EQ(readAs(at("good.csv"), CLOUD_FILE_CSV, read), 0);
    EXPECT_EQ(read.z.rows, 2);
    EXPECT_EQ(read.z.cols, 3);
    EXPECT_EQ(read.z.at<float>(1, 2), 6.0f);
}

// A PCD file of points given as text lines "x y z".
std::string pcdText(int width, int height, const std::vector<std::string>& points, const std::string& extra = "") {
    std::string text = "# .PCD v0.7\nVERSION 0.7\nFIELDS x y z\nSIZE 4 4 4\nTYPE F F F\nCOUNT 1 1 1\n";
    if (width >= 0) text += "WIDTH " + std::to_string(width) + "\n";
    text += "HEIGHT " + std::to_string(height) + "\n" + extra + "VIEWPOINT 0 0 0 1 0 0 0\nPOINTS " +
            std::to_string(points.size()) + "\nDATA ascii\n";
    for (const std::string& point : points) text += point + "\n";
    return text;
}

TEST_F(CloudFiles, UnorganisedPcdNeedsGridAndPitches) {
    kxCloud cloud = smallCloud();
    cloud.z.at<float>(1, 1) = -9999.0f;
    cloud.zMin = 0.0f;
    ASSERT_EQ(write(cloud, at("scan.pcd"), CLOUD_FILE_PCD_BINARY, CLOUD_CHANNEL_Z, CLOUD_UNORGANIZED), 0);
    kxCloud read;
    EXPECT_EQ(readAs(at("scan.pcd"), CLOUD_FILE_PCD_BINARY, read, 0.5f, 0.25f, 0, 3), -1);
    EXPECT_EQ(readAs(at("scan.pcd"), CLOUD_FILE_PCD_BINARY, read, 0.5f, 0.25f, 4, 0), -1);
    EXPECT_EQ(readAs(at("scan.pcd"), CLOUD_FILE_PCD_BINARY, read, 0.0f, 0.25f, 4, 3), -1);
    ASSERT_EQ(readAs(at("scan.pcd"), CLOUD_FILE_PCD_BINARY, read, 0.5f, 0.25f, 4, 3, 0.0f, 10.0f), 0);
    EXPECT_EQ(cv::norm(read.z, cloud.z, cv::NORM_INF), 0.0);  // the dropped cell holds invalidValue
}

TEST_F(CloudFiles, OrganisedPcdGivesPitchesAndGrid) {
    kxCloud cloud = smallCloud();
    ASSERT_EQ(write(cloud, at("scan.pcd"), CLOUD_FILE_PCD_ASCII), 0);
    kxCloud read;
    ASSERT_EQ(readAs(at("scan.pcd"), CLOUD_FILE_PCD_ASCII, read, 0.0f, 0.0f, 0, 0), 0);
    EXPECT_EQ(read.xPitch, 0.5f);
    EXPECT_EQ(read.yPitch, 0.25f);
    EXPECT_EQ(cv::norm(read.z, cloud.z, cv::NORM_INF), 0.0);
    // A larger grid given by the caller holds the file's grid in its corner.
    ASSERT_EQ(readAs(at("scan.pcd"), CLOUD_FILE_PCD_ASCII, read, 0.0f, 0.0f, 6, 5), 0);
    EXPECT_EQ(read.z.size(), cv::Size(6, 5));
    EXPECT_EQ(read.z.at<float>(2, 3), cloud.z.at<float>(2, 3));
    EXPECT_EQ(read.z.at<float>(4, 5), -9999.0f);
}

TEST_F(CloudFiles, OrganisedPcdOfRealisticPitchesGivesThem) {
    // 0.02 mm over 200 columns centred on the middle: the coordinates' float
    // resolution is far above the float epsilon.
    cv::Mat z(3, 200, CV_32FC1, cv::Scalar(1.5));
    kxCloud cloud(z, 0.02f, 0.05f, -5.0f, 5.0f, -9999.0f);
    cloud.xOrigin = 100.0f;
    cloud.yOrigin = 1.0f;
    ASSERT_EQ(write(cloud, at("fine.pcd"), CLOUD_FILE_PCD_BINARY), 0);
    kxCloud read;
    ASSERT_EQ(readAs(at("fine.pcd"), CLOUD_FILE_PCD_BINARY, read, 0.0f, 0.0f), 0);
    EXPECT_NEAR(read.xPitch, 0.02f, 1e-6);
    EXPECT_NEAR(read.yPitch, 0.05f, 1e-6);
    EXPECT_EQ(read.z.at<float>(2, 199), 1.5f);
}

TEST_F(CloudFiles, UnevenOrganisedPcdLeavesPitchesZeroAndGridInvalid) {
    writeText(at("uneven.pcd"), pcdText(3, 2, {"0 0 1", "1 0 2", "2.5 0 3", "0 1 4", "1 1 5", "2 1 6"}));
    kxCloud read;
    ASSERT_EQ(readAs(at("uneven.pcd"), CLOUD_FILE_PCD_ASCII, read, 0.0f, 0.0f), 0);
    EXPECT_EQ(read.xPitch, 0.0f);
    EXPECT_EQ(read.yPitch, 0.0f);
    ASSERT_EQ(read.z.size(), cv::Size(3, 2));
    EXPECT_EQ(cv::countNonZero(read.z != -9999.0f), 0);
}

TEST_F(CloudFiles, EqualRangeIsMeasuredFromThePoints) {
    writeText(at("range.pcd"), pcdText(2, 2, {"0 0 -1", "1 0 nan", "0 1 7", "1 1 2"}));
    kxCloud read;
    ASSERT_EQ(readAs(at("range.pcd"), CLOUD_FILE_PCD_ASCII, read, 0.0f, 0.0f, 0, 0, 0.0f, 0.0f), 0);
    EXPECT_EQ(read.zMin, -1.0f);
    EXPECT_EQ(read.zMax, 7.0f);
    EXPECT_TRUE(std::isnan(read.z.at<float>(0, 1)));
}

TEST_F(CloudFiles, PcdOverrunsAreRefused) {
    const std::vector<std::string> six = {"0 0 1", "1 0 2", "2 0 3", "0 1 4", "1 1 5", "2 1 6"};
    writeText(at("wide.pcd"), pcdText(3, 2, six));
    writeText(at("nowidth.pcd"), pcdText(-1, 2, six));
    writeText(at("short.pcd"), pcdText(3, 2, {"0 0 1", "1 0 2", "2 0 3", "0 1 4"}));
    std::string overflow = pcdText(3, 2, six);
    overflow.replace(overflow.find("WIDTH 3"), 7, "WIDTH 99999999999");
    writeText(at("overflow.pcd"), overflow);
    kxCloud read;
    EXPECT_EQ(readAs(at("wide.pcd"), CLOUD_FILE_PCD_ASCII, read, 0.0f, 0.0f, 2, 2), -1);  // 3 x 2 into 2 x 2
    EXPECT_EQ(readAs(at("wide.pcd"), CLOUD_FILE_PCD_ASCII, read, 0.0f, 0.0f, 3, 1), -1);
    EXPECT_EQ(readAs(at("nowidth.pcd"), CLOUD_FILE_PCD_ASCII, read, 0.0f, 0.0f), -1);
    EXPECT_EQ(readAs(at("short.pcd"), CLOUD_FILE_PCD_ASCII, read, 0.0f, 0.0f), -1);
    EXPECT_EQ(readAs(at("overflow.pcd"), CLOUD_FILE_PCD_ASCII, read, 0.0f, 0.0f), -1);
    EXPECT_TRUE(read.z.empty());
    EXPECT_EQ(readAs(at("wide.pcd"), CLOUD_FILE_PCD_ASCII, read, 0.0f, 0.0f, 3, 2), 0);
}

TEST_F(CloudFiles, PlyOfTheWholeGridIsAcceptedWithoutPitches) {
    kxCloud cloud = smallCloud();
    ASSERT_EQ(write(cloud, at("grid.ply"), CLOUD_FILE_PLY_BINARY, CLOUD_CHANNEL_Z), 0);
    kxCloud read;
    EXPECT_EQ(readAs(at("grid.ply"), CLOUD_FILE_PLY_BINARY, read, 0.0f, 0.0f, 0, 3), -1);
    EXPECT_EQ(readAs(at("grid.ply"), CLOUD_FILE_PLY_BINARY, read, 0.0f, 0.0f, 5, 3), -1);
    ASSERT_EQ(readAs(at("grid.ply"), CLOUD_FILE_PLY_BINARY, read, 0.0f, 0.0f, 4, 3), 0);
    EXPECT_EQ(cv::norm(read.z, cloud.z, cv::NORM_INF), 0.0);
}

TEST_F(CloudFiles, UnorganisedPlyWithoutPitchesIsLaidInFileOrder) {
    // No camera element: PCL reads the vertices as one row.
    writeText(at("row.ply"),
              "ply\nformat ascii 1.0\nelement vertex 6\nproperty float x\nproperty float y\nproperty float z\n"
              "end_header\n5 5 1\n5 5 2\n5 5 3\n5 5 4\n5 5 5\n5 5 6\n");
    kxCloud read;
    ASSERT_EQ(readAs(at("row.ply"), CLOUD_FILE_PLY_ASCII, read, 0.0f, 0.0f, 3, 2), 0);
    const cv::Mat expected = (cv::Mat_<float>(2, 3) << 1, 2, 3, 4, 5, 6);
    EXPECT_EQ(cv::norm(read.z, expected, cv::NORM_INF), 0.0);
}

TEST(ReadHeaderSize, PrintsWhatItFindsAndStopsAtTheData) {
    mirevo::test::TempDir dir;
    const fs::path pcd = dir.path() / "a.pcd";
    writeText(pcd, "VERSION 0.7\nWIDTH  1 2\nHEIGHT 3\nDATA binary\nWIDTH 99\n");
    int width = 0;
    int height = 0;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(readHeaderSize(pcd.string(), width, height), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "str_W: 12\nstr_H: 3\n");
    EXPECT_EQ(width, 12);
    EXPECT_EQ(height, 3);

    writeText(pcd, "VERSION 0.7\nDATA ascii\nWIDTH 4\nHEIGHT 5\n");
    EXPECT_EQ(readHeaderSize(pcd.string(), width, height), 0);
    EXPECT_EQ(width, -1);
    EXPECT_EQ(height, -1);

    const fs::path ply = dir.path() / "a.ply";
    writeText(ply, "ply\nformat ascii 1.0\nelement vertex 20\nend_header\n");
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(readHeaderSize(ply.string(), width, height), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "cloud_height: 1\ncloud_width: 20\n");
    EXPECT_EQ(width, 20);
    EXPECT_EQ(height, 1);
}

TEST(ReadHeaderSize, RefusesOtherFilesAndBadNumbers) {
    mirevo::test::TempDir dir;
    int width = 7;
    int height = 8;
    writeText(dir.path() / "a.csv", "WIDTH 3\n");
    EXPECT_EQ(readHeaderSize((dir.path() / "a.csv").string(), width, height), -1);
    EXPECT_EQ(width, 7);
    EXPECT_EQ(height, 8);
    EXPECT_EQ(readHeaderSize((dir.path() / "missing.pcd").string(), width, height), -1);
    for (const char* bad : {"WIDTH -3\n", "WIDTH 3x\n", "WIDTH\n", "WIDTH 2147483648\n", "HEIGHT 1e3\n"}) {
        SCOPED_TRACE(bad);
        writeText(dir.path() / "b.pcd", bad);
        EXPECT_EQ(readHeaderSize((dir.path() / "b.pcd").string(), width, height), -1);
    }
    writeText(dir.path() / "b.ply", "ply\nelement vertex -1\n");
    EXPECT_EQ(readHeaderSize((dir.path() / "b.ply").string(), width, height), -1);
}

}  // namespace

namespace {

// Files that OpenCV or PCL would misread (or crash on) are refused before
// they are handed over.
TEST_F(CloudFiles, FilesThatLieAboutThemselvesAreRefused) {
    const std::string pcdHead =
        "VERSION 0.7\nFIELDS x y z\nSIZE 4 4 4\nTYPE F F F\nCOUNT 1 1 1\nWIDTH 2\nHEIGHT 1\nPOINTS 2\n";
    const std::string plyHead = "ply\nformat ascii 1.0\nelement vertex 2\nproperty float x\nproperty float y\n"
                                "property float z\n";
    const struct {
        const char* name;
        std::string bytes;
    } files[] = {
        {"short_body.pcd", pcdHead + "DATA binary\n" + std::string(20, '\1')},  // 24 bytes needed
        {"keyword_after_data.pcd", pcdHead + "DATA binary\nCOUNT 9 9 9\n" + std::string(24, '\1')},
        {"points_not_width.pcd", pcdText(3, 1, {"0 0 1", "1 0 2"})},
        {"unknown_keyword.pcd", "VERSION 0.7\nFIELD x\n" + pcdHead.substr(12) + "DATA ascii\n0 0 1\n1 0 2\n"},
        {"type_mismatch.pcd", "VERSION 0.7\nFIELDS x y z\nSIZE 4 4 4\nTYPE F F\nCOUNT 1 1 1\nWIDTH 2\nHEIGHT 1\n"
                              "POINTS 2\nDATA ascii\n0 0 1\n1 0 2\n"},
        {"huge_count.pcd", "VERSION 0.7\nFIELDS x y z\nSIZE 4 4 4\nTYPE F F F\nWIDTH 1000000\nHEIGHT 1\n"
                           "POINTS 1000000\nDATA ascii\n0 0 1\n1 0 2\n"},
        {"too_many_vertices.ply", "ply\nformat ascii 1.0\nelement vertex 1000000\nproperty float x\nproperty float y\n"
                                  "property float z\nend_header\n0 0 1\n"},
        {"range_grid.ply", plyHead + "element range_grid 2\nproperty list uchar int vertex_indices\nend_header\n"
                                     "0 0 1\n1 0 2\n1 0\n1 1\n"},
        {"nameless_property.ply", "ply\nformat ascii 1.0\nelement vertex 2\nproperty float\nend_header\n1\n2\n"},
        {"unknown_type.ply", plyHead.substr(0, plyHead.size() - 17) + "property half z\nend_header\n0 0 1\n1 0 2\n"},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        writeText(at(file.name), file.bytes);
        kxCloud read;
        const bool pcd = fs::path(file.name).extension() == ".pcd";
        EXPECT_EQ(readAs(at(file.name), pcd ? CLOUD_FILE_PCD_ASCII : CLOUD_FILE_PLY_ASCII, read, 0.5f, 0.25f, 3, 2), -1);
        EXPECT_TRUE(read.z.empty());
    }
    // A few bytes announcing a 30000 x 30000 float image: OpenCV would take
    // 3.6 GB before finding no pixels.
    std::string huge("II*\0\x08\0\0\0\x03\0", 10);
    for (const auto& [tag, type, value] : {std::tuple{256, 4, 30000}, {257, 4, 30000}, {258, 3, 32}}) {
        const uint8_t entry[12] = {uint8_t(tag), uint8_t(tag >> 8), uint8_t(type), 0, 1, 0, 0, 0,
                                   uint8_t(value), uint8_t(value >> 8), 0, 0};
        huge.append(reinterpret_cast<const char*>(entry), sizeof entry);
    }
    huge.append(4, '\0');
    writeText(at("huge.tiff"), huge);
    kxCloud tiny;
    EXPECT_EQ(readAs(at("huge.tiff"), CLOUD_FILE_TIFF, tiny), -1);
    // A DICOM file named .tiff would reach OpenCV's DICOM decoder.
    writeText(at("dicom.tiff"), std::string(128, '\0') + "DICM" + std::string(16, '\0'));
    kxCloud read;
    EXPECT_EQ(readAs(at("dicom.tiff"), CLOUD_FILE_TIFF, read), -1);
}

}  // namespace
