// The shape block as the sensor holds it and as the pages use it.
#include <gtest/gtest.h>

#include <QString>

#include <cstdint>
#include <vector>

#include "views/camera/hex_text.h"
#include "views/camera/shape_block.h"

namespace {

using shape_block::IgnoreAreaBlock;

std::vector<uint8_t> recordBytes(const IgnoreAreaBlock& block, int index) {
    return std::vector<uint8_t>(block.begin() + 16 * index, block.begin() + 16 * index + 16);
}

std::vector<uint8_t> bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) out.push_back(static_cast<uint8_t>(v));
    return out;
}

TEST(ShapeRecord, GetAndPutRefuseIndexesPastTheBlockAndShortBlocks) {
    uint8_t block[256] = {};
    for (int i = 0; i < 256; ++i) block[i] = static_cast<uint8_t>(i);
    uint8_t record[16];
    std::fill(std::begin(record), std::end(record), 0xEE);

    struct Case {
        int index;
        int size;
        int status;
    };
    for (const Case& c : {Case{0, 256, 0}, Case{15, 256, 0}, Case{16, 256, 2}, Case{-1, 256, 2}, Case{0, 15, 2},
                          Case{0, 16, 0}, Case{1, 31, 2}}) {
        SCOPED_TRACE(testing::Message() << "index " << c.index << " size " << c.size);
        uint8_t out[16];
        std::fill(std::begin(out), std::end(out), 0xEE);
        EXPECT_EQ(getShapeRecord(c.index, block, c.size, out), c.status);
        if (c.status == 0) {
            EXPECT_EQ(out[0], 16 * c.index);
        } else {
            EXPECT_EQ(out[0], 0xEE) << "nothing copied";
        }
        uint8_t target[256] = {};
        EXPECT_EQ(putShapeRecord(c.index, target, c.size, record), c.status);
        if (c.status != 0) {
            for (uint8_t b : target) ASSERT_EQ(b, 0);
        } else {
            EXPECT_EQ(target[16 * c.index], 0xEE);
        }
    }
}

TEST(ShapeBlock, RectangleOnTheHalfWindowIsStoredInSensorRowsAndImageColumns) {
    const shape_block::ZWindow window = shape_block::zWindow(608, 1);
    EXPECT_EQ(window.offset, 152);
    EXPECT_EQ(window.rows, 304);
    IgnoreAreaRecord r;
    r.type = 1;
    r.x0 = 10;
    r.y0 = static_cast<uint16_t>(10 + window.offset);
    r.x1 = 100;
    r.y1 = static_cast<uint16_t>(50 + window.offset);
    const IgnoreAreaBlock block = shape_block::encode({r});
    EXPECT_EQ(recordBytes(block, 0), bytes({0x01, 0x00, 0x12, 0x00, 0xa2, 0x00, 0x6c, 0x00, 0xca, 0x00, 0x08, 0x00,
                                            0x00, 0x00, 0x00, 0x00}));
    for (int i = 16; i < 256; ++i) ASSERT_EQ(block[i], 0) << i;
}

TEST(ShapeBlock, LowerRoiBandOfAWindowEndingAtRow303) {
    const shape_block::ZWindow window = shape_block::zWindow(608, 1);
    IgnoreAreaRecord band;
    band.type = 1;
    band.x0 = 0;
    band.y0 = static_cast<uint16_t>(303 + window.offset);
    band.x1 = 2047;
    band.y1 = static_cast<uint16_t>(window.offset + window.rows - 1);
    band.flag = 1;
    const IgnoreAreaBlock block = shape_block::encode({band});
    EXPECT_EQ(recordBytes(block, 0), bytes({0x01, 0x00, 0x08, 0x00, 0xc7, 0x01, 0x07, 0x08, 0xc7, 0x01, 0x08, 0x00,
                                            0x00, 0x00, 0x01, 0x00}));
}

TEST(ShapeBlock, SeventeenRecordsSendSixteen) {
    std::vector<IgnoreAreaRecord> records(17);
    for (int i = 0; i < 17; ++i) {
        records[i].type = 1;
        records[i].x0 = static_cast<uint16_t>(i);
    }
    const IgnoreAreaBlock block = shape_block::encode(records);
    const std::vector<IgnoreAreaRecord> back = shape_block::decode(block.data(), block.size());
    ASSERT_EQ(back.size(), 16u);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(back[i], records[i]);
}

TEST(ShapeBlock, DecodeTakesTypesOneToNineAndMovesColumnsToTheDisplay) {
    IgnoreAreaBlock block{};
    const uint16_t types[] = {0, 1, 2, 3, 9, 10, 0xFFFF};
    for (int i = 0; i < 7; ++i) {
        IgnoreAreaRecord r{types[i], 18, 5, 108, 50, 8, 0, 0};
        shape_block::recordToBytes(r, block.data() + 16 * i);
    }
    const std::vector<IgnoreAreaRecord> records = shape_block::decode(block.data(), block.size());
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].type, 1);
    EXPECT_EQ(records[3].type, 9);
    EXPECT_EQ(records[0].x0, 10);
    EXPECT_EQ(records[0].x1, 100);
    EXPECT_EQ(records[0].x2, 0);
    EXPECT_EQ(records[0].y0, 5) << "rows are not moved";
}

TEST(ShapeBlock, ColumnsBelowEightWrapInSixteenBitsAndComeBackWhole) {
    IgnoreAreaBlock block{};
    shape_block::recordToBytes(IgnoreAreaRecord{1, 3, 0, 7, 1, 0, 0, 0}, block.data());
    const std::vector<IgnoreAreaRecord> records = shape_block::decode(block.data(), block.size());
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].x0, 0xFFFB);
    EXPECT_EQ(shape_block::encode(records), block);
}

TEST(ShapeBlock, ZWindowOfEveryModelAndIndex) {
    struct Case {
        int rows, k, windowRows, offset;
    };
    for (const Case& c : {Case{608, 0, 608, 0}, Case{608, 2, 152, 228}, Case{608, 3, 76, 266}, Case{640, 3, 80, 280},
                          Case{1024, 1, 512, 256}}) {
        const shape_block::ZWindow w = shape_block::zWindow(c.rows, c.k);
        EXPECT_EQ(w.rows, c.windowRows) << c.rows << " " << c.k;
        EXPECT_EQ(w.offset, c.offset) << c.rows << " " << c.k;
    }
}

TEST(HexText, TwoDigitsAndABlankPerByte) {
    const uint8_t data[] = {0x00, 0xAB, 0x10};
    EXPECT_EQ(bytesToHexString(data, 3, false), QStringLiteral("00 ab 10 "));
    EXPECT_EQ(bytesToHexString(data, 3, true), QStringLiteral("00 AB 10 "));
    EXPECT_EQ(bytesToHexString(data, 0, false), QString());
}

}  // namespace
