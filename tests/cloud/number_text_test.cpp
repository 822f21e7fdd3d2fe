// The cloud files' number text is printf's "%.8g" and "%u", byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "views/height/cloud/number_text.h"

namespace {

using namespace kx::common;

std::string ours(float value) {
    char text[text::kMaxNumberText];
    return std::string(text, text::printFloat8(value, text));
}

std::string printfs(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.8g", static_cast<double>(value));
    return text;
}

float fromBits(uint32_t bits) {
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

TEST(NumberText, FloatsAsPrintfPrintsThem) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float values[] = {
        0.0f, -0.0f, 1.0f, -1.0f, -9999.0f, 12.5f, -12.5f, 0.02f, 0.05f, -31.98f, 63.98f, 0.1f, 1e-4f, 9.9999e-5f,
        1e-5f, 123456.78f, 1234567.8f, 12345678.0f, 99999999.0f, 1e8f, 123456789.0f, 1e10f, -3.4028235e38f,
        std::numeric_limits<float>::max(), std::numeric_limits<float>::min(), std::numeric_limits<float>::denorm_min(),
        1e-24f, 1e-25f, 1e-38f, 255.0f, 0.5f, 0.25f, 1.0f / 3.0f, -2.0f / 3.0f,
        // Exactly halfway between two 8-digit results: printf rounds to even.
        1048576.25f, 1048576.75f, 2097152.5f, 4194304.5f, 0.001953125f, 33554432.0f, 16777217.0f,
        // Rounding that carries into another digit or decade.
        9.9999999e-5f, 99999.999f, 0.99999999f, 9999999.5f, 999999.94f,
        std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(), nan, -nan,
        fromBits(0x7FC00001), fromBits(0xFFFFFFFF), fromBits(0x00000001), fromBits(0x807FFFFF)};
    for (const float value : values) {
        SCOPED_TRACE(printfs(value));
        EXPECT_EQ(ours(value), printfs(value));
    }
}

TEST(NumberText, RandomFloatsOfEveryMagnitudeAsPrintfPrintsThem) {
    std::mt19937 random(20260110);
    for (int i = 0; i < 300000; ++i) {
        const uint32_t bits = static_cast<uint32_t>(random());
        ASSERT_EQ(ours(fromBits(bits)), printfs(fromBits(bits))) << std::hex << "bits 0x" << bits;
    }
    // The heights and coordinates of a grid: a few decades around 1 mm.
    std::uniform_real_distribution<float> heights(-200.0f, 200.0f);
    for (int i = 0; i < 300000; ++i) {
        const float value = heights(random) * (i % 2 ? 1.0f : 0.001f);
        ASSERT_EQ(ours(value), printfs(value));
    }
}

TEST(NumberText, UnsignedAsPrintfPrintsThem) {
    for (const uint32_t value : {0u, 7u, 10u, 255u, 65535u, 4278190080u, 4294967295u}) {
        char text[text::kMaxNumberText];
        char expected[16];
        std::snprintf(expected, sizeof expected, "%u", value);
        EXPECT_EQ(std::string(text, text::printUnsigned(value, text)), expected);
    }
}

}  // namespace
