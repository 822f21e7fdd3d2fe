#include <vector>

#include <gtest/gtest.h>

#include "sensor_interface/processing/invalid_runs.h"
#include "sensor_interface/processing/processing_types.h"

namespace {

constexpr double I = kInvalidHeight;
constexpr double kEdgeStep = static_cast<double>(0.1f);
constexpr double kFoldStep = static_cast<double>(0.00001f);

int draw_seven() { return 7; }

struct Profile {
    std::vector<double> x, z, rows;
    std::vector<uint8_t> gray;
    std::vector<int32_t> marks;
};

Profile repaired(Profile p, int maxGap, int mode, double slope, double step, GrayNoise noise = {}) {
    p.marks.assign(p.z.size(), 9);
    repair_invalid_runs(p.x.data(), p.z.data(), p.rows.empty() ? nullptr : p.rows.data(),
                        p.gray.data(), p.marks.data(), static_cast<int>(p.z.size()), maxGap,
                        slope, step, mode, kInvalidHeight, noise);
    return p;
}

// Gap of three between x 0 and x 4 (the gap's own x are garbage).
Profile steep_gap() {
    return {{0.0, 77.0, -5.0, 3.0, 4.0}, {0.0, I, I, I, 40.0}, {100.0, 0, 0, 0, 140.0},
            {10, 0, 0, 0, 50}, {}};
}

TEST(RepairInvalidRuns, GapXPositionsAreSpreadBetweenNeighbours) {
    auto p = repaired(steep_gap(), 0, 1, 1.0, 1.0);
    EXPECT_DOUBLE_EQ(p.x[1], 1.0);
    EXPECT_DOUBLE_EQ(p.x[2], 2.0);
    EXPECT_DOUBLE_EQ(p.x[3], 3.0);
    // No gap allowed: heights stay invalid, nothing is marked.
    EXPECT_DOUBLE_EQ(p.z[2], I);
    EXPECT_EQ(p.marks[2], 0);
}

TEST(RepairInvalidRuns, EachModeOnASteepGap) {
    struct Case {
        int mode;
        double z2, row2;
        int gray2;
    } cases[] = {
        {0, I, 0.0, 0},              // marked only; gray untouched
        {1, 20.0, 120.0, 30},        // interpolated, marked
        {2, 40.0, 140.0, 50},        // filled with the higher end, marked
        {5, I, 0.0, 0},              // unknown modes act as 0
    };
    for (const auto& c : cases) {
        auto p = repaired(steep_gap(), 3, c.mode, 1.0, 1.0);
        EXPECT_DOUBLE_EQ(p.z[2], c.z2) << c.mode;
        EXPECT_DOUBLE_EQ(p.rows[2], c.row2) << c.mode;
        EXPECT_EQ(p.gray[2], c.gray2) << c.mode;
        for (int i : {1, 2, 3}) EXPECT_EQ(p.marks[i], 1) << c.mode;
        EXPECT_EQ(p.marks[0], 0);
        EXPECT_EQ(p.marks[4], 0);
    }
}

TEST(RepairInvalidRuns, GentleGapIsInterpolatedWithoutMarks) {
    // slope 40 / 4 = 10 below 11, or step 40 below 50
    for (auto thresholds : {std::pair<double, double>{11.0, 1.0}, {1.0, 50.0}}) {
        auto p = repaired(steep_gap(), 3, 0, thresholds.first, thresholds.second);
        EXPECT_DOUBLE_EQ(p.z[1], 10.0);
        EXPECT_DOUBLE_EQ(p.z[3], 30.0);
        EXPECT_EQ(p.gray[1], 20);
        EXPECT_EQ(p.marks[1], 0);
    }
}

TEST(RepairInvalidRuns, LongerGapThanAllowedKeepsItsHeights) {
    auto p = repaired(steep_gap(), 2, 1, 100.0, 100.0);
    EXPECT_DOUBLE_EQ(p.z[1], I);
    EXPECT_DOUBLE_EQ(p.x[1], 1.0);
}

TEST(RepairInvalidRuns, ModeTwoWithEqualEndsTakesTheLeftEnd) {
    Profile p{{0.0, 1.0, 2.0}, {5.0, I, 5.0}, {11.0, 0, 22.0}, {60, 0, 90}, {}};
    auto r = repaired(p, 3, 2, 0.0, 0.0);
    EXPECT_DOUBLE_EQ(r.z[1], 5.0);
    EXPECT_DOUBLE_EQ(r.rows[1], 11.0);
    EXPECT_EQ(r.gray[1], 60);
    EXPECT_EQ(r.marks[1], 1);
}

TEST(RepairInvalidRuns, RepairedGrayGetsBoundedNoise) {
    struct Case {
        int bound, gray;
    } cases[] = {{0, 20}, {3, 20 + 7 % 4}, {100, 27}, {-1, 20}};
    for (const auto& c : cases) {
        auto p = repaired(steep_gap(), 3, 0, 100.0, 100.0, GrayNoise{c.bound, draw_seven});
        EXPECT_EQ(p.gray[1], c.gray) << c.bound;
    }
    Profile bright{{0.0, 1.0, 2.0}, {0.0, I, 0.0}, {}, {250, 0, 252}, {}};
    auto r = repaired(bright, 3, 0, 100.0, 100.0, GrayNoise{50, draw_seven});
    EXPECT_EQ(r.gray[1], 255);
}

TEST(RepairInvalidRuns, RunsAtBothEdgesGetXButNoHeights) {
    Profile p{{9.0, 9.0, 2.0, 3.0, 9.0, 9.0}, {I, I, 1.0, 1.0, I, I}, {}, {1, 1, 1, 1, 1, 1}, {}};
    auto r = repaired(p, 5, 1, 100.0, 100.0);
    EXPECT_DOUBLE_EQ(r.x[1], 2.0 - kEdgeStep);
    EXPECT_DOUBLE_EQ(r.x[0], 2.0 - 2 * kEdgeStep);
    EXPECT_DOUBLE_EQ(r.x[4], 3.0 + kEdgeStep);
    EXPECT_DOUBLE_EQ(r.x[5], 3.0 + 2 * kEdgeStep);
    for (int i : {0, 1, 4, 5}) {
        EXPECT_DOUBLE_EQ(r.z[i], I);
        EXPECT_EQ(r.marks[i], 0);
    }
}

TEST(RepairInvalidRuns, AllInvalidRangeIsLeftAlone) {
    Profile p{{4.0, 2.0, 7.0}, {I, I, I}, {}, {3, 4, 5}, {}};
    auto r = repaired(p, 5, 2, 0.0, 0.0);
    EXPECT_EQ(r.x, p.x);
    EXPECT_EQ(r.gray, p.gray);
    EXPECT_EQ(r.marks, (std::vector<int32_t>{0, 0, 0}));
}

TEST(RepairInvalidRuns, ZeroWidthGapLetsTheStepDecide) {
    Profile p{{1.0, 5.0, 1.0}, {0.0, I, 30.0}, {}, {0, 0, 0}, {}};
    EXPECT_DOUBLE_EQ(repaired(p, 3, 0, 1e9, 100.0).z[1], 15.0);  // small step: interpolated
    EXPECT_DOUBLE_EQ(repaired(p, 3, 0, 1e9, 10.0).z[1], I);      // slope test false
}

struct Fold {
    std::vector<double> x, z;
    std::vector<uint8_t> gray;
};

Fold folded(Fold f) {
    repair_folds(f.x.data(), f.z.data(), f.gray.data(), static_cast<int>(f.x.size()),
                 kInvalidHeight, 0.0);
    return f;
}

TEST(RepairFolds, LowCloseLaysTheFoldForwardAtTheStartHeight) {
    auto f = folded({{0, 1, 2, 1.5, 1.8, 3, 4}, {10, 10, 10, 5, 5, 10, 10}, {1, 2, 3, 4, 5, 6, 7}});
    const std::vector<double> x{0, 1, 2, 2 + kFoldStep, 2 + 2 * kFoldStep, 3, 4};
    for (size_t i = 0; i < x.size(); ++i) EXPECT_DOUBLE_EQ(f.x[i], x[i]) << i;
    EXPECT_EQ(f.z, (std::vector<double>{10, 10, 10, 10, 10, 10, 10}));
    EXPECT_EQ(f.gray, (std::vector<uint8_t>{1, 2, 3, 3, 3, 6, 7}));
}

TEST(RepairFolds, HighCloseLaysTheFoldBackwardAtTheCloseHeight) {
    auto f = folded({{0, 1, 2, 1.5, 1.8, 3, 4}, {10, 10, 10, 15, 15, 10, 10}, {1, 2, 3, 4, 5, 6, 7}});
    const std::vector<double> x{0, 1, 1.5 - kFoldStep, 1.5, 1.8, 3, 4};
    for (size_t i = 0; i < x.size(); ++i) EXPECT_DOUBLE_EQ(f.x[i], x[i]) << i;
    EXPECT_EQ(f.z, (std::vector<double>{10, 10, 15, 15, 15, 10, 10}));
    EXPECT_EQ(f.gray, (std::vector<uint8_t>{1, 2, 4, 4, 5, 6, 7}));
}

TEST(RepairFolds, IncreasingProfileIsUnchanged) {
    Fold f{{0, 0.5, 1, 3, 3.1, 7}, {1, 5, I, 2, 9, 4}, {1, 2, 3, 4, 5, 6}};
    auto r = folded(f);
    EXPECT_EQ(r.x, f.x);
    EXPECT_EQ(r.z, f.z);
    EXPECT_EQ(r.gray, f.gray);
}

}  // namespace
