// Rows reused frame after frame hold exactly what freshly made rows hold: no
// value of an earlier, wider or fuller frame survives.
#include <gtest/gtest.h>

#include <vector>

#include "sensor_interface/processing/frame_output_rows.h"
#include "sensor_interface/processing/profile_processor.h"

namespace {

template <typename T>
std::vector<T> row(const T* values, int width) {
    return std::vector<T>(values, values + width);
}

TEST(FrameOutputRowsReuse, ReusedRowsEqualFreshRowsForEveryWidthAndCountSequence) {
    // Without a register image every point is invalid: the int32 row holds
    // -999900000 where the profile reaches and 0 beyond, so stale values show.
    ProfileProcessor processor(2048, 3200, 1.5625);
    FrameOutputRows reused;
    struct Frame {
        int width, count;
        bool extended;
    };
    const Frame frames[] = {{3200, 3200, false}, {100, 3200, false}, {3200, 50, false},
                            {2000, 1999, true},  {0, 3200, false},   {4000, 3200, false},
                            {4000, 0, false},    {500, 3200, true},  {3200, 3200, false},
                            {-5, 10, false},     {64, 64, false},    {4096, 3000, true}};
    for (const Frame& f : frames) {
        OutputRowRules rules;
        rules.width = f.width;
        rules.extendedCodes = f.extended;
        FrameOutputRows fresh;
        fresh.fill(processor, f.count, rules);
        reused.fill(processor, f.count, rules);
        ASSERT_EQ(reused.width(), fresh.width());
        ASSERT_EQ(reused.offset(), fresh.offset());
        const int w = fresh.width();
        EXPECT_EQ(row(reused.codes(), w), row(fresh.codes(), w)) << f.width << " " << f.count;
        EXPECT_EQ(row(reused.heights(), w), row(fresh.heights(), w)) << f.width << " " << f.count;
        EXPECT_EQ(row(reused.gray(), w), row(fresh.gray(), w)) << f.width << " " << f.count;
        if (!f.extended && f.width > 0 && f.count > 0) {
            EXPECT_EQ(fresh.heights()[0], -999900000);
        }
    }
}

}  // namespace
