#pragma once
// The raw image dump read back by a decoder of the tests' own: an inverse of
// the scrambling table built here, then the little-endian fields at their
// offsets.
#include <gtest/gtest.h>

#include <QByteArray>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "views/camera/raw_image_dump.h"

namespace mirevo::test {

struct DecodedDump {
    std::string magic;
    int32_t columns = 0;
    int32_t rows = 0;
    int32_t n = 0;
    std::vector<uint8_t> pixels;
    std::vector<float> peaks;
    std::string trailer;
};

// Undoes the scrambling with an inverse table built here, then reads the
// little-endian fields at their offsets.
inline DecodedDump decodeDump(const QByteArray& file) {
    const std::array<uint8_t, 256>& table = raw_image_dump::scrambleTable();
    std::array<int, 256> inverse;
    inverse.fill(-1);
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(inverse[table[b]], -1) << "the table is no permutation";
        inverse[table[b]] = b;
    }
    std::vector<uint8_t> body(static_cast<size_t>(file.size()) - 2);
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<uint8_t>(inverse[static_cast<uint8_t>(file[int(i)])]);
    auto le32 = [&](size_t at) {
        return static_cast<int32_t>(body[at] | (body[at + 1] << 8) | (body[at + 2] << 16) |
                                    (static_cast<uint32_t>(body[at + 3]) << 24));
    };
    DecodedDump d;
    d.magic = std::string(reinterpret_cast<const char*>(body.data()), 2);
    d.columns = le32(4);
    d.rows = le32(8);
    d.n = le32(12);
    const size_t image = static_cast<size_t>(d.rows) * d.columns;
    d.pixels.assign(body.begin() + 16, body.begin() + 16 + image);
    for (int i = 0; i < d.n; ++i) {
        const uint32_t bits = static_cast<uint32_t>(le32(16 + image + 4 * i));
        float f;
        std::memcpy(&f, &bits, 4);
        d.peaks.push_back(f);
    }
    EXPECT_EQ(16 + image + 4 * static_cast<size_t>(d.n), body.size());
    d.trailer = file.right(2).toStdString();
    return d;
}

}  // namespace mirevo::test
