// The one rule from a typed decimal to a register value: the decimal's digits
// survive the binary value that carries them, finer digits are cut.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "sensor_interface/settings/register_decimal.h"

namespace {

using mirevo::settings::DecimalCut;
using mirevo::settings::register_from_decimal;

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

struct DecimalCase {
    const char* where;  // the setting that takes such a value
    double typed;
    double scale;
    int32_t expected;
    DecimalCut cut = DecimalCut::TowardZero;
};

// Values people type whose product lies just below the whole number in
// binary: a plain truncation, as every conversion made it before, loses a
// digit of each.
TEST(RegisterDecimal, TypedDigitsSurviveTheirBinaryValue) {
    const DecimalCase cases[] = {
        {"z offset of the 563 TIF (mm x 100)", 1.13, 100, 113},
        {"z offset, negative", -1.13, 100, -113},
        {"trigger y interval (mm x 100000)", 0.29, 100000, 29000},
        {"per-point z offset (mm x 100000)", 1.13, 100000, 113000},
        {"x pitch (um x 100)", 2.66, 100, 266},
        {"x pitch", 2.01, 100, 201},
        {"a millimetre value x 1000", 1.001, 1000, 1001},
        {"a millimetre value x 1000", 1.005, 1000, 1005},
        {"a factor x 100000", 1.001, 100000, 100100},
        {"gray map slope (x 100)", 0.29, 100, 29},
        {"gray map slope", 0.57, 100, 57},
        {"gray map slope", -0.57, 100, -57},
        {"a decimal of 4.35", 4.35, 100, 435},
    };
    for (const DecimalCase& c : cases)
        EXPECT_EQ(register_from_decimal(c.typed, c.scale, c.cut), c.expected) << c.where << ": " << c.typed;
}

// The weld filter's height threshold and the tilt values keep the plain
// truncation of the double product that sensors' saved values were made with.
TEST(RegisterDecimal, TheProductTruncatedCutKeepsThePlainTruncation) {
    const DecimalCase cases[] = {
        {"height threshold of the weld filter (mm x 1000)", 1.001, 1000, 1000},
        {"height threshold", 1.235, 1000, 1235},
        {"height threshold, negative", -2.5, 1000, -2500},
        {"tilt factor (x 100000)", 1.001, 100000, 100099},
        {"tilt correction", -0.123, 100000, -12300},
        {"tilt correction", 0.007, 100000, 700},
        {"a product above the register", 1e12, 100, kMax},
        {"not a number", std::numeric_limits<double>::quiet_NaN(), 100, 0},
    };
    for (const DecimalCase& c : cases)
        EXPECT_EQ(register_from_decimal(c.typed, c.scale, DecimalCut::ProductTruncated), c.expected)
            << c.where << ": " << c.typed;
}

TEST(RegisterDecimal, EveryDecimalWithAsManyDigitsAsTheScaleKeepsThemAll) {
    for (const double scale : {100.0, 1000.0, 100000.0}) {
        for (int units = -20000; units <= 20000; ++units) {
            const double typed = units / scale;
            ASSERT_EQ(register_from_decimal(typed, scale), units) << typed << " x " << scale;
        }
    }
    // Typed into a float (the gamma of the light correction): 0.53f x 100 is
    // 52.99999..., which a plain truncation stored as 52.
    for (int hundredths = 1; hundredths <= 1000; ++hundredths) {
        const float entered = static_cast<float>(hundredths / 100.0);
        ASSERT_EQ(register_from_decimal(entered, 100.0), hundredths) << entered;
        ASSERT_EQ(register_from_decimal(-entered, 100.0), -hundredths) << -entered;
    }
}

TEST(RegisterDecimal, FinerDigitsAreCutRoundedOrSaturated) {
    const DecimalCase cases[] = {
        {"trigger y interval: digits below the register's", 0.123456, 100000, 12345},
        {"below the register's unit, negative", -0.123456, 100000, -12345},
        {"gradient threshold (x 16)", 2.99, 16, 47},
        {"gradient threshold", 0.06, 16, 0},
        {"halo ratio (x 256)", 0.39, 256, 99},
        {"halo ratio", 99.99, 256, 25597},
        {"peak threshold (x 128, nearest)", 0.78, 128, 100, DecimalCut::Nearest},
        {"peak threshold: a half goes away from zero", 128.5 / 128, 128, 129, DecimalCut::Nearest},
        {"peak threshold: a negative half", -128.5 / 128, 128, -129, DecimalCut::Nearest},
        {"peak threshold: below a half", 0.0039, 128, 0, DecimalCut::Nearest},
        {"a product above the register", 1e12, 100, kMax},
        {"a product below the register", -1e12, 100, kMin},
        {"not a number", std::numeric_limits<double>::quiet_NaN(), 100, 0},
        {"zero", 0.0, 100000, 0},
    };
    for (const DecimalCase& c : cases)
        EXPECT_EQ(register_from_decimal(c.typed, c.scale, c.cut), c.expected) << c.where << ": " << c.typed;
    EXPECT_EQ(register_from_decimal(0.535f, 100.0), 53);
    EXPECT_EQ(register_from_decimal(0.299f, 100.0), 29);
    EXPECT_EQ(register_from_decimal(0.0f, 100.0), 0);
    EXPECT_EQ(register_from_decimal(1e20f, 100.0), kMax);
}

}  // namespace
