// The grey levels of a row of heights, several at a time, are greyLevel's
// levels bit for bit: both modes, scales without width, the invalid height,
// NaN and infinities, heights right at the limits and at whole levels, and
// rows of every length around the step of eight.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "views/height/grey_scale.h"

namespace {

std::vector<double> interestingHeights(const GreyScale& s) {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> heights = {-9999.0, 0.0, -0.0, std::nan(""), inf, -inf, s.zLower, s.zUpper,
                                   std::nextafter(s.zLower, 0.0), std::nextafter(s.zUpper, 1e9), s.fixedMin,
                                   s.fixedMax, 1e300, -1e300};
    // Heights that land on whole levels and just beside them.
    for (int level = -2; level <= 258; ++level) {
        const double h = s.fixedRange ? s.fixedMin + (s.fixedMax - s.fixedMin) * level / 236.0
                                      : (level - 138) / 118.0 * s.zUpper;
        heights.push_back(h);
        heights.push_back(std::nextafter(h, -1e9));
        heights.push_back(std::nextafter(h, 1e9));
    }
    std::mt19937 random(58);
    std::uniform_real_distribution<double> spread(s.zLower * 1.5 - 1, s.zUpper * 1.5 + 1);
    for (int i = 0; i < 4000; ++i) heights.push_back(spread(random));
    return heights;
}

}  // namespace

TEST(GreyLevels, AreGreyLevelsBitForBitInEveryMode) {
    GreyScale automatic;
    automatic.zLower = -12.5;
    automatic.zUpper = 12.5;
    GreyScale fixed;
    fixed.fixedRange = true;
    fixed.fixedMin = -2;
    fixed.fixedMax = 8;
    fixed.zLower = -12.5;
    fixed.zUpper = 12.5;
    GreyScale fixedInside = fixed;  // the fixed range wider than the sensor's
    fixedInside.fixedMin = -20;
    fixedInside.fixedMax = 30;
    GreyScale flatFixed = fixed;
    flatFixed.fixedMax = flatFixed.fixedMin;
    GreyScale flatAutomatic = automatic;
    flatAutomatic.zUpper = 0;
    const struct {
        const char* name;
        GreyScale scale;
    } scales[] = {{"automatic", automatic},           {"fixed", fixed},
                  {"fixed wider than the sensor", fixedInside}, {"fixed without width", flatFixed},
                  {"automatic without zUpper", flatAutomatic}};
    for (const auto& c : scales) {
        const std::vector<double> heights = interestingHeights(c.scale);
        std::vector<uint8_t> levels(heights.size(), 77);
        greyLevels(heights.data(), static_cast<int>(heights.size()), levels.data(), c.scale);
        for (size_t i = 0; i < heights.size(); ++i)
            ASSERT_EQ(levels[i], greyLevel(heights[i], c.scale)) << c.name << ": height " << heights[i];
    }
}

TEST(GreyLevels, RowsOfEveryLengthAreFilledExactly) {
    GreyScale scale;
    std::vector<double> heights(40);
    for (size_t i = 0; i < heights.size(); ++i) heights[i] = -6.0 + 0.3 * static_cast<double>(i);
    for (int n = 0; n <= 33; ++n) {
        std::vector<uint8_t> out(heights.size(), 201);
        greyLevels(heights.data(), n, out.data(), scale);
        for (int i = 0; i < n; ++i) ASSERT_EQ(out[i], greyLevel(heights[i], scale)) << "length " << n << ", " << i;
        for (size_t i = static_cast<size_t>(n); i < out.size(); ++i)
            ASSERT_EQ(out[i], 201) << "length " << n << ": written beyond the row at " << i;
    }
}
