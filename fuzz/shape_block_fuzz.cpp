// The sensor's shape block from arbitrary bytes of any size. The decoder may
// take only whole records inside the input, at most sixteen, each of a type
// the pages use; encoding them again must give exactly the kept slots, moved
// up to the front, the rest zero.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "views/camera/shape_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<IgnoreAreaRecord> records = shape_block::decode(data, size);
    FUZZ_CHECK(records.size() <= static_cast<size_t>(shape_block::kRecords));
    FUZZ_CHECK(records.size() <= size / shape_block::kRecordBytes);

    std::vector<size_t> kept;
    for (size_t i = 0; i < size / shape_block::kRecordBytes && i < static_cast<size_t>(shape_block::kRecords); ++i) {
        const uint8_t* slot = data + i * shape_block::kRecordBytes;
        if (shape_block::isTakenType(static_cast<uint16_t>(slot[0] | (slot[1] << 8)))) kept.push_back(i);
    }
    FUZZ_CHECK(kept.size() == records.size());

    const shape_block::IgnoreAreaBlock block = shape_block::encode(records);
    for (size_t k = 0; k < kept.size(); ++k) {
        const uint8_t* from = data + kept[k] * shape_block::kRecordBytes;
        for (int b = 0; b < shape_block::kRecordBytes; ++b)
            FUZZ_CHECK(block[k * shape_block::kRecordBytes + b] == from[b]);
    }
    for (size_t b = kept.size() * shape_block::kRecordBytes; b < block.size(); ++b) FUZZ_CHECK(block[b] == 0);

    // The record functions refuse what lies outside the input.
    uint8_t record[shape_block::kRecordBytes];
    const int count = static_cast<int>(size / shape_block::kRecordBytes);
    const int clipped = size > 0x7fffffff ? 0x7fffffff : static_cast<int>(size);
    FUZZ_CHECK(getShapeRecord(count, data, clipped, record) == 2);
    if (count > 0) FUZZ_CHECK(getShapeRecord(count - 1, data, clipped, record) == 0);
    return 0;
}
