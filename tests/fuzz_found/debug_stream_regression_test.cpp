// Inputs the DEBUG-stream fuzzer once broke the readers with.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sensor_interface/command/debug_stream.h"

namespace {

void append(std::vector<uint8_t>& stream, const std::string& text) {
    stream.insert(stream.end(), text.begin(), text.end());
}

void appendInfo(std::vector<uint8_t>& stream, bool profile32) {
    DebugInfo info;
    info.flags[4] = profile32 ? 1 : 0;
    append(stream, "info,");
    const auto bytes = info.bytes();
    stream.insert(stream.end(), bytes.begin(), bytes.end());
    append(stream, ",end\r\n");
}

// A whole 16-bit profile record, then an info record switching to 32-bit
// values and a profile record cut off inside its values.
std::vector<uint8_t> goodRecordThenCutWideRecord(size_t& goodValuesAt) {
    std::vector<uint8_t> stream;
    append(stream, "DEBUG,start\r\n");
    appendInfo(stream, false);
    append(stream, "algdat1,");
    stream.resize(stream.size() + kDebugFrameHeaderBytes, 0);
    goodValuesAt = stream.size();
    stream.resize(stream.size() + 2 * kDebugColumns, 0x11);
    append(stream, ",end\r\n");
    appendInfo(stream, true);
    append(stream, "algdat1,");
    stream.resize(stream.size() + kDebugFrameHeaderBytes + 2 * kDebugColumns, 0x22);
    return stream;
}

TEST(DebugStreamRegression, RecordCutOffLeavesTheLastWholeRecordIntact) {
    size_t goodValuesAt = 0;
    const std::vector<uint8_t> stream = goodRecordThenCutWideRecord(goodValuesAt);
    DebugInfo info;
    const DebugImageContent content =
        parse_debug_image_stream(stream.data(), stream.size(), 1024u * kDebugColumns, info);

    EXPECT_EQ(content.status, HVQ5_RC_BAD_BLOCK);
    ASSERT_TRUE(content.hasProfile);
    // The record still describes bytes that exist: the 16-bit values read whole,
    // not 32-bit values that would reach past the end of the stream.
    EXPECT_FALSE(content.profile.words32);
    EXPECT_EQ(content.profile.values, stream.data() + goodValuesAt);
    EXPECT_EQ(content.profile.header, stream.data() + goodValuesAt - kDebugFrameHeaderBytes);
}

}  // namespace
