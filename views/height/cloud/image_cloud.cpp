// Heights as a TIFF image written and read by OpenCV, and the companion
// images (name.bmp intensity, name.jpg colour) beside CSV and TIFF files.
#include <filesystem>
#include <vector>

#include <opencv2/imgcodecs.hpp>

#include "views/height/cloud/cloud_file_parts.h"

namespace kx::common {
namespace {

std::string companionPath(const std::string& path, const char* extension) {
    return std::filesystem::path(path).replace_extension(extension).string();
}

// A missing companion is the normal case; OpenCV would warn about it.
cv::Mat readCompanion(const std::string& path, const char* extension) {
    const std::string companion = companionPath(path, extension);
    std::error_code error;
    if (!std::filesystem::is_regular_file(companion, error)) return cv::Mat();
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
    const cv::Mat intensity = readCompanion(path, "bmp");
    if (!intensity.empty()) {
        if (!fitsHeights(intensity, cloud.z, CV_8UC1)) return -1;
        cloud.intensity = intensity;
    }
    if (channel == CLOUD_CHANNEL_COLOR) {
        const cv::Mat color = readCompanion(path, "jpg");
        if (!color.empty()) {
            if (!fitsHeights(color, cloud.z, CV_8UC3)) return -1;
            cloud.color = color;
        }
    }
    return 0;
}

}  // namespace kx::common
