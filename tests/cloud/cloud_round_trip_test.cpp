// Every file type, channel and organisation written from one 4 x 5 grid with
// invalid cells and origins, each file read by an independent reader
// (open3d, tifffile, Pillow; the CSV bytes against OpenCV's formatter) and by
// readCloud.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "views/height/cloud/kx_common.h"

namespace {

using namespace kx::common;
namespace fs = std::filesystem;

constexpr int kRows = 4;
constexpr int kCols = 5;

kxCloud sourceCloud() {
    kxCloud cloud;
    cloud.z = cv::Mat(kRows, kCols, CV_32FC1);
    cloud.intensity = cv::Mat(kRows, kCols, CV_8UC1);
    cloud.color = cv::Mat(kRows, kCols, CV_8UC3);
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kCols; ++c) {
            cloud.z.at<float>(r, c) = 1.0f + 0.5f * static_cast<float>(c) + 0.25f * static_cast<float>(r);
            cloud.intensity.at<uchar>(r, c) = static_cast<uchar>(10 * r + c + 1);
            // Small steps, so that JPEG's halved colour resolution stays close.
            cloud.color.at<cv::Vec3b>(r, c) = cv::Vec3b(static_cast<uchar>(200 + 2 * r), static_cast<uchar>(100 + c), 30);
        }
    }
    cloud.z.at<float>(1, 2) = -9999.0f;
    cloud.z.at<float>(3, 0) = -9999.0f;
    cloud.xPitch = 0.5f;
    cloud.yPitch = 0.25f;
    cloud.zMin = 0.0f;
    cloud.zMax = 10.0f;
    cloud.xOrigin = 2.0f;
    cloud.yOrigin = 1.0f;
    return cloud;
}

struct Case {
    cloudFileType type;
    cloudChannelType channel;
    cloudOrganizeType organize;

    bool pointFile() const { return type >= CLOUD_FILE_PCD_BINARY; }
    bool pcd() const { return type == CLOUD_FILE_PCD_BINARY || type == CLOUD_FILE_PCD_ASCII; }
    bool ascii() const { return type == CLOUD_FILE_PCD_ASCII || type == CLOUD_FILE_PLY_ASCII; }
    bool unorganized() const { return organize == CLOUD_UNORGANIZED; }
    std::string name() const {
        static const char* const kinds[] = {"none", "tiff", "tif", "csv", "pcdBinary", "pcdAscii", "plyBinary", "plyAscii"};
        static const char* const channels[] = {"Z", "Intensity", "Color"};
        return std::string(kinds[type]) + channels[channel] + (unorganized() ? "Unorganized" : "");
    }
    std::string extension() const {
        static const char* const extensions[] = {"", ".tiff", ".tif", ".csv", ".pcd", ".pcd", ".ply", ".ply"};
        return extensions[type];
    }
};

std::vector<Case> allCases() {
    std::vector<Case> cases;
    for (const cloudFileType type : {CLOUD_FILE_TIFF, CLOUD_FILE_TIF, CLOUD_FILE_CSV, CLOUD_FILE_PCD_BINARY,
                                     CLOUD_FILE_PCD_ASCII, CLOUD_FILE_PLY_BINARY, CLOUD_FILE_PLY_ASCII}) {
        for (const cloudChannelType channel : {CLOUD_CHANNEL_Z, CLOUD_CHANNEL_INTENSITY, CLOUD_CHANNEL_COLOR}) {
            cases.push_back({type, channel, CLOUD_ORGANIZED});
            if (type >= CLOUD_FILE_PCD_BINARY) cases.push_back({type, channel, CLOUD_UNORGANIZED});
        }
    }
    return cases;
}

// What the independent reader printed for one file.
struct ReaderBlock {
    std::vector<std::string> points;      // "points N names..." words
    std::vector<std::string> image;       // "image ..." words
    std::vector<std::string> tiff;        // "tiff ..." words
    std::vector<std::vector<double>> rows;
    std::string error;
};

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> result;
    for (std::string word; in >> word;) result.push_back(word);
    return result;
}

std::vector<double> numbers(const std::string& line) {
    std::vector<double> values;
    for (const std::string& word : words(line)) values.push_back(std::strtod(word.c_str(), nullptr));
    return values;
}

std::map<std::string, ReaderBlock> runReaders(const std::vector<std::string>& paths) {
    std::string command = std::string("/usr/bin/python3 ") + CLOUD_READERS_DIR + "/read_cloud_files.py";
    for (const std::string& path : paths) command += " '" + path + "'";
    command += " 2>&1";
    std::map<std::string, ReaderBlock> blocks;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return blocks;
    std::vector<std::string> lines;
    char buffer[1 << 16];
    std::string pending;
    while (std::fgets(buffer, sizeof buffer, pipe)) {
        pending += buffer;
        if (!pending.empty() && pending.back() == '\n') {
            pending.pop_back();
            lines.push_back(pending);
            pending.clear();
        }
    }
    ::pclose(pipe);
    ReaderBlock* block = nullptr;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::vector<std::string> head = words(lines[i]);
        if (head.empty()) continue;
        if (head[0] == "file" && head.size() == 2) {
            block = &blocks[head[1]];
        } else if (!block) {
            continue;
        } else if (head[0] == "error") {
            block->error = lines[i];
        } else if (head[0] == "tiff") {
            block->tiff = head;
        } else if (head[0] == "points" || head[0] == "image") {
            const size_t count = std::stoul(head[head[0] == "points" ? 1 : 2]);
            (head[0] == "points" ? block->points : block->image) = head;
            for (size_t k = 0; k < count && i + 1 < lines.size(); ++k) block->rows.push_back(numbers(lines[++i]));
        }
    }
    return blocks;
}

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The header lines of a PCD or PLY file.
std::vector<std::string> headerLines(const fs::path& path, bool pcd) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
        if (line.rfind(pcd ? "DATA" : "end_header", 0) == 0) break;
    }
    return lines;
}

class CloudRoundTrip : public ::testing::Test {
public:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<mirevo::test::TempDir>();
        const kxCloud cloud = sourceCloud();
        std::vector<std::string> paths;
        for (const Case& c : allCases()) {
            const fs::path path = fileOf(c);
            writeResults_[c.name()] = writeCloud(cloud, path.string(), c.type, c.channel, c.organize);
            if (c.type != CLOUD_FILE_CSV) paths.push_back(path.string());
            for (const char* companion : {"bmp", "jpg"}) {
                const fs::path image = fs::path(path).replace_extension(companion);
                if (fs::exists(image)) paths.push_back(image.string());
            }
        }
        blocks_ = runReaders(paths);
    }
    static void TearDownTestSuite() {
        blocks_.clear();
        dir_.reset();
    }

protected:
    static void expectReaderSees(const Case& c);
    static void expectCompanions(const Case& c);
    static void expectReadBack(const Case& c);
    static fs::path fileOf(const Case& c) { return dir_->path() / (c.name() + c.extension()); }
    static const ReaderBlock& blockOf(const fs::path& path) { return blocks_[path.string()]; }

    static std::unique_ptr<mirevo::test::TempDir> dir_;
    static std::map<std::string, int> writeResults_;
    static std::map<std::string, ReaderBlock> blocks_;
};

std::unique_ptr<mirevo::test::TempDir> CloudRoundTrip::dir_;
std::map<std::string, int> CloudRoundTrip::writeResults_;
std::map<std::string, ReaderBlock> CloudRoundTrip::blocks_;

// The points a writer must produce, as the reader prints them.
std::vector<std::vector<double>> expectedPoints(const kxCloud& cloud, const Case& c, bool alphaVisible) {
    std::vector<std::vector<double>> points;
    const bool rgba = c.channel == CLOUD_CHANNEL_COLOR;
    for (int r = 0; r < kRows; ++r) {
        for (int col = 0; col < kCols; ++col) {
            const float z = cloud.z.at<float>(r, col);
            if (c.unorganized() && z < cloud.zMin) continue;
            const float xOrigin = rgba ? 0.0f : cloud.xOrigin;
            const float yOrigin = rgba ? 0.0f : cloud.yOrigin;
            std::vector<double> point{(static_cast<float>(col) - xOrigin) * cloud.xPitch,
                                      (static_cast<float>(r) - yOrigin) * cloud.yPitch, z};
            const uchar intensity = cloud.intensity.at<uchar>(r, col);
            if (c.channel == CLOUD_CHANNEL_INTENSITY) point.push_back(intensity);
            if (rgba) {
                const cv::Vec3b rgb = cloud.color.at<cv::Vec3b>(r, col);
                point.insert(point.end(), {double(rgb[0]), double(rgb[1]), double(rgb[2])});
                if (alphaVisible) point.push_back(intensity);
            }
            points.push_back(point);
        }
    }
    return points;
}

void expectHeader(const fs::path& path, const Case& c, size_t count) {
    const std::vector<std::string> lines = headerLines(path, c.pcd());
    auto has = [&lines](const std::string& wanted) {
        return std::find(lines.begin(), lines.end(), wanted) != lines.end();
    };
    const std::string n = std::to_string(count);
    if (c.pcd()) {
        static const char* const fields[] = {"FIELDS x y z", "FIELDS x y z intensity", "FIELDS x y z rgba"};
        EXPECT_TRUE(has("VERSION 0.7"));
        EXPECT_TRUE(has(fields[c.channel]));
        EXPECT_TRUE(has("WIDTH " + (c.unorganized() ? n : std::to_string(kCols))));
        EXPECT_TRUE(has("HEIGHT " + std::string(c.unorganized() ? "1" : std::to_string(kRows))));
        EXPECT_TRUE(has("POINTS " + n));
        EXPECT_EQ(lines.back(), c.ascii() ? "DATA ascii" : "DATA binary");
    } else {
        EXPECT_TRUE(has(c.ascii() ? "format ascii 1.0" : "format binary_little_endian 1.0"));
        EXPECT_TRUE(has("element vertex " + n));
        EXPECT_TRUE(has("element camera 1"));
        EXPECT_EQ(c.channel == CLOUD_CHANNEL_INTENSITY, has("property float intensity"));
        EXPECT_EQ(c.channel == CLOUD_CHANNEL_COLOR, has("property uchar alpha"));
    }
}

void CloudRoundTrip::expectReaderSees(const Case& c) {
    const kxCloud cloud = sourceCloud();
    const fs::path path = fileOf(c);
    ASSERT_EQ(writeResults_[c.name()], 0);

    if (c.type == CLOUD_FILE_CSV) {
        std::string expected;
        expected << cv::format(cloud.z, cv::Formatter::FMT_CSV);
        EXPECT_EQ(readBytes(path), expected + "\n");
    } else if (c.pointFile()) {
        const ReaderBlock& block = blockOf(path);
        ASSERT_EQ(block.error, "");
        const auto expected = expectedPoints(cloud, c, !c.pcd());
        ASSERT_EQ(block.rows.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE(i);
            ASSERT_EQ(block.rows[i].size(), expected[i].size());
            for (size_t k = 0; k < expected[i].size(); ++k)
                EXPECT_EQ(static_cast<float>(block.rows[i][k]), static_cast<float>(expected[i][k])) << block.points[k + 2];
        }
        expectHeader(path, c, expected.size());
    } else {
        const ReaderBlock& block = blockOf(path);
        ASSERT_EQ(block.error, "");
        ASSERT_EQ(block.tiff.size(), 5u);
        EXPECT_EQ(block.tiff[1], "float32");
        EXPECT_EQ(block.tiff[2], std::to_string(kRows));
        EXPECT_EQ(block.tiff[3], std::to_string(kCols));
        ASSERT_EQ(block.image.size(), 6u);
        EXPECT_EQ(block.image[5], "tifffile");  // OpenCV stores float images uncompressed
        ASSERT_EQ(block.rows.size(), static_cast<size_t>(kRows));
        for (int r = 0; r < kRows; ++r) {
            ASSERT_EQ(block.rows[r].size(), static_cast<size_t>(kCols));
            for (int col = 0; col < kCols; ++col)
                EXPECT_EQ(static_cast<float>(block.rows[r][col]), cloud.z.at<float>(r, col));
        }
    }
}

void CloudRoundTrip::expectCompanions(const Case& c) {
    const kxCloud cloud = sourceCloud();
    const fs::path bmp = fs::path(fileOf(c)).replace_extension("bmp");
    const fs::path jpg = fs::path(fileOf(c)).replace_extension("jpg");
    EXPECT_EQ(fs::exists(bmp), c.channel == CLOUD_CHANNEL_INTENSITY);
    EXPECT_EQ(fs::exists(jpg), c.channel == CLOUD_CHANNEL_COLOR);
    if (c.channel == CLOUD_CHANNEL_INTENSITY) {
        const ReaderBlock& block = blockOf(bmp);
        ASSERT_EQ(block.image.size(), 6u);
        EXPECT_EQ(block.image[1], "L");
        ASSERT_EQ(block.rows.size(), static_cast<size_t>(kRows));
        for (int r = 0; r < kRows; ++r)
            for (int col = 0; col < kCols; ++col)
                EXPECT_EQ(block.rows[r][col], cloud.intensity.at<uchar>(r, col));
    }
    if (c.channel == CLOUD_CHANNEL_COLOR) {
        const ReaderBlock& block = blockOf(jpg);
        ASSERT_EQ(block.image.size(), 6u);
        EXPECT_EQ(block.image[1], "RGB");
        ASSERT_EQ(block.rows.size(), static_cast<size_t>(kRows));
        // The matrix is written unchanged, and OpenCV takes channel 0 as blue.
        for (int r = 0; r < kRows; ++r) {
            for (int col = 0; col < kCols; ++col) {
                const cv::Vec3b bgr = cloud.color.at<cv::Vec3b>(r, col);
                for (int k = 0; k < 3; ++k) EXPECT_NEAR(block.rows[r][3 * col + k], bgr[2 - k], 8.0);
            }
        }
    }
}

void CloudRoundTrip::expectReadBack(const Case& c) {
    kxCloud read;
    if (c.type == CLOUD_FILE_TIF) {  // written, never read
        EXPECT_EQ(readCloud(fileOf(c).string(), c.type, read, 0.5f, 0.25f, 0, 0, 0.0f, 10.0f, -9999.0f, c.channel), -1);
        return;
    }
    const kxCloud source = sourceCloud();
    const bool organised = !c.unorganized();
    const float pitchX = c.pointFile() && organised ? 0.0f : 0.5f;
    const float pitchY = c.pointFile() && organised ? 0.0f : 0.25f;
    ASSERT_EQ(readCloud(fileOf(c).string(), c.type, read, pitchX, pitchY, kCols, kRows, 0.0f, 10.0f, -9999.0f,
                        c.channel),
              0);
    EXPECT_EQ(read.xPitch, 0.5f);
    EXPECT_EQ(read.yPitch, 0.25f);
    ASSERT_EQ(read.z.size(), source.z.size());

    const bool shifted = c.pointFile() && c.unorganized() && c.channel != CLOUD_CHANNEL_COLOR;
    if (!shifted) {
        EXPECT_EQ(cv::norm(read.z, source.z, cv::NORM_INF), 0.0);
    } else {
        // Unorganised points are placed by their coordinates, which carry the
        // origins: cell (r, c) of the file's grid lands at (r - 1, c - 2).
        for (int r = 1; r < kRows; ++r)
            for (int col = 1; col < kCols; ++col) {
                const bool inside = r + 1 < kRows && col + 2 < kCols;
                EXPECT_EQ(read.z.at<float>(r, col), inside ? source.z.at<float>(r + 1, col + 2) : -9999.0f);
            }
    }

    if (c.channel == CLOUD_CHANNEL_Z) {
        EXPECT_TRUE(read.intensity.empty());
        EXPECT_TRUE(read.color.empty());
        return;
    }
    const cv::Mat valid = source.z != -9999.0f;
    if (c.channel == CLOUD_CHANNEL_INTENSITY && !shifted) {
        cv::Mat expected = source.intensity.clone();
        if (c.unorganized()) expected.setTo(0, ~valid);
        EXPECT_EQ(cv::norm(read.intensity, expected, cv::NORM_INF), 0.0);
    }
    if (c.channel == CLOUD_CHANNEL_COLOR) {
        ASSERT_EQ(read.color.size(), source.z.size());
        if (c.pointFile()) {
            cv::Mat expectedColor = source.color.clone();
            cv::Mat expectedAlpha = source.intensity.clone();
            if (c.unorganized()) {
                expectedColor.setTo(cv::Scalar::all(0), ~valid);
                expectedAlpha.setTo(0, ~valid);
            }
            EXPECT_EQ(cv::norm(read.color, expectedColor, cv::NORM_INF), 0.0);
            EXPECT_EQ(cv::norm(read.intensity, expectedAlpha, cv::NORM_INF), 0.0);
        } else {
            EXPECT_LE(cv::norm(read.color, source.color, cv::NORM_INF), 8.0);  // JPEG
            EXPECT_TRUE(read.intensity.empty());  // channel 2 writes no intensity beside CSV and TIFF
        }
    }
}

TEST_F(CloudRoundTrip, IndependentReadersSeeEveryFile) {
    for (const Case& c : allCases()) {
        SCOPED_TRACE(c.name());
        expectReaderSees(c);
    }
}

// CSV, TIFF and TIF carry intensity and colour in images beside the file.
TEST_F(CloudRoundTrip, CompanionImagesHoldIntensityOrColour) {
    for (const Case& c : allCases()) {
        if (c.pointFile()) continue;
        SCOPED_TRACE(c.name());
        expectCompanions(c);
    }
}

TEST_F(CloudRoundTrip, ReadCloudGivesTheGridBack) {
    for (const Case& c : allCases()) {
        SCOPED_TRACE(c.name());
        expectReadBack(c);
    }
}

// OpenCV's CSV text for every depth and channel count, and floats whose
// shortest digits differ from "%.8g".
TEST(CsvBytes, MatchOpenCvsFormatterForEveryDepth) {
    mirevo::test::TempDir dir;
    cv::RNG rng(7);
    std::vector<cv::Mat> matrices;
    for (const int type : {CV_32FC1, CV_64FC1, CV_16UC1, CV_16SC1, CV_8UC1, CV_8SC1, CV_32SC1, CV_8UC3, CV_32FC2}) {
        cv::Mat m(3, 4, type);
        rng.fill(m, cv::RNG::UNIFORM, -1000, 1000);
        matrices.push_back(m);
    }
    cv::Mat bits(64, 64, CV_32SC1);
    rng.fill(bits, cv::RNG::UNIFORM, INT32_MIN, INT32_MAX);
    matrices.push_back(cv::Mat(64, 64, CV_32FC1, bits.data).clone());  // any bit pattern, NaN and inf included
    matrices.push_back(cv::Mat(1, 3, CV_32FC1, cv::Scalar(0.1)));     // one row: no row line end
    matrices.push_back(cv::Mat(3, 1, CV_32FC1, cv::Scalar(-0.0)));
    for (size_t i = 0; i < matrices.size(); ++i) {
        SCOPED_TRACE(i);
        const kxCloud cloud(matrices[i], 1.0f, 1.0f, 0.0f, 1.0f, -9999.0f);
        const fs::path path = dir.path() / "m.csv";
        ASSERT_EQ(writeCloud(cloud, path.string(), CLOUD_FILE_CSV, CLOUD_CHANNEL_Z, CLOUD_ORGANIZED), 0);
        std::string expected;
        expected << cv::format(matrices[i], cv::Formatter::FMT_CSV);
        EXPECT_EQ(readBytes(path), expected + "\n");
    }
}

}  // namespace
