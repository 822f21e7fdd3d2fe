#include <gtest/gtest.h>

#include "settings_windows/core/segment_rules.h"

using ysegment::Ends;
using ysegment::Writes;

TEST(YSegments, EndsFromCountsAreCappedAtTheBatchSizeAndSegmentsReachingItAreMarkedUnused) {
    Writes writes;
    const Ends ends = ysegment::endsFromCounts({100, 200, 0xFFFF, 0, 0}, 250, &writes);
    EXPECT_EQ(ends, (Ends{100, 250, 250, 250, 250}));
    EXPECT_EQ(writes, (Writes{{550, 0xFFFF}, {560, 0xFFFF}, {570, 0xFFFF}, {580, 0xFFFF}}));

    writes.clear();
    EXPECT_EQ(ysegment::endsFromCounts({10, 20, 30, 40, 50}, 1000, &writes), (Ends{10, 30, 60, 100, 150}));
    EXPECT_TRUE(writes.empty());

    writes.clear();
    EXPECT_EQ(ysegment::endsFromCounts({0xFFFFFFFFu, 0xFFFFFFFFu, 0, 0, 0}, 1000, &writes),
              (Ends{1000, 1000, 1000, 1000, 1000}));
    EXPECT_EQ(writes.size(), 5u);
}

TEST(YSegments, StoringAnEndRow) {
    struct Case {
        const char* name;
        Ends before;
        int segment;
        uint32_t end;
        Writes writes;
        Ends after;
    };
    const Case cases[] = {
        {"first segment, next end stays", {100, 200, 250, 250, 250}, 0, 50, {{540, 50}, {550, 150}},
         {50, 200, 250, 250, 250}},
        {"equal to the previous end: unused, next untouched", {100, 200, 250, 250, 250}, 1, 100, {{550, 0xFFFF}},
         {100, 100, 250, 250, 250}},
        {"beyond the next end: next dropped and moved up", {100, 150, 200, 250, 250}, 1, 210,
         {{550, 110}, {560, 0xFFFF}}, {100, 210, 210, 250, 250}},
        {"at the next end: next dropped", {100, 150, 200, 250, 250}, 1, 200, {{550, 100}, {560, 0xFFFF}},
         {100, 200, 200, 250, 250}},
        {"at the batch end: unused only", {100, 200, 250, 250, 250}, 1, 250, {{550, 0xFFFF}},
         {100, 250, 250, 250, 250}},
        {"last segment has no next", {10, 20, 30, 40, 250}, 4, 45, {{580, 5}}, {10, 20, 30, 40, 45}},
        {"outside 0..4: nothing", {1, 2, 3, 4, 5}, 5, 9, {}, {1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ends ends = c.before;
        EXPECT_EQ(ysegment::storeEnd(ends, c.segment, c.end, 250), c.writes);
        EXPECT_EQ(ends, c.after);
    }
}

TEST(YSegments, ShowingASegment) {
    const Ends ends{100, 80, 250, 250, 250};
    const auto first = ysegment::showSegment(ends, 0);
    EXPECT_EQ(first.minimum, 1u);
    EXPECT_EQ(first.value, 100u);
    EXPECT_FALSE(first.moveUp);
    const auto second = ysegment::showSegment(ends, 1);
    EXPECT_EQ(second.minimum, 100u);
    EXPECT_EQ(second.value, 100u);
    EXPECT_TRUE(second.moveUp);
    const auto third = ysegment::showSegment(ends, 2);
    EXPECT_EQ(third.minimum, 80u);
    EXPECT_EQ(third.value, 250u);
    EXPECT_FALSE(third.moveUp);
}

TEST(YSegments, PeakModeItemsStandForTheirCodes) {
    EXPECT_EQ(ysegment::peakModeIndex(2), 0);
    EXPECT_EQ(ysegment::peakModeIndex(0), 1);
    EXPECT_EQ(ysegment::peakModeIndex(3), 7);
    EXPECT_EQ(ysegment::peakModeIndex(8), -1);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(ysegment::peakModeIndex(ysegment::kPeakModeCodes[i]), i);
}
