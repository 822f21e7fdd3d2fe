#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "sensor_interface/settings/hvq5_settings.h"
#include "tests/support/temp_dir.h"

namespace {

using Registers = std::vector<std::pair<unsigned int, unsigned int>>;

struct RateCase {
    const char* name;
    char family;
    Registers registers;
    int max_hz;
};

void PrintTo(const RateCase& c, std::ostream* os) { *os << c.name; }

class MaxLineRate : public ::testing::TestWithParam<RateCase> {
protected:
    // Older families look for their settings file when the head is taken.
    mirevo::test::TempDir public_dir_;
    mirevo::test::ScopedEnv public_env_{"PUBLIC", public_dir_.path().string()};
};

TEST_P(MaxLineRate, FollowsTheFamilyTimingRules) {
    const RateCase& c = GetParam();
    hvq5_settings image;
    if (c.family != '\0') {
        zp_laser_reg::laser_params params = image.laser_params();
        std::memcpy(params.model, "ZP", 2);
        params.model[2] = c.family;
        image.set_laser_params(params);
    }
    for (const auto& [reg, value] : c.registers) image.set_regvals(reg, value);
    EXPECT_EQ(image.get_real_max_hz(), c.max_hz);
}

INSTANTIATE_TEST_SUITE_P(
    Families, MaxLineRate,
    ::testing::Values(
        RateCase{"no family", '\0', {{162, 100}, {11, 640}}, 1},
        RateCase{"unknown family", '9', {{162, 100}}, 1},
        // a = 110, b = 656 x 108 / 65 = 1089.97 -> 1090 us.
        RateCase{"family 3 rows", '3', {{11, 640}, {162, 100}}, 917},
        RateCase{"family 3 exposure", '3', {{11, 640}, {162, 1200}}, 826},
        RateCase{"family 3 extended", '3', {{11, 640}, {162, 1000}, {288, 1}}, 660},
        // c = 632 rows -> 834.24 us, above exposure + 20.
        RateCase{"family 4 rows", '4', {{11, 608}, {162, 100}}, 1197},
        RateCase{"family 4 extended", '4', {{11, 608}, {162, 100}, {288, 1}}, 1088},
        RateCase{"family 4 frames", '4',
                 {{11, 608}, {221, 1}, {238, 2}, {261, 100}, {262, 900}, {162, 5000}}, 543},
        RateCase{"family 5 rows", '5', {{11, 1024}, {162, 100}}, 3968},
        RateCase{"family 5 frames", '5',
                 {{11, 256}, {221, 1}, {238, 3}, {261, 50}, {262, 400}, {263, 80}}, 809},
        RateCase{"family 5 slow exposure", '5', {{11, 1024}, {162, 1000000}}, 0},
        RateCase{"family 6 frames off", '6', {{11, 100}, {288, 1}, {221, 1}, {238, 0}}, 13888},
        RateCase{"family 6 segments", '6',
                 {{11, 512}, {162, 100}, {530, 1}, {540, 10}, {544, 300}, {550, 0xFFFF}, {554, 700},
                  {564, 5000}},
                 1404},
        RateCase{"family 6 frames beyond the image", '6',
                 {{11, 512}, {221, 1}, {238, 0x7FFFFFFF}, {261, 100}}, 0}));

struct PeriodCase {
    int rows;
    int extended;
    int period;
};

class MinPeriod : public ::testing::TestWithParam<PeriodCase> {};

TEST_P(MinPeriod, StepsWithTheCameraRows) {
    hvq5_settings image;
    EXPECT_EQ(image.get_min_period_from_cmos_y(GetParam().rows, GetParam().extended), GetParam().period);
}

INSTANTIATE_TEST_SUITE_P(Rows, MinPeriod,
                         ::testing::Values(PeriodCase{-5, 1, 72}, PeriodCase{0, 0, 46},
                                           PeriodCase{128, 0, 46}, PeriodCase{129, 0, 75},
                                           PeriodCase{256, 7, 101}, PeriodCase{257, 0, 134},
                                           PeriodCase{512, 1, 160}, PeriodCase{513, 0, 252},
                                           PeriodCase{1024, 1, 278}, PeriodCase{1025, 0, 297},
                                           PeriodCase{100000, 1, 323}));

}  // namespace
