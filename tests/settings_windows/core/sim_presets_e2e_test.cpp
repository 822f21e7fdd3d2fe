#include <gtest/gtest.h>

#include "sensor_interface/registry/device_functions.h"
#include "tests/settings_windows/core/opened_sensor.h"
#include "tools/sensor_sim/sim_presets.h"

namespace {

using settings_test::kDevice;

class SimPresets : public settings_test::OpenedSensorTest {};

TEST_F(SimPresets, TheKnownLineRateHeadAllowsItsStatedMaximum) {
    open(sensor_sim::knownLineRatePreset());
    EXPECT_EQ(hvq5_get_max_rate(kDevice), sensor_sim::kKnownMaxLineRateHz);
}

TEST_F(SimPresets, SeriesThreeHead) {
    open(sensor_sim::series3Preset());
    EXPECT_TRUE(hvq5_is_series3(kDevice));
    EXPECT_FALSE(hvq5_is_new_series(kDevice));
}

TEST_F(SimPresets, SeriesFourHeadWithThePlcOutputAndOldHardware) {
    open(sensor_sim::series4Preset(28712, 0x0701));
    EXPECT_TRUE(hvq5_is_series4(kDevice));
    EXPECT_TRUE(hvq5_is_series4_new(kDevice));
    uint32_t r135 = 0, r166 = 0;
    ASSERT_EQ(hvq5_get_firmware_versions(kDevice, 1, &r135, &r166), 0);
    EXPECT_EQ(r135, 0x0701u);
    EXPECT_EQ(r166, 28712u);
}

TEST_F(SimPresets, NewSeriesHeadWithItsVersionWord) {
    open(sensor_sim::newSeriesPreset(843));
    EXPECT_TRUE(hvq5_is_new_series(kDevice));
    uint32_t r135 = 0, r166 = 0;
    ASSERT_EQ(hvq5_get_firmware_versions(kDevice, 1, &r135, &r166), 0);
    EXPECT_EQ(r166 & 0xFFF, 843u);
}

}  // namespace
