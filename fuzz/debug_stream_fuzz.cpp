// Runs arbitrary bytes through both DEBUG-stream readers, the way the
// controller does: the info record of one stream stays for the next, so every
// input is read twice with the same info. Every pointer a reader hands out must
// lie inside the stream together with the bytes it promises and the record end
// behind them.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "sensor_interface/command/debug_stream.h"
#include "sensor_interface/processing/processing_types.h"

namespace {

constexpr char kRecordEnd[] = ",end\r\n";
constexpr size_t kRecordEndSize = sizeof(kRecordEnd) - 1;
constexpr char kStreamStart[] = "DEBUG,start\r\n";
constexpr size_t kStreamStartSize = sizeof(kStreamStart) - 1;

bool startsStream(const uint8_t* data, size_t size) {
    return size >= kStreamStartSize && std::memcmp(data, kStreamStart, kStreamStartSize) == 0;
}

bool endsRecordAt(const uint8_t* data, size_t size, const uint8_t* at) {
    return fuzz::within(data, size, at, kRecordEndSize) && std::memcmp(at, kRecordEnd, kRecordEndSize) == 0;
}

// A record of a stream read whole is one piece: header, intensity and values
// one behind the other. After a failed read the caller ignores the record, which
// may then mix parts of a good record with those of the failed one; still every
// part lies inside the stream.
void checkProfile(const uint8_t* data, size_t size, const DebugProfileRecord& record, bool readWhole) {
    FUZZ_CHECK(fuzz::within(data, size, record.header, kDebugFrameHeaderBytes));
    const uint8_t* behindHeader = record.header + kDebugFrameHeaderBytes;
    if (record.intensity) FUZZ_CHECK(fuzz::within(data, size, record.intensity, kDebugColumns));
    const size_t valueBytes = static_cast<size_t>(kDebugColumns) * record.valueBytes();
    FUZZ_CHECK(fuzz::within(data, size, record.values, valueBytes));
    if (readWhole) {
        if (record.intensity) FUZZ_CHECK(record.intensity == behindHeader);
        FUZZ_CHECK(record.values == (record.intensity ? record.intensity + kDebugColumns : behindHeader));
        FUZZ_CHECK(endsRecordAt(data, size, record.values + valueBytes));
    }

    // Everything the readers of a record do with it stays inside its bytes.
    static uint32_t words[kDebugColumns];
    FUZZ_CHECK(record.copyValues(words, kDebugColumns + 5) == kDebugColumns);
    FUZZ_CHECK(record.copyValues(words, -3) == 0);
    static double rows[kDebugColumns];
    constexpr int kCameraRows = 1024;
    FUZZ_CHECK(debug_peak_rows(record, kDebugColumns, kCameraRows, rows) == kDebugColumns);
    for (double row : rows) FUZZ_CHECK(row == kNoPeak || (row > 0.0 && row < kCameraRows));
}

void checkImage(const uint8_t* data, size_t size, size_t capacity, const DebugImageContent& content) {
    FUZZ_CHECK(content.status == HVQ5_RC_OK || content.status == HVQ5_RC_BAD_BLOCK ||
               content.status == HVQ5_RC_IMAGE_TOO_LARGE);
    if (!startsStream(data, size)) FUZZ_CHECK(content.status == HVQ5_RC_BAD_BLOCK);
    if (content.rowsSeen) FUZZ_CHECK(content.rows >= 0 && content.rows <= kDebugMaxImageRows);
    if (content.image) {
        FUZZ_CHECK(content.imageBytes > 0 && content.imageBytes % kDebugColumns == 0);
        FUZZ_CHECK(content.imageBytes <= capacity);
        FUZZ_CHECK(content.imageBytes / kDebugColumns <= static_cast<size_t>(kDebugMaxImageRows));
        FUZZ_CHECK(fuzz::within(data, size, content.image, content.imageBytes));
        FUZZ_CHECK(endsRecordAt(data, size, content.image + content.imageBytes));
    } else {
        FUZZ_CHECK(content.imageBytes == 0);
    }
    if (content.hasProfile) checkProfile(data, size, content.profile, content.status == HVQ5_RC_OK);
}

void checkProfileStream(const uint8_t* data, size_t size, bool always32, const DebugProfileContent& content) {
    FUZZ_CHECK(content.status == HVQ5_RC_OK || content.status == HVQ5_RC_BAD_BLOCK);
    if (!startsStream(data, size)) FUZZ_CHECK(content.status == HVQ5_RC_BAD_BLOCK);
    if (!content.hasProfile) return;
    FUZZ_CHECK(content.status == HVQ5_RC_OK);
    if (always32) FUZZ_CHECK(content.profile.words32);
    checkProfile(data, size, content.profile, true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the image buffer (0 to 1143 rows, so the limit of
    // 1024 rows and the too-small buffer are both reached) and the head kind.
    const bool always32 = (data[0] & 1) != 0;
    const size_t capacity = static_cast<size_t>(data[0] >> 1) * 9 * kDebugColumns;
    ++data;
    --size;

    DebugInfo info;
    for (int pass = 0; pass < 2; ++pass) {
        checkImage(data, size, capacity, parse_debug_image_stream(data, size, capacity, info));
        checkProfileStream(data, size, always32, parse_debug_profile_stream(data, size, always32, info));
        // The info record survives a round trip through its bytes.
        const DebugInfo copy = DebugInfo::fromBytes(info.bytes());
        FUZZ_CHECK(copy.bytes() == info.bytes());
    }
    return 0;
}
