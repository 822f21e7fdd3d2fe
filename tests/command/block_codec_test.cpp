// The command channel's blocks as bytes: what each decoder takes and refuses.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "sensor_interface/command/block_codec.h"
#include "sensor_interface/status_codes.h"

namespace {

void putBigEndianDouble(std::vector<uint8_t>& out, size_t at, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i) out[at + i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
}

std::vector<uint8_t> echo(uint32_t address, std::vector<uint8_t> block) {
    std::vector<uint8_t> reply{161, uint8_t(address >> 24), uint8_t(address >> 16), uint8_t(address >> 8),
                               uint8_t(address), 0, 0, 0, 0, '\r', '\n'};
    reply.insert(reply.end(), block.begin(), block.end());
    return reply;
}

TEST(BlockCodec, CalibrationStreamIsReadColumnAfterColumn) {
    std::vector<uint8_t> stream(block_codec::kCalibrationBytes, 0);
    putBigEndianDouble(stream, 8 * 1, 1.5);                    // row 1, column 0
    putBigEndianDouble(stream, 8 * (2048 * 9 + 2047), -2.25);  // row 2047, column 9
    block_codec::CalibrationRows table;
    ASSERT_TRUE(block_codec::decodeCalibrationTable(stream.data(), stream.size(), table));
    ASSERT_EQ(table.size(), 2048u);
    EXPECT_EQ(table[1][0], 1.5);
    EXPECT_EQ(table[2047][9], -2.25);

    block_codec::CalibrationRows kept(1, std::vector<double>(1, 7.0));
    for (size_t size : {stream.size() - 1, stream.size() + 1}) {
        std::vector<uint8_t> other(size, 0);
        EXPECT_FALSE(block_codec::decodeCalibrationTable(other.data(), other.size(), kept)) << size;
        EXPECT_EQ(kept, block_codec::CalibrationRows(1, std::vector<double>(1, 7.0)));
    }
}

TEST(BlockCodec, BlockReplies) {
    std::vector<uint8_t> shortEcho = echo(256, {});
    shortEcho.pop_back();
    struct Case {
        const char* name;
        std::vector<uint8_t> reply;
        size_t expected;
        int status;
        size_t payload;
    };
    const Case cases[] = {
        {"whatever follows the echo", echo(256, std::vector<uint8_t>(6, 1)), 0, HVQ5_RC_OK, 6},
        {"echo alone", echo(256, {}), 0, HVQ5_RC_OK, 0},
        {"short echo", shortEcho, 0, HVQ5_RC_BAD_REPLY, 0},
        {"another address", echo(257, std::vector<uint8_t>(256, 1)), 256, HVQ5_RC_BAD_REPLY, 0},
        {"whole block and more", echo(256, std::vector<uint8_t>(300, 1)), 256, HVQ5_RC_OK, 256},
        {"block one byte short", echo(256, std::vector<uint8_t>(255, 1)), 256, HVQ5_RC_TIMEOUT, 0},
    };
    for (const Case& c : cases) {
        const block_codec::BlockReply taken = block_codec::readBlockReply(256, c.reply.data(), c.reply.size(), c.expected);
        EXPECT_EQ(taken.status, c.status) << c.name;
        EXPECT_EQ(taken.payloadSize, c.payload) << c.name;
    }
}

TEST(BlockCodec, MeasuredValuesAreWholeAndFitTheCaller) {
    const std::vector<uint8_t> eight{0xFF, 0xFF, 0xFF, 0xFE, 0, 0, 1, 0};
    std::vector<int32_t> values(10, 5);
    EXPECT_EQ(block_codec::decodeMeasuredValues(eight.data(), 6, values), HVQ5_RC_BAD_BLOCK);
    EXPECT_EQ(values.size(), 10u);
    ASSERT_EQ(block_codec::decodeMeasuredValues(eight.data(), 8, values), HVQ5_RC_OK);
    EXPECT_EQ(values, (std::vector<int32_t>{-2, 256}));
    std::vector<int32_t> one(1);
    EXPECT_EQ(block_codec::decodeMeasuredValues(eight.data(), 8, one), HVQ5_RC_BAD_BLOCK);
}

TEST(BlockCodec, ParameterHalfIsTheLastBlockHeld) {
    std::vector<uint8_t> held(200 + 256, 0xEE);
    std::fill(held.begin() + 200, held.end(), 0);
    held[200 + 3] = 9;  // first value of the half
    std::vector<int32_t> values;
    ASSERT_TRUE(block_codec::decodeParameterHalf(held.data(), held.size(), values));
    ASSERT_EQ(values.size(), 64u);
    EXPECT_EQ(values[0], 9);
    EXPECT_FALSE(block_codec::decodeParameterHalf(held.data(), 255, values));
    EXPECT_EQ(values.size(), 64u);
}

TEST(BlockCodec, SettingsWordsAreTheWholeWordsHeld) {
    const std::vector<uint8_t> payload{0, 0, 0, 1, 0x80, 0, 0, 2, 7};
    EXPECT_EQ(block_codec::decodeSettingsWords(payload.data(), payload.size()),
              (std::vector<uint32_t>{1, 0x80000002u}));
}

}  // namespace
