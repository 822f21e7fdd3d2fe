#pragma once
// What the cloud-file fuzz targets share: the request read from the input's
// first byte, and the checks every accepted cloud must pass.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "views/height/cloud/kx_common.h"

namespace fuzz {

// First byte: bits 0-1 the channel (3 is taken as an unknown channel), bit 2
// a grid size of 5 x 4, bit 3 positive pitches, bit 4 an equal range (so the
// range is measured or the heights left out).
struct CloudRequest {
    kx::common::cloudChannelType channel = kx::common::CLOUD_CHANNEL_Z;
    int cols = 0;
    int rows = 0;
    float xPitch = 0.0f;
    float yPitch = 0.0f;
    float zMin = -100.0f;
    float zMax = 100.0f;

    static CloudRequest from(uint8_t options) {
        CloudRequest request;
        request.channel = static_cast<kx::common::cloudChannelType>(options & 3);
        if (options & 4) {
            request.cols = 5;
            request.rows = 4;
        }
        if (options & 8) {
            request.xPitch = 0.5f;
            request.yPitch = 0.25f;
        }
        if (options & 16) request.zMax = request.zMin;
        return request;
    }
};

inline int readFuzzedCloud(const uint8_t* data, size_t size, ScratchFile& file, kx::common::cloudFileType type,
                           kx::common::kxCloud& cloud) {
    const CloudRequest request = CloudRequest::from(size > 0 ? data[0] : 0);
    const std::string& path = file.write(data + (size > 0), size - (size > 0));
    const int result = kx::common::readCloud(path, type, cloud, request.xPitch, request.yPitch, request.cols,
                                             request.rows, request.zMin, request.zMax, -9999.0f, request.channel);
    FUZZ_CHECK(result == 0 || result == -1);
    if (result != 0) return result;
    // Whatever was accepted is a cloud the conversions can read without
    // leaving their data.
    FUZZ_CHECK(cloud.z.empty() || (cloud.z.type() == CV_32FC1 && cloud.z.dims == 2));
    FUZZ_CHECK(cloud.intensity.empty() || (cloud.intensity.type() == CV_8UC1 && cloud.intensity.size() == cloud.z.size()) ||
               cloud.z.empty());
    FUZZ_CHECK(cloud.color.empty() || (cloud.color.type() == CV_8UC3 && cloud.color.size() == cloud.z.size()) ||
               cloud.z.empty());
    FUZZ_CHECK(cloud.invalidValue == -9999.0f);
    return result;
}

}  // namespace fuzz
