#include "sensor_interface/data_channel/message_cutter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/sensor_sim/data_messages.h"

using data_channel::MessageCutter;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::vector<std::string> cutAll(MessageCutter& cutter, const Bytes& stream, size_t chunk) {
    std::vector<std::string> messages;
    for (size_t at = 0; at < stream.size(); at += chunk) {
        const size_t n = std::min(chunk, stream.size() - at);
        cutter.feed(stream.data() + at, n, [&](const uint8_t* data, size_t size) {
            messages.emplace_back(reinterpret_cast<const char*>(data), size);
        });
    }
    return messages;
}

}  // namespace

TEST(MessageCutter, CutsWhereTheRuleFirstHolds) {
    struct Case {
        const char* what;
        std::string stream;
        std::vector<std::string> messages;
        size_t pending;
    };
    const Case cases[] = {
        {"one message", "MESSTA,OK,end\r\n", {"MESSTA,OK,end\r\n"}, 0},
        {"terminator inside the first 11 bytes is not a cut", "abcde,end\r\nxyz,end\r\n",
         {"abcde,end\r\nxyz,end\r\n"}, 0},
        {"two messages in one burst", "MESSTA,OK,end\r\nMESSTP,OK,end\r\n",
         {"MESSTA,OK,end\r\n", "MESSTP,OK,end\r\n"}, 0},
        {"terminator in a payload cuts early", "algdat1,ab,end\r\ncd,end\r\n", {"algdat1,ab,end\r\n"}, 8},
        {"no terminator yet", "ticktime,abcd,end\r", {}, 18},
    };
    for (const Case& c : cases) {
        MessageCutter cutter;
        EXPECT_EQ(cutAll(cutter, bytesOf(c.stream), 10240), c.messages) << c.what;
        EXPECT_EQ(cutter.pendingBytes(), c.pending) << c.what;
    }
}

TEST(MessageCutter, AnySplitGivesTheSameMessages) {
    sensor_sim::DataInfo info;
    info.points = 300;
    info.intensity = true;
    info.framesPerBatch = 3;
    const Bytes stream = sensor_sim::encodeBatch(info, 9, 3);
    MessageCutter whole;
    const std::vector<std::string> expected = cutAll(whole, stream, stream.size());
    ASSERT_EQ(expected.size(), 8u);  // info, start, 3 frames, 2 ticks, stop
    for (size_t chunk : {size_t(1), size_t(2), size_t(5), size_t(6), size_t(7), size_t(1000)}) {
        MessageCutter cutter;
        EXPECT_EQ(cutAll(cutter, stream, chunk), expected) << "chunk " << chunk;
        EXPECT_EQ(cutter.pendingBytes(), 0u);
    }
}

TEST(MessageCutter, StreamWithoutTerminatorStaysBounded) {
    MessageCutter cutter(64);
    const Bytes noise(1000, 'x');
    std::vector<std::string> messages = cutAll(cutter, noise, 100);
    EXPECT_TRUE(messages.empty());
    EXPECT_LE(cutter.pendingBytes(), 64u);
    EXPECT_EQ(cutter.takeDiscardedBytes() + cutter.pendingBytes(), 1000u);
    EXPECT_EQ(cutter.takeDiscardedBytes(), 0u);

    // The cutter goes on working after the overflow.
    cutter.clear();
    messages = cutAll(cutter, bytesOf("MESSTP,OK,end\r\n"), 3);
    EXPECT_EQ(messages, std::vector<std::string>{"MESSTP,OK,end\r\n"});
}

TEST(MessageCutter, ClearDropsAPartialMessage) {
    MessageCutter cutter;
    cutAll(cutter, bytesOf("algdat1,partial"), 100);
    cutter.clear();
    EXPECT_EQ(cutAll(cutter, bytesOf("MESSTA,OK,end\r\n"), 100), std::vector<std::string>{"MESSTA,OK,end\r\n"});
}
