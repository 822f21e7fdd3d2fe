#pragma once
// Caller data of the setting calls: int32 and float in host order, the
// exposure-segment record in little-endian order.
#include <cstdint>
#include <cstring>

namespace setting_bytes {

inline uint32_t hostU32(const uint8_t* data) {
    uint32_t value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

inline float hostFloat(const uint8_t* data) {
    float value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

inline void putHostU32(uint8_t* data, uint32_t value) { std::memcpy(data, &value, sizeof value); }
inline void putHostFloat(uint8_t* data, float value) { std::memcpy(data, &value, sizeof value); }

inline uint32_t le32(const uint8_t* data) {
    return data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<uint32_t>(data[3]) << 24);
}

inline void putLe32(uint8_t* data, uint32_t value) {
    for (int i = 0; i < 4; ++i) data[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Exposure-segment record, 21 bytes.
constexpr int kSegmentRecordSize = 21;
constexpr int kSegmentOnOffset = 0;
constexpr int kSegmentNumberOffset = 1;
constexpr int kSegmentLineCountOffset = 5;
constexpr int kSegmentGrayUpperOffset = 9;
constexpr int kSegmentGrayLowerOffset = 13;
constexpr int kSegmentPeakModeOffset = 17;

}  // namespace setting_bytes
