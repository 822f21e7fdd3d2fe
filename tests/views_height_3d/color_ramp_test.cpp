// The mesh's height colours: the 512-entry ramp and the entry of a height.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "views/height/view3d/height_color_ramp.h"

namespace {

TEST(HeightColorRamp, RunsFromBlueThroughCyanGreenAndYellowToRed) {
    struct Case {
        int entry;
        int red, green, blue;
    } cases[] = {
        {0, 0, 0, 255},   {64, 0, 85, 255},  {128, 0, 255, 255}, {255, 0, 255, 1},  {256, 0, 255, 0},
        {320, 85, 255, 0}, {384, 255, 255, 0}, {448, 255, 85, 0}, {511, 255, 1, 0},
    };
    const auto& ramp = heightColorRamp();
    for (const Case& c : cases) {
        const RampColor& colour = ramp[static_cast<size_t>(c.entry)];
        EXPECT_EQ(colour.red, c.red) << "entry " << c.entry;
        EXPECT_EQ(colour.green, c.green) << "entry " << c.entry;
        EXPECT_EQ(colour.blue, c.blue) << "entry " << c.entry;
    }
}

TEST(HeightColorRamp, EntryOfAHeightAndEverythingOutsideTheRangeIsRed) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* name;
        float z, zMin, zMax;
        int entry;
    } cases[] = {
        {"lowest", -1.0f, -1.0f, 3.0f, 0},
        {"middle", 1.0f, -1.0f, 3.0f, 255},
        {"just below the top", 2.999f, -1.0f, 3.0f, 510},
        {"top", 3.0f, -1.0f, 3.0f, 511},
        {"above the range", 7.0f, -1.0f, 3.0f, 511},
        {"below the range", -2.0f, -1.0f, 3.0f, 511},
        {"null height", -9999.0f, -1.0f, 3.0f, 511},
        {"not a number", nan, -1.0f, 3.0f, 511},
        {"infinite", inf, -1.0f, 3.0f, 511},
        {"empty range, at it", 0.0f, 0.0f, 0.0f, 511},
        {"empty range, above", 1.0f, 0.0f, 0.0f, 511},
        {"empty range, below", -1.0f, 0.0f, 0.0f, 511},
    };
    for (const Case& c : cases) EXPECT_EQ(rampIndex(c.z, c.zMin, c.zMax), c.entry) << c.name;
}

}  // namespace
