#include "sensor_interface/processing/dual_merge.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr double kInvalid = -9999000.0;

struct Merged {
    double z;
    uint8_t gray;
};

struct MergeSettings {
    double heightDelta = 1.0;
    int singleValidOutput = 0;
    int inDelta = kDualMergeMean;
    int beyondDelta = kDualMergeMean;
};

Merged merge_one(double a, uint8_t grayA, double b, uint8_t grayB, const MergeSettings& s) {
    double zB = b;
    double zOut = 0.0;
    uint8_t grayOut = 99;
    dual_merge(&a, &grayA, &zB, &grayB, &zOut, &grayOut, 1, kInvalid, false, 0.0, 0,
               s.heightDelta, s.singleValidOutput, s.inDelta, s.beyondDelta);
    return {zOut, grayOut};
}

struct DecisionCase {
    const char* name;
    double a;
    double b;
    MergeSettings settings;
    double z;
    uint8_t gray;
};

class DualMergeDecision : public ::testing::TestWithParam<DecisionCase> {};

TEST_P(DualMergeDecision, ChoosesThePointsHeightAndGray) {
    const DecisionCase& c = GetParam();
    const Merged m = merge_one(c.a, 10, c.b, 31, c.settings);
    EXPECT_DOUBLE_EQ(m.z, c.z);
    EXPECT_EQ(m.gray, c.gray);
}

MergeSettings settings(int inDelta, int beyondDelta, int single = 0, double delta = 1.0) {
    return {delta, single, inDelta, beyondDelta};
}

INSTANTIATE_TEST_SUITE_P(
    Table, DualMergeDecision,
    ::testing::Values(
        DecisionCase{"OnlyA", 5.0, kInvalid, settings(0, 0), 5.0, 10},
        DecisionCase{"OnlyB", kInvalid, 6.0, settings(0, 0), 6.0, 31},
        DecisionCase{"OnlyASingleOff", 5.0, kInvalid, settings(0, 0, 1), kInvalid, 0},
        DecisionCase{"OnlyBSingleOff", kInvalid, 6.0, settings(0, 0, 1), kInvalid, 0},
        DecisionCase{"Neither", kInvalid, kInvalid, settings(0, 0), kInvalid, 0},
        DecisionCase{"NearlyInvalidIsInvalid", kInvalid + 1e-7, 6.0, settings(0, 0), 6.0, 31},
        DecisionCase{"InDeltaMean", 5.0, 5.5, settings(0, 3), 5.25, 20},
        DecisionCase{"InDeltaHigher", 5.0, 5.5, settings(1, 3), 5.5, 31},
        DecisionCase{"InDeltaLower", 5.0, 5.5, settings(2, 3), 5.0, 10},
        DecisionCase{"InDeltaOther", 5.0, 5.5, settings(3, 0), kInvalid, 0},
        DecisionCase{"BeyondDeltaMean", 5.0, 7.0, settings(3, 0), 6.0, 20},
        DecisionCase{"BeyondDeltaHigher", 7.0, 5.0, settings(3, 1), 7.0, 10},
        DecisionCase{"BeyondDeltaLower", 7.0, 5.0, settings(3, 2), 5.0, 31},
        DecisionCase{"BeyondDeltaThree", 5.0, 7.0, settings(0, 3), kInvalid, 0},
        DecisionCase{"BeyondDeltaOther", 5.0, 7.0, settings(0, -1), kInvalid, 0},
        DecisionCase{"DeltaIsExclusive", 5.0, 6.0, settings(3, 1), 6.0, 31},
        DecisionCase{"DeltaZeroIsAlwaysBeyond", 5.0, 5.0, settings(3, 0, 0, 0.0), 5.0, 20},
        DecisionCase{"EqualHigherTakesB", 5.0, 5.0, settings(1, 3), 5.0, 31},
        DecisionCase{"EqualLowerTakesB", 5.0, 5.0, settings(2, 3), 5.0, 31}),
    [](const ::testing::TestParamInfo<DecisionCase>& info) { return info.param.name; });

TEST(DualMerge, ShiftOfThreeMovesHeadBAndKeepsTheUnreachedEdges) {
    const int n = 8;
    std::vector<double> zA(n, kInvalid);
    std::vector<double> zB = {0, 1, 2, kInvalid + 1e-8, 4, 5, 6, 7};
    std::vector<uint8_t> grayA(n, 0);
    std::vector<uint8_t> grayB = {10, 11, 12, 13, 14, 15, 16, 17};
    std::vector<double> zOut(n);
    std::vector<uint8_t> grayOut(n);

    dual_merge(zA.data(), grayA.data(), zB.data(), grayB.data(), zOut.data(), grayOut.data(), n,
               kInvalid, true, 0.0, 3, 1.0, 0, 0, 0);

    const std::vector<double> shifted = {0, 1, 2, 0, 1, 2, kInvalid, 4};
    EXPECT_EQ(zB, shifted);  // the nearly invalid value arrives as exactly the invalid value
    // Gray stays where it was: point 3 now shows head B's old point 0 with gray 13.
    EXPECT_EQ(zOut[3], 0.0);
    EXPECT_EQ(grayOut[3], 13);
    EXPECT_EQ(zOut[6], kInvalid);
    EXPECT_EQ(grayOut[6], 0);
}

TEST(DualMerge, NegativeShiftMovesTowardLowerIndexes) {
    std::vector<double> zB = {0, 1, 2, 3, 4};
    dual_merge_align(zB.data(), 5, kInvalid, 0.0, -2);
    EXPECT_EQ(zB, (std::vector<double>{2, 3, 4, 3, 4}));
}

TEST(DualMerge, ShiftBeyondTheProfileChangesNothing) {
    std::vector<double> zB = {0, 1, 2};
    dual_merge_align(zB.data(), 3, kInvalid, 0.0, 3);
    dual_merge_align(zB.data(), 3, kInvalid, 0.0, -2147483647 - 1);
    EXPECT_EQ(zB, (std::vector<double>{0, 1, 2}));
}

TEST(DualMerge, HeightOffsetReachesOnlyValidPoints) {
    std::vector<double> zB = {1.0, kInvalid, 3.0};
    dual_merge_align(zB.data(), 3, kInvalid, 0.5, 0);
    EXPECT_EQ(zB, (std::vector<double>{1.5, kInvalid, 3.5}));
    dual_merge_align(zB.data(), 3, kInvalid, 0.0000005, 0);  // negligible
    EXPECT_EQ(zB, (std::vector<double>{1.5, kInvalid, 3.5}));
}

TEST(DualMerge, AlignmentOffLeavesHeadBUnchanged) {
    std::vector<double> zA = {1, 1, 1, 1};
    std::vector<double> zB = {1, 2, 3, 4};
    std::vector<uint8_t> gray(4, 0);
    std::vector<double> zOut(4);
    std::vector<uint8_t> grayOut(4);
    dual_merge(zA.data(), gray.data(), zB.data(), gray.data(), zOut.data(), grayOut.data(), 4,
               kInvalid, false, 10.0, 2, 0.5, 0, 0, 0);
    EXPECT_EQ(zB, (std::vector<double>{1, 2, 3, 4}));
}

}  // namespace
