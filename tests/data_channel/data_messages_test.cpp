#include "sensor_interface/data_channel/data_messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/sensor_sim/data_messages.h"

using namespace data_channel;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

InfoMessage infoFor(uint16_t points, bool wide, bool intensity, uint16_t firstColumn = 0) {
    InfoMessage info;
    info.horizon_length = points;
    info.value_width = wide ? 1 : 0;
    info.intensity = intensity ? 1 : 0;
    info.horizon_offset = firstColumn;
    return info;
}

}  // namespace

TEST(DataMessages, CompleteMessageNeedsMoreThanElevenBytes) {
    struct Case {
        std::string bytes;
        bool complete;
    };
    const Case cases[] = {
        {"abcde,end\r\n", false},          // 11 bytes: not a cut
        {"abcdef,end\r\n", true},          // 12 bytes
        {",end\r\n,end\r\n", true},        // 12 bytes made of two terminators
        {"abcdefgh,end\r", false},         // terminator incomplete
        {"abcdefgh,END\r\n", false},
    };
    for (const Case& c : cases) {
        const Bytes b = bytesOf(c.bytes);
        EXPECT_EQ(endsMessage(b.data(), b.size()), c.complete) << c.bytes;
    }
}

TEST(DataMessages, HeartbeatComparesOnlyTheTail) {
    struct Case {
        std::string bytes;
        bool heartbeat;
    };
    const Case cases[] = {
        {"heartbeat,end\r\n", true},
        {"heartbeaX,end\r\n", true},              // the byte after "heartbea" is not compared
        {"info,xyzheartbeat,end\r\n", true},      // longer message, same tail
        {"heartbeat,end\r", false},               // no terminator yet
        {"heartbeats,end\r\n", false},            // tail shifted by one
        {"hearxbeat,end\r\n", false},
        {"eartbeat,end\r\n", false},              // 14 bytes
    };
    for (const Case& c : cases) {
        const Bytes b = bytesOf(c.bytes);
        EXPECT_EQ(isHeartbeat(b.data(), b.size()), c.heartbeat) << c.bytes;
    }
    const Bytes simBeat = sensor_sim::encodeHeartbeat();
    EXPECT_TRUE(isHeartbeat(simBeat.data(), simBeat.size()));
}

TEST(DataMessages, TagDropsZeroBytesAndPayloadCountsThem) {
    struct Case {
        Bytes bytes;
        std::string tag;
        size_t payloadPos;
    };
    const Case cases[] = {
        {bytesOf("info,abc,end\r\n"), "info", 5},
        {Bytes{'i', 0, 'n', 'f', 'o', ',', 'x'}, "info", 6},
        {Bytes{0, 0, 'M', 'E', 'S', 'S', 'T', 'A', ',', 'O', 'K'}, "MESSTA", 9},
        {bytesOf(",end\r\n"), "", 1},
        {bytesOf("noComma"), "noComma", 7},
    };
    for (const Case& c : cases) {
        const MessageTag tag = messageTag(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(tag.text, c.tag);
        EXPECT_EQ(tag.payloadPos, c.payloadPos) << c.tag;
    }
}

TEST(DataMessages, ClassificationFollowsTheTestOrder) {
    struct Case {
        std::string tag;
        MessageKind kind;
    };
    const Case cases[] = {
        {"info", MessageKind::Info},
        {"info2", MessageKind::Other},
        {"algdat1", MessageKind::Frame},
        {"algdat", MessageKind::Frame},
        {"XalgdatY", MessageKind::Frame},
        {"algda", MessageKind::Other},
        {"MESSTA", MessageKind::BatchStart},
        {"ticktime", MessageKind::Tick},
        {"MESSTP", MessageKind::BatchStop},
        {"messtp", MessageKind::Other},
        {"", MessageKind::Other},
    };
    for (const Case& c : cases) EXPECT_EQ(classifyTag(c.tag), c.kind) << c.tag;
}

TEST(DataMessages, InfoFieldsMatchTheSensorsEncoding) {
    sensor_sim::DataInfo sent;
    sent.framesPerBatch = 1200;
    sent.xPitch = 2500;
    sent.intensity = true;
    sent.points = 1920;
    sent.wideValues = true;
    sent.firstColumn = 64;
    const Bytes message = sensor_sim::encodeInfo(sent);
    ASSERT_EQ(message.size(), 58u);

    const std::optional<InfoMessage> info = parseInfo(message.data(), message.size());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->batchpoints, 1200);
    EXPECT_EQ(info->xpitch, 2500u);
    EXPECT_EQ(info->intensity, 1);
    EXPECT_EQ(info->horizon_length, 1920);
    EXPECT_EQ(info->value_width, 1);
    EXPECT_EQ(info->horizon_offset, 64);
}

TEST(DataMessages, InfoOfFiftyTwoBytesIsTakenFiftyOneIsNot) {
    const Bytes full = sensor_sim::encodeInfo(sensor_sim::DataInfo{});
    EXPECT_TRUE(parseInfo(full.data(), 52));
    EXPECT_FALSE(parseInfo(full.data(), 51));
}

TEST(DataMessages, FrameHeaderIsBigEndian) {
    sensor_sim::DataFrame frame;
    frame.batchNumber = 0x01020304;
    frame.frameNumber = 77;
    frame.encoder = 0xA0B0C0D0;
    frame.timestamp = 0x1122334455667788ull;
    const Bytes message = sensor_sim::encodeFrame(frame);
    const FrameHeader header = parse_frame_header(message.data() + 8);
    EXPECT_EQ(header.batchtimes, 0x01020304u);
    EXPECT_EQ(header.frame, 77u);
    EXPECT_EQ(header.encoder, 0xA0B0C0D0u);
    EXPECT_EQ(header.timestamp, 0x1122334455667788ull);
}

TEST(DataMessages, ExpectedFrameLengthCountsWidthAndIntensity) {
    EXPECT_EQ(expectedFrameLength(infoFor(0, false, false)), 46u);
    EXPECT_EQ(expectedFrameLength(infoFor(100, false, false)), 246u);
    EXPECT_EQ(expectedFrameLength(infoFor(100, true, false)), 446u);
    EXPECT_EQ(expectedFrameLength(infoFor(100, true, true)), 546u);
}

TEST(DataMessages, FrameValidityAtEachBoundary) {
    const int columns = 2048;
    struct Case {
        const char* what;
        InfoMessage info;
        size_t size;
        size_t payloadPos;
        bool valid;
    };
    const Case cases[] = {
        {"no info yet: 46 bytes, 0 points", InfoMessage{}, 46, 8, true},
        {"no info yet: 45 bytes", InfoMessage{}, 45, 8, false},
        {"16-bit at minimum", infoFor(100, false, false), 246, 8, true},
        {"16-bit one short", infoFor(100, false, false), 245, 8, false},
        {"32-bit with intensity at minimum", infoFor(100, true, true), 546, 8, true},
        {"32-bit with intensity one short", infoFor(100, true, true), 545, 8, false},
        {"columns exactly full", infoFor(48, false, false, 2000), 46 + 96, 8, true},
        {"one column too many", infoFor(49, false, false, 2000), 46 + 98, 8, false},
        {"long tag shifts the values past the end", infoFor(100, false, false), 246, 9, false},
        {"long tag with room for the shift", infoFor(100, false, false), 247, 9, true},
        {"short tag counts as eight bytes", infoFor(100, false, false), 245, 7, false},
    };
    for (const Case& c : cases) EXPECT_EQ(isValidFrame(c.size, c.payloadPos, c.info, columns), c.valid) << c.what;
    EXPECT_FALSE(isValidFrame(46 + 96, 8, infoFor(48, false, false, 801), 848));
    EXPECT_TRUE(isValidFrame(46 + 96, 8, infoFor(48, false, false, 800), 848));
}

TEST(DataMessages, SensorFramesAreValidAndFitFourBytesOnlyWhenWide) {
    for (bool wide : {false, true}) {
        sensor_sim::DataInfo sent;
        sent.points = 2048;
        sent.intensity = true;
        sent.wideValues = wide;
        const Bytes infoBytes = sensor_sim::encodeInfo(sent);
        const InfoMessage info = *parseInfo(infoBytes.data(), infoBytes.size());
        const Bytes frame = sensor_sim::encodeFrame(sensor_sim::sceneFrame(sent, 1, 0));
        const MessageTag tag = messageTag(frame.data(), frame.size());
        EXPECT_EQ(frame.size(), expectedFrameLength(info));
        EXPECT_TRUE(isValidFrame(frame.size(), tag.payloadPos, info, 2048));
        // A reader that wants 4 bytes per point must not take a 16-bit frame.
        EXPECT_EQ(frameFits(frame.size(), tag.payloadPos, info, 4), wide);
    }
}

TEST(DataMessages, TickValueMustLieBeforeTheTerminator) {
    const Bytes tick = sensor_sim::encodeTick(0xDEADBEEF);
    const size_t payload = messageTag(tick.data(), tick.size()).payloadPos;
    EXPECT_EQ(parseTick(tick.data(), tick.size(), payload), std::optional<uint32_t>(0xDEADBEEF));
    const Bytes empty = bytesOf("ticktime,,end\r\n");
    EXPECT_FALSE(parseTick(empty.data(), empty.size(), 9));
    EXPECT_FALSE(parseTick(empty.data(), empty.size(), 100));
}
