#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "sensor_interface/processing/profile_processor.h"
#include "sensor_interface/settings/hvq5_settings.h"

namespace {

constexpr double I = kInvalidHeight;

// A series '3' processor (848 columns and points), grid pitch 1.
class ProcessorStages : public ::testing::Test {
protected:
    ProcessorStages() : processor(848, 848, 1.0) {
        std::memset(&params, 0, sizeof(params));
        settings.set_regvals(285, 100);
        processor.bind(&settings, &params);
        std::fill(processor.heightsOut(), processor.heightsOut() + 848, I);
        for (int i = 0; i < 16; ++i) {
            processor.heightsOut()[i] = i;
            processor.grayOutRow()[i] = static_cast<uint8_t>(i);
        }
    }

    hvq5_settings settings;
    zp_laser_reg::laser_params params;
    ProfileProcessor processor;
};

TEST_F(ProcessorStages, BinningFollowsRegister740) {
    struct Case {
        uint32_t reg740;
        int factor, count;
        std::vector<double> kept;
    } cases[] = {{1, 2, 8, {0, 2, 4, 6}}, {2, 4, 4, {0, 4, 8, 12}}, {0, 1, 16, {0, 1, 2, 3}}};
    for (const auto& c : cases) {
        for (int i = 0; i < 16; ++i) processor.heightsOut()[i] = i;
        settings.set_regvals(740, c.reg740);
        EXPECT_EQ(processor.binGridPoints(16, c.factor), c.count) << c.reg740;
        for (size_t i = 0; i < c.kept.size(); ++i)
            EXPECT_DOUBLE_EQ(processor.heightsOut()[i], c.kept[i]) << c.reg740;
    }
}

TEST_F(ProcessorStages, InnerRotationOnlyWithinTheAngleRange) {
    struct Case {
        uint32_t angle;
        bool rotates;
    } cases[] = {{4000000, true}, {4000001, false}, {0, false}};
    for (const auto& c : cases) {
        for (int i = 0; i < 20; ++i) processor.columnX()[i] = 1.0, processor.columnZ()[i] = 0.0;
        settings.set_regvals(324, 1);
        settings.set_regvals(325, c.angle);
        processor.rotateInner(20);
        EXPECT_DOUBLE_EQ(processor.columnX()[7], 1.0);  // guard point
        EXPECT_DOUBLE_EQ(processor.columnX()[12], 1.0);
        const double z8 = processor.columnZ()[8], z11 = processor.columnZ()[11];
        EXPECT_EQ(z8 != 0.0, c.rotates) << c.angle;
        EXPECT_EQ(z11 != 0.0, c.rotates) << c.angle;
    }
}

TEST_F(ProcessorStages, BaseZeroNeedsTheRotationSwitchAndScaleFollows) {
    // Grid x of points 0..15 run from -424 to -409; windows A = [-424, -423], B = [-410, -409]
    // average (0.5 + 14.5) / 2 = 7.5.
    processor.buildXGrid(0, 848);
    settings.set_regvals(326, static_cast<uint32_t>(-42400));
    settings.set_regvals(327, static_cast<uint32_t>(-42300));
    settings.set_regvals(328, static_cast<uint32_t>(-41000));
    settings.set_regvals(329, static_cast<uint32_t>(-40900));
    settings.set_regvals(772, 1);
    settings.set_regvals(324, 1);
    settings.set_regvals(325, 4000001);  // out of range: no rotation, no base zero
    settings.set_regvals(330, 1);
    settings.set_regvals(331, 50);       // out of range: scale 1
    processor.baseZeroAndScale(16);
    EXPECT_DOUBLE_EQ(processor.heightsOut()[3], 3.0);

    settings.set_regvals(325, 0);
    settings.set_regvals(331, 200000);
    processor.baseZeroAndScale(16);
    EXPECT_DOUBLE_EQ(processor.heightsOut()[3], (3.0 - 7.5) * 2);
    EXPECT_DOUBLE_EQ(processor.heightsOut()[20], I);
}

TEST_F(ProcessorStages, MirrorThenNegateByRegister291) {
    settings.set_regvals(291, 3);
    processor.mirrorAndNegate(16);
    EXPECT_DOUBLE_EQ(processor.heightsOut()[0], -15.0);
    EXPECT_EQ(processor.grayOutRow()[0], 15);
    EXPECT_DOUBLE_EQ(processor.heightsOut()[15], -0.0);
}

TEST_F(ProcessorStages, ZOffsetsOnlyWhileSwitchedOnAndWithAFittingCount) {
    HVQ5_2_EXTEND* extend = settings.get_sdk_extend();
    extend->z_offset[0] = 250;
    extend->z_offset_count = 1;
    processor.applyZOffsets();
    EXPECT_DOUBLE_EQ(processor.heightsOut()[0], 0.0);
    extend->enable = 1;
    extend->z_offset_count = 4097;
    processor.applyZOffsets();
    EXPECT_DOUBLE_EQ(processor.heightsOut()[0], 0.0);
    extend->z_offset_count = 1;
    processor.applyZOffsets();
    EXPECT_DOUBLE_EQ(processor.heightsOut()[0], 2.5);
}

}  // namespace

namespace {

// A series '3' head whose columns lie one x unit apart (x = column - 424) and
// whose 16-bit codes are heights + 32768: reference distance 1000, heights
// from -100 to 100.
class ColumnStages : public ::testing::Test {
protected:
    static constexpr int kColumns = 848;

    ColumnStages() : processor(kColumns, kColumns, 1.0) {
        std::memset(&params, 0, sizeof(params));
        const double xScale[3] = {0.0, 0.0, 1.0};
        std::memcpy(reinterpret_cast<unsigned char*>(&params) + 90, xScale, sizeof(xScale));
        params.z_range_reference = 1000;
        params.z_range_lower = -100;
        params.z_range_upper = 100;
        settings.set_regvals(285, 100);
        settings.set_regvals(350, 1000 * 256);
        settings.set_regvals(353, 65536);
        settings.set_regvals(183, 3);        // gaps of up to 3 columns
        settings.set_regvals(804, 20 << 4);  // slope threshold 20
        settings.set_regvals(805, 30);       // step threshold 30
        processor.bind(&settings, &params);
    }

    // Runs the column stages and the resampling of one full-width frame.
    void run(const std::vector<uint16_t>& words, const std::vector<uint8_t>& gray) {
        processor.beginFrame(gray.data(), kColumns);
        processor.convertRaw(0, words.data(), kColumns);
        processor.computeColumnX(0, kColumns);
        processor.clipHeights();
        processor.repairRuns(kColumns, false);
        processor.repairInnerFolds(kColumns);
        processor.buildXGrid(0, kColumns);
        processor.resampleInner(kColumns, kColumns);
    }

    hvq5_settings settings;
    zp_laser_reg::laser_params params;
    ProfileProcessor processor;
};

TEST_F(ColumnStages, PlaneWithAStepAndAFewGaps) {
    std::vector<uint16_t> words(kColumns);
    std::vector<uint8_t> gray(kColumns, 100);
    for (int c = 0; c < kColumns; ++c) words[c] = c < 424 ? 32768 + 10 : 32768 + 50;
    words[100] = words[101] = 0;  // no peak: repaired
    words[300] = 32768 + 500;     // beyond the height bounds: repaired
    words[600] = words[601] = words[602] = words[603] = 0;  // longer than allowed
    run(words, gray);

    const double* h = processor.heightsOut();
    EXPECT_DOUBLE_EQ(h[7], kInvalidHeight);  // guard points are not resampled
    EXPECT_DOUBLE_EQ(h[8], 10.0);
    EXPECT_DOUBLE_EQ(h[100], 10.0);
    EXPECT_DOUBLE_EQ(h[300], 10.0);
    EXPECT_DOUBLE_EQ(h[423], 10.0);
    // The step stays sharp. Grid point 424 lies on column 424 but also within
    // one pitch of column 423, the steep segment's left end, which it takes.
    EXPECT_DOUBLE_EQ(h[424], 10.0);
    EXPECT_DOUBLE_EQ(h[425], 50.0);
    EXPECT_DOUBLE_EQ(h[600], 50.0);          // within a pitch of the valid neighbour
    EXPECT_DOUBLE_EQ(h[601], kInvalidHeight);
    EXPECT_EQ(processor.grayOutRow()[601], 0);
    EXPECT_DOUBLE_EQ(h[839], 50.0);
    EXPECT_DOUBLE_EQ(h[840], kInvalidHeight);
    EXPECT_EQ(processor.runMarks()[423], 1);  // the step's left column
}

TEST_F(ColumnStages, AllZeroFrameGivesNoValidPoint) {
    run(std::vector<uint16_t>(kColumns, 0), std::vector<uint8_t>(kColumns, 9));
    for (int p = 0; p < kColumns; ++p) {
        ASSERT_DOUBLE_EQ(processor.heightsOut()[p], kInvalidHeight) << p;
        ASSERT_EQ(processor.grayOutRow()[p], 0) << p;
    }
}

TEST_F(ColumnStages, SixteenBitWordsWithoutCodeResolutionHaveNoPeak) {
    settings.set_regvals(353, 0);
    const std::vector<uint16_t> words(kColumns, 32768);
    processor.convertRaw(0, words.data(), kColumns);
    EXPECT_DOUBLE_EQ(processor.columnZ()[5], kNoPeak);
}

TEST_F(ColumnStages, ThirtyTwoBitWords) {
    const std::vector<uint32_t> words(kColumns, 2147483648u + 256u * 7);
    processor.convertRaw(1, words.data(), kColumns);
    processor.clipHeights();
    EXPECT_DOUBLE_EQ(processor.columnZ()[5], 7.0);
}

}  // namespace
