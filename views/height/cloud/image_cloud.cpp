// Heights as a TIFF image written and read by OpenCV, and the companion
// images (name.bmp intensity, name.jpg colour) beside CSV and TIFF files.
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string_view>
#include <vector>

#include <opencv2/imgcodecs.hpp>

#include "views/height/cloud/cloud_file_parts.h"

namespace kx::common {
namespace {

std::string companionPath(const std::string& path, const char* extension) {
    return std::filesystem::path(path).replace_extension(extension).string();
}

// OpenCV picks its decoder by the file's first bytes, whatever the name says;
// a ".tiff" file that is really some other format (DICOM, JPEG 2000, ...)
// would reach decoders that have no business with it. So each reader first
// checks that the file starts as its format must.
bool startsWithOneOf(const std::string& path, std::initializer_list<std::string_view> signatures) {
    std::ifstream in(path, std::ios::binary);
    char head[4] = {};
    in.read(head, sizeof head);
    const std::string_view start(head, static_cast<size_t>(in.gcount()));
    for (const std::string_view signature : signatures)
        if (start.substr(0, signature.size()) == signature) return true;
    return false;
}

bool looksLikeTiff(const std::string& path) {
    using namespace std::string_view_literals;
    return startsWithOneOf(path, {"II*\0"sv, "MM\0*"sv, "II+\0"sv, "MM\0+"sv});
}

// A missing companion is the normal case; OpenCV would warn about it.
cv::Mat readCompanion(const std::string& path, const char* extension,
                      std::initializer_list<std::string_view> signatures) {
    const std::string companion = companionPath(path, extension);
    std::error_code error;
    if (!std::filesystem::is_regular_file(companion, error) || !startsWithOneOf(companion, signatures))
        return cv::Mat();
    return cv::imread(companion, cv::IMREAD_UNCHANGED);
}

int writeImageCloud(const kxCloud& cloud, const std::string& path, const cloudChannelType& channel) {
    if (!cv::imwrite(path, cloud.z)) return -1;
    return writeCompanionImages(cloud, path, channel);
}

bool fitsHeights(const cv::Mat& image, const cv::Mat& z, int type) {
    return image.type() == type && (z.empty() || image.size() == z.size());
}

}  // namespace

int writeTiffCloud(const kxCloud& cloud, const std::string& path, const cloudChannelType& channel) {
    if (!hasExtension(path, ".tiff")) return -1;
    return writeImageCloud(cloud, path, channel);
}

int writeTifCloud(const kxCloud& cloud, const std::string& path, const cloudChannelType& channel) {
    if (!hasExtension(path, ".tif")) return -1;
    return writeImageCloud(cloud, path, channel);
}

int writeCompanionImages(const kxCloud& cloud, const std::string& path, const cloudChannelType& channel) {
    if (channel == CLOUD_CHANNEL_INTENSITY && !cloud.intensity.empty()) {
        if (!cv::imwrite(companionPath(path, "bmp"), cloud.intensity)) return -1;
    } else if (channel == CLOUD_CHANNEL_COLOR && !cloud.color.empty()) {
        const std::vector<int> bestQuality{cv::IMWRITE_JPEG_QUALITY, 100};
        if (!cv::imwrite(companionPath(path, "jpg"), cloud.color, bestQuality)) return -1;
    }
    return 0;
}

int readTiffCloud(const std::string& path, kxCloud& cloud, float xPitch, float yPitch, float zMin, float zMax,
                  float invalidValue, const cloudChannelType& channel) {
    if (!hasExtension(path, ".tiff")) return -1;
    cloud.z.release();
    cloud.color.release();
    cloud.intensity.release();
    if (!looksLikeTiff(path)) return -1;
    const cv::Mat image = cv::imread(path, cv::IMREAD_UNCHANGED);
    if (image.empty()) return -1;
    cloud.xPitch = xPitch;
    cloud.yPitch = yPitch;
    cloud.zMin = zMin;
    cloud.zMax = zMax;
    cloud.invalidValue = invalidValue;
    if (setCloudHeights(cloud, image) != 0) return -1;
    return readCompanionImages(path, cloud, channel);
}

int setCloudHeights(kxCloud& cloud, const cv::Mat& heights) {
    if (heights.dims > 2 || heights.channels() != 1) return -1;
    if (!(cloud.xPitch > 0 && cloud.yPitch > 0 && cloud.zMin < cloud.zMax)) return 0;
    if (heights.depth() == CV_32F)
        cloud.z = heights;
    else
        heights.convertTo(cloud.z, CV_32F);
    return 0;
}

int readCompanionImages(const std::string& path, kxCloud& cloud, const cloudChannelType& channel) {
    if (channel != CLOUD_CHANNEL_INTENSITY && channel != CLOUD_CHANNEL_COLOR) return 0;
    const cv::Mat intensity = readCompanion(path, "bmp", {"BM"});
    if (!intensity.empty()) {
        if (!fitsHeights(intensity, cloud.z, CV_8UC1)) return -1;
        cloud.intensity = intensity;
    }
    if (channel == CLOUD_CHANNEL_COLOR) {
        const cv::Mat color = readCompanion(path, "jpg", {"\xFF\xD8\xFF"});
        if (!color.empty()) {
            if (!fitsHeights(color, cloud.z, CV_8UC3)) return -1;
            cloud.color = color;
        }
    }
    return 0;
}

}  // namespace kx::common
