// The arithmetic and text rules behind the setting, region and identity exports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "sensor_interface/registry/extend_exports_region.h"
#include "sensor_interface/registry/model_info.h"
#include "sensor_interface/registry/setting_exports.h"

namespace {

TEST(LaserPower, KeptBelowOneHundredPercentAndTruncated) {
    struct Case {
        uint8_t percent;
        uint32_t reg158;
    };
    for (const Case& c : {Case{100, 64879}, Case{255, 64879}, Case{99, 64879}, Case{50, 32767}, Case{0, 0},
                          Case{1, 655}}) {
        EXPECT_EQ(setting_exports::laser_power_value(c.percent), c.reg158) << int(c.percent);
    }
}

TEST(HeadTemperature, DegreesTimesOneHundred) {
    EXPECT_EQ(setting_exports::temperature1_centi(3200), 2500);
    EXPECT_EQ(setting_exports::temperature1_centi(3201), 2500) << "truncated";
    EXPECT_EQ(setting_exports::temperature1_centi(0), 0);
    // 20000 x 503.975 / 65536 - 273.15 = -119.349...
    EXPECT_EQ(setting_exports::temperature2_centi(20000), -11934);
    // 39000 x 503.975 / 65536 - 273.15 = 26.761...
    EXPECT_EQ(setting_exports::temperature2_centi(39000), 2676);
    EXPECT_EQ(setting_exports::temperature1_centi(0xFFFFFFFFu), 32767) << "kept inside a short";
}

zp_laser_reg::laser_params headWith(const char* model, const char* alternative) {
    zp_laser_reg::laser_params params{};
    std::memcpy(params.model, model, std::min(std::strlen(model), sizeof(params.model)));
    std::memcpy(params.head_rest, alternative, std::min(std::strlen(alternative), sizeof(params.head_rest)));
    return params;
}

TEST(HeadModel, DisplayNameRules) {
    struct Case {
        const char* model;
        const char* alternative;
        const char* shown;
    };
    const Case cases[] = {
        {"ZP5160D", "", "5160D"},              // model text without its "ZP"
        {"X>ZP5040", "", "5040"},               // after the first '>'
        {"X>ZP5040", "ZP7000", "5040"},         // '>' wins over the alternative
        {"A>B>C", "", "B>C"},                   // only the first '>' counts
        {"ZP5160D", "ZP4040-Line", "4040-Line"},  // alternative name when present
        {"5160D", "", "5160D"},                 // nothing to drop
        {"ZPABCDEFGHIJKLMN", "", "ABCDEFGHIJKLMN"},  // a full field has no NUL
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(model_info::display_model(headWith(c.model, c.alternative)), c.shown) << c.model;
    }
    EXPECT_EQ(model_info::model_text(headWith("X>ZP5040", "ZP1")), "X>ZP5040");
}

TEST(HeadModel, BoundedCopyKeepsFifteenCharactersAndANul) {
    char model[16];
    std::memset(model, 'x', sizeof(model));
    model_info::copy_bounded(model, sizeof(model), "0123456789ABCDEFGHIJ");
    EXPECT_STREQ(model, "0123456789ABCDE");
    model_info::copy_bounded(model, sizeof(model), "5040");
    EXPECT_STREQ(model, "5040");
}

TEST(ModelRecord, ZStepByCodeKind) {
    struct Case {
        uint32_t kind;
        uint32_t reg353;
        bool known;
        double step;
    };
    const Case cases[] = {
        {0, 512, true, 0.5}, {0, 0, true, 0.0},  // no division by a zero register 353
        {1, 512, true, 0.00390625}, {2, 512, true, 0.0}, {3, 512, true, 0.0},
        {4, 512, false, -7.0}, {0xFFFFFFFFu, 512, false, -7.0},
    };
    for (const Case& c : cases) {
        double step = -7.0;
        EXPECT_EQ(model_info::z_step(c.kind, c.reg353, step), c.known) << c.kind;
        EXPECT_DOUBLE_EQ(step, c.step) << c.kind;
    }
}

TEST(ModelRecord, RangeEnds) {
    EXPECT_DOUBLE_EQ(model_info::range_end_mm(100 * 256 * 1000, 40 * 256 * 1000), 60.0);
    EXPECT_DOUBLE_EQ(model_info::range_end_mm(0, 1000), -0.003) << "-1000 / 256 truncates to -3";
    EXPECT_DOUBLE_EQ(model_info::range_end_mm(255, 0), 0.0);
}

TEST(XRoi, WindowOfTheExampleAndItsReadBack) {
    x_roi::ColumnWindow window{};
    ASSERT_TRUE(x_roi::window_for_points(100, 1000, 3200, 2048, 1.5625, window));
    EXPECT_EQ(window.firstColumn, 64u);
    EXPECT_EQ(window.columns, 592u);
    const uint32_t start = x_roi::first_point(64, 1.5625);
    EXPECT_EQ(start, 100u);
    EXPECT_EQ(x_roi::last_point(592, start, 1.5625), 1024);
}

TEST(XRoi, WholeProfileIsCutToTheCameraColumns) {
    x_roi::ColumnWindow window{};
    ASSERT_TRUE(x_roi::window_for_points(0, 3200, 3200, 2048, 1.5625, window));
    EXPECT_EQ(window.firstColumn, 0u);
    EXPECT_EQ(window.columns, 2048u) << "2064 columns asked, the camera has 2048";
}

TEST(XRoi, RefusedPoints) {
    struct Case {
        int start;
        int end;
        double pointsPerColumn;
    };
    const Case cases[] = {{100, 100, 1.5625}, {200, 100, 1.5625}, {-1, 100, 1.5625}, {0, -1, 1.5625},
                          {3201, 3300, 1.5625}, {0, 3201, 1.5625}, {0, 100, 0.0}};
    for (const Case& c : cases) {
        x_roi::ColumnWindow window{7, 7};
        EXPECT_FALSE(x_roi::window_for_points(c.start, c.end, 3200, 2048, c.pointsPerColumn, window))
            << c.start << ".." << c.end;
        EXPECT_EQ(window.firstColumn, 7u);
    }
}

}  // namespace
