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
