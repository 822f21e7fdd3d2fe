#include <vector>

#include <gtest/gtest.h>

#include "sensor_interface/processing/processing_types.h"
#include "sensor_interface/processing/resampling.h"

namespace {

constexpr int kInvalid = -9999000;
constexpr double kNever = 1e9;  // thresholds that no segment reaches

struct Resampled {
    std::vector<double> heights;
    std::vector<uint8_t> gray;
    std::vector<int32_t> marks;
};

// Grid 0, pitch, 2 pitch, ... of m points.
Resampled resample(std::vector<double> x, std::vector<double> z, std::vector<uint8_t> gray, int m,
                   double pitch, int mode, double slope = kNever, double step = kNever) {
    std::vector<double> grid(m);
    for (int p = 0; p < m; ++p) grid[p] = p * pitch;
    Resampled r{std::vector<double>(m, kInvalidHeight), std::vector<uint8_t>(m, 0),
                std::vector<int32_t>(x.size(), 0)};
    resample_to_grid(x.data(), z.data(), gray.data(), r.marks.data(), static_cast<int>(x.size()),
                     grid.data(), r.heights.data(), r.gray.data(), m, slope, step, mode, kInvalid);
    return r;
}

TEST(Resample, InterpolatesInsideAndInvalidatesOutsideTheEnds) {
    auto r = resample({0.5, 2.5}, {10.0, 30.0}, {100, 200}, 4, 1.0, 0);
    EXPECT_DOUBLE_EQ(r.heights[0], kInvalidHeight);
    EXPECT_DOUBLE_EQ(r.heights[1], 15.0);
    EXPECT_EQ(r.gray[1], 125);
    EXPECT_DOUBLE_EQ(r.heights[2], 25.0);
    EXPECT_EQ(r.gray[2], 175);
    EXPECT_DOUBLE_EQ(r.heights[3], kInvalidHeight);
    EXPECT_EQ(r.gray[0], 0);
    EXPECT_EQ(r.gray[3], 0);
}

TEST(Resample, ValidNeighbourOfAnInvalidPointReachesOnePitch) {
    auto r = resample({0.0, 4.0}, {10.0, kInvalidHeight}, {90, 50}, 5, 1.0, 1);
    const double expected[] = {10.0, 10.0, kInvalidHeight, kInvalidHeight, kInvalidHeight};
    const int expectedGray[] = {90, 90, 0, 0, 0};
    for (int p = 0; p < 5; ++p) {
        EXPECT_DOUBLE_EQ(r.heights[p], expected[p]) << p;
        EXPECT_EQ(r.gray[p], expectedGray[p]) << p;
    }
    EXPECT_EQ(r.marks[0], 0);
}

// Ends 10 pitches apart (wider than six): never interpolated unless the mode
// says so; ends within one pitch are copied.
TEST(Resample, WideGapFollowsTheNearerEndThenTheMode) {
    struct Case {
        int mode;
        double middle;
        int middleGray;
    } cases[] = {{0, kInvalidHeight, 0}, {1, 20.0, 150}, {2, 10.0, 100}, {7, kInvalidHeight, 0}};
    for (const auto& c : cases) {
        auto r = resample({0.0, 10.0}, {10.0, 30.0}, {200, 100}, 11, 1.0, c.mode);
        EXPECT_DOUBLE_EQ(r.heights[0], 10.0);
        EXPECT_DOUBLE_EQ(r.heights[1], 10.0);
        EXPECT_EQ(r.gray[1], 200);
        EXPECT_DOUBLE_EQ(r.heights[5], c.middle) << c.mode;
        EXPECT_EQ(r.gray[5], c.middleGray) << c.mode;
        EXPECT_DOUBLE_EQ(r.heights[9], 30.0);
        EXPECT_DOUBLE_EQ(r.heights[10], 30.0);
        EXPECT_EQ(r.marks[0], 1);
    }
}

TEST(Resample, ValidNeighbourWinsOverANearerInvalidOne) {
    // Grid 1.0 lies 0.25 from the invalid point and 0.75 from the valid one.
    auto r = resample({0.25, 1.25, 2.25}, {10.0, kInvalidHeight, 30.0}, {1, 2, 3}, 3, 1.0, 0);
    EXPECT_DOUBLE_EQ(r.heights[1], 10.0);
    EXPECT_EQ(r.gray[1], 1);
    EXPECT_DOUBLE_EQ(r.heights[2], 30.0);
}

// One grid point g on a grid of pitch 1 (the second grid point only sets the
// pitch), with the gray masking that follows the resampling in the pipeline.
struct GridPoint {
    double height;
    int gray;
};
GridPoint sample_at(std::vector<double> x, std::vector<double> z, std::vector<int32_t> marks,
                    double g, int mode) {
    const std::vector<uint8_t> gray{60, 90};
    const std::vector<double> grid{g, g + 1.0};
    std::vector<double> heights(2, kInvalidHeight);
    std::vector<uint8_t> grayOut(2, 0);
    // Steep: slope 1 and step 1 are reached by every segment with valid ends here.
    resample_to_grid(x.data(), z.data(), gray.data(), marks.data(), 2, grid.data(), heights.data(),
                     grayOut.data(), 2, 1.0, 1.0, mode, kInvalid);
    mask_invalid_gray(heights.data(), grayOut.data(), kInvalid, 0, 2);
    return {heights[0], grayOut[0]};
}

// Ends of a segment that is not interpolated: the left end when it is valid and
// within one pitch of the grid point, else the right end when it is, else the
// mode (invalid ends give invalid). The left end wins even where the right one
// is nearer, which decides where a steep step lands on the grid.
TEST(Resample, NonInterpolatedSegmentTakesTheLeftEndFirst) {
    constexpr double I = kInvalidHeight;
    struct Case {
        const char* what;
        std::vector<double> x, z;
        std::vector<int32_t> marks;
        double g;
        int mode;
        double height;
        int gray;
    } cases[] = {
        // A steep segment 1.5 pitches long: every grid point in it lies within a
        // pitch of one end, most of both.
        {"on the left end", {0.0, 1.5}, {0.0, 100.0}, {0, 0}, 0.0, 0, 0.0, 60},
        {"right end nearer", {0.0, 1.5}, {0.0, 100.0}, {0, 0}, 0.9, 0, 0.0, 60},
        {"one pitch from the left end", {0.0, 1.5}, {0.0, 100.0}, {0, 0}, 1.0, 0, 0.0, 60},
        {"beyond a pitch from the left end", {0.0, 1.5}, {0.0, 100.0}, {0, 0}, 1.25, 0, 100.0, 90},
        {"on the right end", {0.0, 1.5}, {0.0, 100.0}, {0, 0}, 1.5, 0, 100.0, 90},
        {"falling step", {0.0, 1.5}, {100.0, 0.0}, {0, 0}, 0.9, 1, 100.0, 60},
        // A flat segment made uncertain by a run mark behaves alike.
        {"marked, right end nearer", {0.0, 1.5}, {5.0, 6.0}, {0, 1}, 0.9, 2, 5.0, 60},
        // An invalid end is never copied: the valid one reaches a pitch from it.
        {"invalid left end", {0.0, 1.5}, {I, 100.0}, {0, 0}, 0.5, 0, 100.0, 90},
        {"invalid left end, marked", {0.0, 1.5}, {I, 100.0}, {1, 0}, 0.25, 2, I, 0},
        {"invalid left end, too far", {0.0, 1.5}, {I, 100.0}, {0, 0}, 0.25, 2, I, 0},
        {"invalid right end", {0.0, 1.5}, {0.0, I}, {0, 0}, 1.0, 1, 0.0, 60},
        // Both ends invalid: invalid with gray 0 whatever the mode.
        {"both invalid, mode 0", {0.0, 1.5}, {I, I}, {0, 0}, 0.5, 0, I, 0},
        {"both invalid, mode 1", {0.0, 1.5}, {I, I}, {0, 0}, 0.5, 1, I, 0},
        {"both invalid, mode 2", {0.0, 1.5}, {I, I}, {0, 0}, 0.5, 2, I, 0},
        {"both invalid, marked, mode 2", {0.0, 1.5}, {I, I}, {1, 1}, 0.5, 2, I, 0},
        // Beyond one pitch of both ends of a steep segment the mode decides.
        {"mode 0 beyond a pitch", {0.0, 4.0}, {0.0, 100.0}, {0, 0}, 2.0, 0, I, 0},
        {"mode 1 beyond a pitch", {0.0, 4.0}, {0.0, 100.0}, {0, 0}, 2.0, 1, 50.0, 75},
        {"mode 2 beyond a pitch", {0.0, 4.0}, {0.0, 100.0}, {0, 0}, 2.0, 2, 0.0, 60},
        {"mode 1 with an invalid end", {0.0, 4.0}, {0.0, I}, {1, 0}, 2.0, 1, I, 0},
        {"mode 2 with an invalid end", {0.0, 4.0}, {0.0, I}, {1, 0}, 2.0, 2, I, 0},
    };
    for (const Case& c : cases) {
        const GridPoint got = sample_at(c.x, c.z, c.marks, c.g, c.mode);
        EXPECT_DOUBLE_EQ(got.height, c.height) << c.what;
        EXPECT_EQ(got.gray, c.gray) << c.what;
    }
}

TEST(Resample, GapOfSixPitchesIsStillInterpolated) {
    auto r = resample({0.0, 6.0}, {0.0, 60.0}, {0, 60}, 7, 1.0, 0);
    EXPECT_DOUBLE_EQ(r.heights[3], 30.0);
    EXPECT_EQ(r.gray[3], 30);
    EXPECT_EQ(r.marks[0], 0);
}

TEST(Resample, SteepSegmentMarksItsLeftPointForEveryMode) {
    // Slope 10 per unit over 3 units, pitch 0.5: grid 1.0 .. 2.0 lie farther than
    // one pitch from both ends.
    struct Case {
        int mode;
        double atOne;
    } cases[] = {{0, kInvalidHeight}, {1, 10.0}, {2, 0.0}};
    for (const auto& c : cases) {
        auto r = resample({0.0, 3.0, 4.0}, {0.0, 30.0, 30.0}, {40, 80, 80}, 9, 0.5, c.mode, 5.0, 2.0);
        EXPECT_EQ(r.marks[0], 1) << c.mode;
        EXPECT_EQ(r.marks[1], 0) << c.mode;
        EXPECT_DOUBLE_EQ(r.heights[1], 0.0) << c.mode;   // 0.5: within a pitch of 0.0
        EXPECT_DOUBLE_EQ(r.heights[2], c.atOne) << c.mode;
        EXPECT_DOUBLE_EQ(r.heights[5], 30.0) << c.mode;  // 2.5: within a pitch of 3.0
        EXPECT_DOUBLE_EQ(r.heights[7], 30.0) << c.mode;  // 3.5: a flat segment
    }
}

TEST(Resample, SteepButSmallStepIsInterpolated) {
    auto r = resample({0.0, 3.0}, {0.0, 3.0}, {0, 0}, 7, 0.5, 0, 0.5, 5.0);
    EXPECT_DOUBLE_EQ(r.heights[3], 1.5);
    EXPECT_EQ(r.marks[0], 0);
}

TEST(Resample, RunMarksFromTheGapRepairMakeSegmentsUncertain) {
    std::vector<double> x{0.0, 4.0}, z{0.0, 40.0}, grid{0, 1, 2, 3, 4};
    std::vector<uint8_t> gray{10, 20}, grayOut(5, 0);
    std::vector<int32_t> marks{0, 1};
    std::vector<double> heights(5, kInvalidHeight);
    resample_to_grid(x.data(), z.data(), gray.data(), marks.data(), 2, grid.data(), heights.data(),
                     grayOut.data(), 5, kNever, kNever, 0, kInvalid);
    EXPECT_DOUBLE_EQ(heights[1], 0.0);
    EXPECT_DOUBLE_EQ(heights[2], kInvalidHeight);
    EXPECT_DOUBLE_EQ(heights[3], 40.0);
}

TEST(Resample, DegenerateInputsStayInBounds) {
    auto none = resample({}, {}, {}, 3, 1.0, 1);
    EXPECT_DOUBLE_EQ(none.heights[1], kInvalidHeight);
    auto single = resample({1.0}, {5.0}, {9}, 3, 1.0, 1);
    EXPECT_DOUBLE_EQ(single.heights[0], kInvalidHeight);
    EXPECT_DOUBLE_EQ(single.heights[2], kInvalidHeight);
    auto onePoint = resample({0.0, 2.0}, {5.0, 7.0}, {9, 9}, 1, 1.0, 1);
    EXPECT_DOUBLE_EQ(onePoint.heights[0], 5.0);
    // Both ends at one x: the grid point on them takes the left end.
    auto stacked = resample({1.0, 1.0, 2.0}, {5.0, 6.0, 6.0}, {1, 2, 3}, 3, 1.0, 1, kNever, 100.0);
    EXPECT_DOUBLE_EQ(stacked.heights[1], 5.0);
    EXPECT_EQ(stacked.gray[1], 1);
}

TEST(MaskInvalidGray, ZeroesGrayOfInvalidHeightsInTheRange) {
    const double heights[] = {kInvalidHeight, 1.0, kInvalidHeight, kInvalidHeight};
    uint8_t gray[] = {5, 6, 7, 8};
    mask_invalid_gray(heights, gray, kInvalid, 0, 3);
    EXPECT_EQ(gray[0], 0);
    EXPECT_EQ(gray[1], 6);
    EXPECT_EQ(gray[2], 0);
    EXPECT_EQ(gray[3], 8);
}

TEST(Binning, KeepsEveryFactorthPoint) {
    struct Case {
        int factor, binned;
        std::vector<double> kept;
    } cases[] = {{2, 5, {0, 2, 4, 6, 8}}, {4, 2, {0, 4}}, {1, 10, {0, 1, 2}}};
    for (const auto& c : cases) {
        std::vector<double> heights(10);
        std::vector<uint8_t> gray(10);
        for (int i = 0; i < 10; ++i) heights[i] = i, gray[i] = static_cast<uint8_t>(i * 10);
        EXPECT_EQ(bin_profile(heights.data(), gray.data(), 10, c.factor, c.binned), c.binned);
        for (size_t i = 0; i < c.kept.size(); ++i) {
            EXPECT_DOUBLE_EQ(heights[i], c.kept[i]) << c.factor;
            EXPECT_EQ(gray[i], c.kept[i] * 10) << c.factor;
        }
    }
}

TEST(ZOffsets, AddsHundredthsToHeightsInsideTheRange) {
    double heights[] = {1.0, kInvalidHeight, 9998999.0, 2.0, 3.0};
    const int32_t table[] = {150, 100, 100, -250};
    ASSERT_TRUE(apply_z_offsets(heights, 5, table, 4));
    EXPECT_DOUBLE_EQ(heights[0], 2.5);
    EXPECT_DOUBLE_EQ(heights[1], kInvalidHeight);
    EXPECT_DOUBLE_EQ(heights[2], 9998999.0);
    EXPECT_DOUBLE_EQ(heights[3], -0.5);
    EXPECT_DOUBLE_EQ(heights[4], 3.0);
}

TEST(ZOffsets, RefusesCountsOutsideTheTable) {
    double heights[] = {1.0};
    const int32_t table[] = {100};
    EXPECT_FALSE(apply_z_offsets(heights, 1, table, kMaxZOffsets + 1));
    EXPECT_FALSE(apply_z_offsets(heights, 1, table, -1));
    EXPECT_DOUBLE_EQ(heights[0], 1.0);
    EXPECT_TRUE(apply_z_offsets(heights, 1, table, 1));  // count limited by points
    EXPECT_DOUBLE_EQ(heights[0], 2.0);
}

}  // namespace
