#include "sensor_interface/command/debug_stream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "sensor_interface/processing/fixed_point.h"
#include "sensor_interface/processing/processing_types.h"

namespace {

constexpr std::string_view kStreamStart = "DEBUG,start\r\n";
constexpr std::string_view kRecordEnd = ",end\r\n";
constexpr std::string_view kInfoTag = "info";
constexpr std::string_view kImageTag = "get";
constexpr std::string_view kProfileTag = "algdat1";

bool fits(size_t size, size_t position, size_t bytes) {
    return position <= size && bytes <= size - position;
}

bool has_stream_start(const uint8_t* stream, size_t size) {
    return size >= kStreamStart.size() &&
           std::memcmp(stream, kStreamStart.data(), kStreamStart.size()) == 0;
}

bool has_record_end(const uint8_t* stream, size_t size, size_t position) {
    return fits(size, position, kRecordEnd.size()) &&
           std::memcmp(stream + position, kRecordEnd.data(), kRecordEnd.size()) == 0;
}

// A record starts with its tag text up to the next ","; the content follows it.
struct RecordStart {
    std::string_view tag;
    size_t content = 0;
};

bool find_record(const uint8_t* stream, size_t size, size_t position, RecordStart& record) {
    if (position >= size) return false;
    const void* comma = std::memchr(stream + position, ',', size - position);
    if (!comma) return false;
    const size_t commaAt = static_cast<size_t>(static_cast<const uint8_t*>(comma) - stream);
    record.tag = std::string_view(reinterpret_cast<const char*>(stream + position),
                                  commaAt - position);
    record.content = commaAt + 1;
    return true;
}

// Reads an "algdat1" record from its content on; next is set behind its ",end\r\n".
// out is replaced only by a record read whole, so a record cut off never leaves
// it describing values (of another width) that the stream does not hold.
bool read_profile_record(const uint8_t* stream, size_t size, size_t content, bool words32,
                         bool hasIntensity, DebugProfileRecord& out, size_t& next) {
    DebugProfileRecord record;
    size_t position = content;
    if (!fits(size, position, kDebugFrameHeaderBytes)) return false;
    record.header = stream + position;
    position += kDebugFrameHeaderBytes;
    if (hasIntensity) {
        if (!fits(size, position, kDebugColumns)) return false;
        record.intensity = stream + position;
        position += kDebugColumns;
    }
    record.words32 = words32;
    const size_t valueBytes = static_cast<size_t>(kDebugColumns) * record.valueBytes();
    if (!fits(size, position, valueBytes)) return false;
    record.values = stream + position;
    position += valueBytes;
    if (!has_record_end(stream, size, position)) return false;
    out = record;
    next = position + kRecordEnd.size();
    return true;
}

// A record this reader does not use is passed over up to its ",end\r\n" (its
// length is not known). The search starts at the tag's own "," so that a record
// without content ("get,,end\r\n", "DEBUG,end\r\n") ends where it should.
// False when the stream holds no further ",end\r\n".
bool skip_unused(const uint8_t* stream, size_t size, const RecordStart& record, size_t& next) {
    const std::string_view bytes(reinterpret_cast<const char*>(stream), size);
    const size_t end = bytes.find(kRecordEnd, record.content - 1);
    if (end == std::string_view::npos) return false;
    next = end + kRecordEnd.size();
    return true;
}

uint32_t read_le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t read_le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

}  // namespace

bool parse_info_record(const uint8_t* stream, size_t size, size_t& position, DebugInfo& info) {
    if (!fits(size, position, kDebugInfoBytes)) return false;
    const uint8_t* p = stream + position;
    info.intensityFlag = p[0];
    info.word1 = read_le32(p + 1);
    info.imageRows = read_le16(p + 5);
    info.word2 = read_le16(p + 7);
    std::copy(p + 9, p + 15, info.flags.begin());
    position += kDebugInfoBytes;
    return true;
}

DebugInfo DebugInfo::fromBytes(const std::array<uint8_t, kDebugInfoBytes>& record) {
    DebugInfo info;
    size_t position = 0;
    parse_info_record(record.data(), record.size(), position, info);
    return info;
}

std::array<uint8_t, kDebugInfoBytes> DebugInfo::bytes() const {
    std::array<uint8_t, kDebugInfoBytes> record{};
    record[0] = intensityFlag;
    for (int i = 0; i < 4; ++i) record[1 + i] = static_cast<uint8_t>(word1 >> (8 * i));
    record[5] = static_cast<uint8_t>(imageRows);
    record[6] = static_cast<uint8_t>(imageRows >> 8);
    record[7] = static_cast<uint8_t>(word2);
    record[8] = static_cast<uint8_t>(word2 >> 8);
    std::copy(flags.begin(), flags.end(), record.begin() + 9);
    return record;
}

uint32_t DebugProfileRecord::value(int index) const {
    const uint8_t* p = values + static_cast<size_t>(index) * valueBytes();
    return words32 ? read_le32(p) : read_le16(p);
}

int DebugProfileRecord::copyValues(void* out, int n) const {
    const int count = std::clamp(n, 0, kDebugColumns);
    std::memcpy(out, values, static_cast<size_t>(count) * valueBytes());
    return count;
}

DebugImageContent parse_debug_image_stream(const uint8_t* stream, size_t size,
                                           size_t imageCapacity, DebugInfo& info) {
    DebugImageContent result;
    if (!stream || !has_stream_start(stream, size)) {
        result.status = HVQ5_RC_BAD_BLOCK;
        return result;
    }
    size_t position = kStreamStart.size();
    RecordStart record;
    while (position < size) {
        if (!find_record(stream, size, position, record)) {
            result.status = HVQ5_RC_BAD_BLOCK;
            return result;
        }
        if (record.tag == kInfoTag) {
            size_t behind = record.content;
            if (!parse_info_record(stream, size, behind, info) ||
                info.imageRows > kDebugMaxImageRows) {
                result.status = HVQ5_RC_BAD_BLOCK;
                return result;
            }
            result.rowsSeen = true;
            result.rows = info.imageRows;
            position = behind + kRecordEnd.size();
        } else if (record.tag == kImageTag) {
            if (!info.image32() || info.imageRows == 0) {
                if (!skip_unused(stream, size, record, position)) {
                    result.status = HVQ5_RC_BAD_BLOCK;
                    return result;
                }
                continue;
            }
            // The rows may stem from an info record of an earlier stream.
            if (info.imageRows > kDebugMaxImageRows) {
                result.status = HVQ5_RC_BAD_BLOCK;
                return result;
            }
            const size_t imageBytes = static_cast<size_t>(info.imageRows) * kDebugColumns;
            if (imageBytes > imageCapacity) {
                result.status = HVQ5_RC_IMAGE_TOO_LARGE;
                return result;
            }
            if (!fits(size, record.content, imageBytes) ||
                !has_record_end(stream, size, record.content + imageBytes)) {
                result.status = HVQ5_RC_BAD_BLOCK;
                return result;
            }
            result.image = stream + record.content;
            result.imageBytes = imageBytes;
            position = record.content + imageBytes + kRecordEnd.size();
        } else if (record.tag == kProfileTag) {
            if (!read_profile_record(stream, size, record.content, info.profile32(),
                                     info.hasIntensity(), result.profile, position)) {
                result.status = HVQ5_RC_BAD_BLOCK;
                return result;
            }
            result.hasProfile = true;
        } else if (!skip_unused(stream, size, record, position)) {
            result.status = HVQ5_RC_BAD_BLOCK;
            return result;
        }
    }
    return result;
}

DebugProfileContent parse_debug_profile_stream(const uint8_t* stream, size_t size,
                                               bool always32, DebugInfo& info) {
    DebugProfileContent result;
    if (!stream || !has_stream_start(stream, size)) {
        result.status = HVQ5_RC_BAD_BLOCK;
        return result;
    }
    size_t position = kStreamStart.size();
    RecordStart record;
    while (find_record(stream, size, position, record)) {
        if (record.tag == kInfoTag) {
            size_t behind = record.content;
            if (!parse_info_record(stream, size, behind, info)) {
                result.status = HVQ5_RC_BAD_BLOCK;
                return result;
            }
            position = behind + kRecordEnd.size();
        } else if (record.tag == kProfileTag) {
            size_t behind = 0;
            if (!read_profile_record(stream, size, record.content, always32 || info.profile32(),
                                     info.hasIntensity(), result.profile, behind)) {
                result.status = HVQ5_RC_BAD_BLOCK;
                return result;
            }
            result.hasProfile = true;
            return result;
        } else if (!skip_unused(stream, size, record, position)) {
            break;  // nothing but the end of the stream is left
        }
    }
    return result;
}

int debug_peak_rows(const DebugProfileRecord& record, int n, int cameraRows, double* rows) {
    const int count = std::clamp(n, 0, kDebugColumns);
    for (int i = 0; i < count; ++i) {
        rows[i] = record.words32 ? peak_row(record.value(i), cameraRows) : kNoPeak;
    }
    return count;
}

DebugXWindow debug_x_window(uint32_t register359, uint32_t register358, double pointsPerColumn) {
    DebugXWindow window;
    const double start = std::trunc(register359 * pointsPerColumn);
    window.start = static_cast<int64_t>(start);
    window.end = static_cast<int64_t>(std::trunc(register358 * pointsPerColumn + start - 1.0));
    return window;
}

void apply_debug_x_window(const int32_t* heights, int32_t* out, int points,
                          const DebugXWindow& window) {
    for (int j = 0; j < points; ++j) {
        out[j] = (j >= window.start && j <= window.end) ? heights[j] : kDebugOutsideWindow;
    }
}

int debug_stream_fuzz_one(const uint8_t* data, size_t size) {
    DebugInfo info;
    const DebugImageContent image =
        parse_debug_image_stream(data, size, static_cast<size_t>(kDebugMaxImageRows) * kDebugColumns, info);
    double rows[kDebugColumns];
    if (image.hasProfile) debug_peak_rows(image.profile, kDebugColumns, 1024, rows);
    volatile uint8_t sink = 0;
    if (image.image && image.imageBytes > 0) sink = sink ^ image.image[image.imageBytes - 1];
    DebugInfo profileInfo;
    const DebugProfileContent profile = parse_debug_profile_stream(data, size, false, profileInfo);
    if (profile.hasProfile) {
        uint32_t words[kDebugColumns];
        profile.profile.copyValues(words, kDebugColumns);
        if (profile.profile.intensity) sink = sink ^ profile.profile.intensity[kDebugColumns - 1];
        sink = sink ^ profile.profile.header[kDebugFrameHeaderBytes - 1];
    }
    return 0;
}
