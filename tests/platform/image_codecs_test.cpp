// OpenCV's image files through the codecs library loaded on first use: the
// same bytes as cv::imwrite called directly, for each type the program
// writes (LZW TIFF of float heights, BMP of intensities, JPEG of colours at
// quality 100), and the same matrices as cv::imread.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include "platform/image_codecs.h"
#include "tests/support/temp_dir.h"

namespace {

std::string bytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool sameMatrix(const cv::Mat& a, const cv::Mat& b) {
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

}  // namespace

TEST(ImageCodecs, WriteAndReadAsOpenCVItself) {
    mirevo::test::TempDir folder;
    cv::Mat heights(40, 64, CV_32FC1);
    cv::randu(heights, -10.0f, 10.0f);
    heights.at<float>(3, 5) = -9999.0f;
    cv::Mat intensity(40, 64, CV_8UC1);
    cv::randu(intensity, 0, 255);
    cv::Mat colour(40, 64, CV_8UC3);
    cv::randu(colour, 0, 255);
    const struct {
        const char* name;
        const cv::Mat& image;
        std::vector<int> params;
    } cases[] = {{"heights.tiff", heights, {}},
                 {"heights.tif", heights, {}},
                 {"intensity.bmp", intensity, {}},
                 {"colour.jpg", colour, {cv::IMWRITE_JPEG_QUALITY, 100}}};
    for (const auto& c : cases) {
        const std::filesystem::path loaded = folder.path() / (std::string("loaded_") + c.name);
        const std::filesystem::path direct = folder.path() / (std::string("direct_") + c.name);
        ASSERT_TRUE(mirevo::platform::imageWrite(loaded.string(), c.image, c.params)) << c.name;
        ASSERT_TRUE(cv::imwrite(direct.string(), c.image, c.params)) << c.name;
        EXPECT_EQ(bytesOf(loaded), bytesOf(direct)) << c.name;
        EXPECT_TRUE(sameMatrix(mirevo::platform::imageRead(loaded.string(), cv::IMREAD_UNCHANGED),
                               cv::imread(direct.string(), cv::IMREAD_UNCHANGED)))
            << c.name;
    }
    EXPECT_TRUE(mirevo::platform::imageRead((folder.path() / "missing.tiff").string(), cv::IMREAD_UNCHANGED).empty());
    EXPECT_FALSE(mirevo::platform::imageWrite((folder.path() / "no/such/folder/x.bmp").string(), intensity));
}
