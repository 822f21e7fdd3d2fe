#include <gtest/gtest.h>

#include <optional>

#include "settings_windows/core/profile_filter_offsets.h"
#include "settings_windows/core/sync_modes.h"
#include "settings_windows/core/value_rules.h"

using namespace value_rules;

TEST(RegisterTool, ValuesBecomeTheir32BitPatternOrNothing) {
    const struct {
        double value;
        std::optional<int32_t> pattern;
    } cases[] = {
        {0, 0},
        {-1, -1},
        {4294967295.0, -1},
        {2147483648.0, INT32_MIN},
        {-2147483648.0, INT32_MIN},
        {123456, 123456},
        {4294967296.0, std::nullopt},
        {-2147483649.0, std::nullopt},
        {1e11, std::nullopt},
        {1.5, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(registerPattern(c.value), c.pattern);
    }
    EXPECT_EQ(registerShown(-1), 4294967295.0);
}

TEST(TerminalTimes, TextFormsAndBack) {
    EXPECT_EQ(encoderTimeText(50), "50ns");
    EXPECT_EQ(encoderTimeText(1500), "1us");
    EXPECT_EQ(encoderTimeText(500000), "500us");
    EXPECT_EQ(encoderTimeText(1000000), "1ms");
    EXPECT_EQ(terminalTimeText(5), "5μs");
    EXPECT_EQ(terminalTimeText(250), "250μs");
    EXPECT_EQ(terminalTimeText(50000), "50ms");
    EXPECT_EQ(encoderTimeFromText("50ns"), 50);
    EXPECT_EQ(encoderTimeFromText("1us"), 1000);
    EXPECT_EQ(encoderTimeFromText("500us"), 500000);
    EXPECT_EQ(encoderTimeFromText("1ms"), 1000000);
    EXPECT_EQ(terminalTimeFromText("5μs"), 5);
    EXPECT_EQ(terminalTimeFromText("1ms"), 1000);
    EXPECT_EQ(terminalTimeFromText("50ms"), 50000);
}

TEST(DeadZone, GradientThresholdInSixteenths) {
    EXPECT_DOUBLE_EQ(gradientShown(24), 1.5);
    EXPECT_DOUBLE_EQ(gradientShown(1), 0.0625);
    EXPECT_DOUBLE_EQ(gradientShown(static_cast<uint32_t>(-16)), -1.0);
    EXPECT_EQ(gradientStored(2.99), 47);
    EXPECT_EQ(gradientStored(0.06), 0);
    EXPECT_EQ(gradientStored(1.5), 24);
}

TEST(WeldFilter, HeightThresholdAndWidthAndVersionGate) {
    EXPECT_DOUBLE_EQ(heightThresholdShownMm(static_cast<uint32_t>(-2500)), -2.5);
    EXPECT_EQ(heightThresholdStored(1.235), 1235);
    EXPECT_EQ(heightThresholdStored(1.001), 1000) << "the double product, just below 1001, truncated";
    EXPECT_EQ(heightThresholdStored(-2.5), -2500);
    EXPECT_FALSE(validWidth(0, 4096));
    EXPECT_TRUE(validWidth(1, 4096));
    EXPECT_TRUE(validWidth(4096, 4096));
    EXPECT_FALSE(validWidth(4096, 3200));
    EXPECT_TRUE(cloudFilterAvailable(true, true, 844));
    EXPECT_FALSE(cloudFilterAvailable(true, true, 843));
    EXPECT_TRUE(cloudFilterAvailable(true, true, 0x7000 + 844));
    EXPECT_FALSE(cloudFilterAvailable(true, true, 0x1000 + 843));
    EXPECT_FALSE(cloudFilterAvailable(false, true, 844));
    EXPECT_FALSE(cloudFilterAvailable(true, false, 844));
}

TEST(ProfileFilterOffsets, ShownStoredAndRebasedValues) {
    using namespace profile_filters;
    EXPECT_EQ(shownFromSensor(7, 3, true), 4);
    EXPECT_EQ(shownFromSensor(7, 3, false), 7);
    EXPECT_EQ(shownFromSensor(2, 5, true), 65533);  // wraps; no combo item shows it
    EXPECT_EQ(sensorFromShown(8, 3, true), 11);
    EXPECT_EQ(rebased(8, 255, true), 263);
    EXPECT_EQ(rebased(8, 255, false), static_cast<uint16_t>(8 - 255));

    const struct {
        Value value;
        uint16_t given;
        uint16_t clamped;
        bool outOfRange;
    } cases[] = {
        {XAverage, 263, 256, true}, {XAverage, 0, 1, true},   {XAverage, 128, 128, false},
        {XMedian, 10, 9, true},     {YAverage, 9, 9, false},  {YMedian, 0, 1, true},
        {DealTimes, 299, 99, true}, {RestoreTimes, 0, 0, false}, {RestoreTimes, 65535, 99, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(offsetKey(c.value));
        const Checked checked = clampToRange(c.value, c.given);
        EXPECT_EQ(checked.value, c.clamped);
        EXPECT_EQ(checked.outOfRange, c.outOfRange);
    }
    EXPECT_EQ(itemText(XMedian, 1), "off");
    EXPECT_EQ(itemText(YMedian, 0), "off");
    EXPECT_EQ(itemText(XAverage, 1), "1");
    EXPECT_EQ(itemText(YMedian, 5), "5");
    EXPECT_EQ(itemValue("off"), 1);
    EXPECT_EQ(itemValue("128"), 128);
    EXPECT_STREQ(offsetKey(DealTimes), "invalid_points_deal_times");
}

TEST(SyncModes, EveryModeAndWhatIsWritten) {
    using sync_modes::Visibility;
    for (int mode : {0, 6, 7, 255, -1}) {
        const sync_modes::View view = sync_modes::view(mode);
        EXPECT_FALSE(view.on) << mode;
        EXPECT_EQ(view.masterSlave.visibility, Visibility::Hide);
        EXPECT_EQ(view.slaveMode, false);
        EXPECT_EQ(sync_modes::written(mode), 0);
    }
    EXPECT_EQ(sync_modes::view(2).slaveMode, true);
    EXPECT_EQ(sync_modes::view(1).slaveMode, false);
    EXPECT_FALSE(sync_modes::view(3).slaveMode.has_value());
    EXPECT_EQ(sync_modes::view(5).masterChoices.checked, 2);
    EXPECT_EQ(sync_modes::view(4).slaveChoices.visibility, Visibility::Keep);
    for (int mode = 1; mode <= 5; ++mode) EXPECT_EQ(sync_modes::written(mode), mode);
}
