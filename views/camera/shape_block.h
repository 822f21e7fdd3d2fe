#pragma once
// The sensor's shape block: sixteen 16-byte records of eight little-endian
// 16-bit words (type, x0, y0, x1, y1, x2, y2, flag). The sensor counts image
// columns; the pages count display columns (image column - 8). Rows are
// sensor rows in both. Kept free of Qt so the settings files and the fuzz
// target use the same code.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

struct IgnoreAreaRecord {
    uint16_t type = 0;  // 1 rectangle, 2 triangle, 0 an empty slot
    uint16_t x0 = 0;
    uint16_t y0 = 0;
    uint16_t x1 = 0;
    uint16_t y1 = 0;
    uint16_t x2 = 0;
    uint16_t y2 = 0;
    uint16_t flag = 0;  // 0 an area the user drew, 1 a ROI band

    bool operator==(const IgnoreAreaRecord& o) const {
        return type == o.type && x0 == o.x0 && y0 == o.y0 && x1 == o.x1 && y1 == o.y1 && x2 == o.x2 &&
               y2 == o.y2 && flag == o.flag;
    }
    bool operator!=(const IgnoreAreaRecord& o) const { return !(*this == o); }
};

namespace shape_block {

constexpr int kRecordBytes = 16;
constexpr int kRecords = 16;
constexpr int kBlockBytes = kRecordBytes * kRecords;
constexpr uint16_t kColumnShift = 8;  // image columns hidden at each side
constexpr uint16_t kUserArea = 0;
constexpr uint16_t kRoiBand = 1;

using IgnoreAreaBlock = std::array<uint8_t, kBlockBytes>;

inline IgnoreAreaRecord recordFromBytes(const uint8_t* bytes) {
    uint16_t w[8];
    for (int i = 0; i < 8; ++i) w[i] = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return IgnoreAreaRecord{w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7]};
}

inline void recordToBytes(const IgnoreAreaRecord& r, uint8_t* bytes) {
    const uint16_t w[8] = {r.type, r.x0, r.y0, r.x1, r.y1, r.x2, r.y2, r.flag};
    for (int i = 0; i < 8; ++i) {
        bytes[2 * i] = static_cast<uint8_t>(w[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<uint8_t>(w[i] >> 8);
    }
}

// Moves the column words by delta, in 16-bit arithmetic.
inline IgnoreAreaRecord shiftColumns(IgnoreAreaRecord r, int delta) {
    r.x0 = static_cast<uint16_t>(r.x0 + delta);
    r.x1 = static_cast<uint16_t>(r.x1 + delta);
    r.x2 = static_cast<uint16_t>(r.x2 + delta);
    return r;
}

// Records the pages take from the sensor: types 1 to 9, the others are dropped.
inline bool isTakenType(uint16_t type) { return type >= 1 && type <= 9; }

// The block's records as the pages use them (display columns), in slot order.
// Reads only whole records inside [data, data + size), at most sixteen.
inline std::vector<IgnoreAreaRecord> decode(const uint8_t* data, size_t size) {
    std::vector<IgnoreAreaRecord> records;
    const size_t whole = data ? size / kRecordBytes : 0;
    for (size_t i = 0; i < whole && i < static_cast<size_t>(kRecords); ++i) {
        const IgnoreAreaRecord r = recordFromBytes(data + i * kRecordBytes);
        if (isTakenType(r.type)) records.push_back(shiftColumns(r, -kColumnShift));
    }
    return records;
}

// The block for the sensor (image columns): the first sixteen records,
// the remaining slots zero.
inline IgnoreAreaBlock encode(const std::vector<IgnoreAreaRecord>& records) {
    IgnoreAreaBlock block{};
    for (size_t i = 0; i < records.size() && i < static_cast<size_t>(kRecords); ++i)
        recordToBytes(shiftColumns(records[i], kColumnShift), block.data() + i * kRecordBytes);
    return block;
}

// The Z-range window of a camera of R rows at Z-range index k (0 to 3): its
// height R x s and its top row o in sensor rows.
struct ZWindow {
    int rows;    // R x s
    int offset;  // o = (R - R x s) / 2
};

inline ZWindow zWindow(int sensorRows, int zRangeIndex) {
    const int shift = zRangeIndex < 0 ? 0 : (zRangeIndex > 3 ? 3 : zRangeIndex);
    const int rows = sensorRows >> shift;
    return ZWindow{rows, (sensorRows - rows) / 2};
}

}  // namespace shape_block

// Record `index` of a block of blockBytes bytes, copied raw (16 bytes).
// 2 and nothing copied when the block is shorter than one record or the index
// lies past its last whole record; else 0.
inline int getShapeRecord(int index, const void* block, int blockBytes, void* out) {
    if (blockBytes < shape_block::kRecordBytes || index < 0 || index >= blockBytes / shape_block::kRecordBytes)
        return 2;
    std::memcpy(out, static_cast<const uint8_t*>(block) + index * shape_block::kRecordBytes,
                shape_block::kRecordBytes);
    return 0;
}

inline int putShapeRecord(int index, void* block, int blockBytes, const void* in) {
    if (blockBytes < shape_block::kRecordBytes || index < 0 || index >= blockBytes / shape_block::kRecordBytes)
        return 2;
    std::memcpy(static_cast<uint8_t*>(block) + index * shape_block::kRecordBytes, in, shape_block::kRecordBytes);
    return 0;
}
