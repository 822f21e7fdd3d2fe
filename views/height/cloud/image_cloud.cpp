// Heights as a TIFF image written and read by OpenCV, and the companion
// images (name.bmp intensity, name.jpg colour) beside CSV and TIFF files.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string_view>
#include <vector>

#include <opencv2/imgcodecs.hpp>

#include "platform/image_codecs.h"
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

// A classic TIFF whose first image is no larger than its file could hold.
// OpenCV allocates the whole image before it decodes a byte, so a few bytes
// announcing a huge image would take gigabytes. Compressed strips are allowed
// the best ratio LZW or Deflate reach (a few thousand to one).
bool looksLikeTiff(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    uint8_t head[8] = {};
    if (!in.read(reinterpret_cast<char*>(head), sizeof head)) return false;
    const bool little = head[0] == 'I' && head[1] == 'I';
    if (!little && !(head[0] == 'M' && head[1] == 'M')) return false;
    const auto u16 = [little](const uint8_t* p) {
        return static_cast<uint32_t>(little ? p[0] | p[1] << 8 : p[1] | p[0] << 8);
    };
    const auto u32 = [little](const uint8_t* p) {
        return little ? static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<uint32_t>(p[3]) << 24
                      : static_cast<uint32_t>(p[3] | p[2] << 8 | p[1] << 16) | static_cast<uint32_t>(p[0]) << 24;
    };
    if (u16(head + 2) != 42) return false;  // 43 would be BigTIFF, which nothing here writes
    std::error_code error;
    const uint64_t fileSize = std::filesystem::file_size(path, error);
    if (error) return false;
    in.seekg(u32(head + 4));
    uint8_t countBytes[2] = {};
    if (!in.read(reinterpret_cast<char*>(countBytes), sizeof countBytes)) return false;
    uint64_t width = 0, height = 0, samples = 1, bits = 8, compression = 1;
    for (uint32_t i = 0, entries = u16(countBytes); i < entries; ++i) {
        uint8_t entry[12] = {};
        if (!in.read(reinterpret_cast<char*>(entry), sizeof entry)) return false;
        const uint32_t tag = u16(entry);
        const uint32_t type = u16(entry + 2);
        // An inline SHORT or LONG value; the first value of an array is not read.
        const uint64_t value = type == 3 ? u16(entry + 8) : type == 4 ? u32(entry + 8) : 0;
        const bool single = u32(entry + 4) == 1;
        if (tag == 256) width = value;
        if (tag == 257) height = value;
        if (tag == 258) bits = single ? value : 64;
        if (tag == 259) compression = value;
        if (tag == 277) samples = value;
    }
    const uint64_t bytes = width * height * samples * ((std::max<uint64_t>(bits, 1) + 7) / 8);
    const uint64_t ratio = compression == 1 ? 1 : 4096;
    return width > 0 && height > 0 && samples > 0 && bytes <= ratio * fileSize;
}

// A missing companion is the normal case; OpenCV would warn about it.
cv::Mat readCompanion(const std::string& path, const char* extension,
                      std::initializer_list<std::string_view> signatures) {
    const std::string companion = companionPath(path, extension);
    std::error_code error;
    if (!std::filesystem::is_regular_file(companion, error) || !startsWithOneOf(companion, signatures))
        return cv::Mat();
    return mirevo::platform::imageRead(companion, cv::IMREAD_UNCHANGED);
}

int writeImageCloud(const kxCloud& cloud, const std::string& path, const cloudChannelType& channel) {
    if (!mirevo::platform::imageWrite(path, cloud.z)) return -1;
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
        if (!mirevo::platform::imageWrite(companionPath(path, "bmp"), cloud.intensity)) return -1;
    } else if (channel == CLOUD_CHANNEL_COLOR && !cloud.color.empty()) {
        const std::vector<int> bestQuality{cv::IMWRITE_JPEG_QUALITY, 100};
        if (!mirevo::platform::imageWrite(companionPath(path, "jpg"), cloud.color, bestQuality)) return -1;
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
    const cv::Mat image = mirevo::platform::imageRead(path, cv::IMREAD_UNCHANGED);
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
