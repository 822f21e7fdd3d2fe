#include <gtest/gtest.h>
#include <cstdint>

#include "sensor_interface/settings/setting_dispatcher_rules.h"
#include "tests/dispatcher/fake_setting_transport.h"

using namespace dispatcher_test;

namespace {

using Fixture = DispatcherOnFake;

TEST(LineRateRule, RaisesTheUserPeriodToTheMinimum) {
    Fixture f;
    f.sensor.registers[768] = 300;
    EXPECT_EQ(f.dispatcher.applyLineRate(2000), HVQ5_RC_OK);
    const std::vector<Exchange> expected = {W(768, 500), W(144, 500)};
    EXPECT_EQ(f.sensor.log, expected);
}

TEST(LineRateRule, UsesTheUserPeriodWhenItIsOn) {
    Fixture f;
    f.sensor.registers[767] = 1;
    f.sensor.registers[768] = 800;
    EXPECT_EQ(f.dispatcher.applyLineRate(2000), HVQ5_RC_OK);
    EXPECT_EQ(f.sensor.log, std::vector<Exchange>{W(144, 800)});
}

TEST(LineRateRule, NewerHeadsInWorkModeTakeTheirOwnPeriod) {
    Fixture f;
    f.sensor.registers[166] = 0x1702F;
    f.sensor.registers[842] = 1;
    f.sensor.registers[875] = 1234;
    EXPECT_EQ(f.dispatcher.applyLineRate(0), HVQ5_RC_OK);
    EXPECT_EQ(f.sensor.log, std::vector<Exchange>{W(144, 1234)});
}

TEST(LineRateRule, NoLineRateAtAllKeepsTheOldPeriod) {
    Fixture f;
    EXPECT_EQ(f.dispatcher.applyLineRate(0), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_TRUE(f.sensor.log.empty());
}

TEST(LineRateRule, ReportsTheFinalWrite) {
    Fixture f;
    f.sensor.failingWrites[768] = HVQ5_RC_TIMEOUT;  // not looked at
    f.sensor.failingWrites[144] = HVQ5_RC_BAD_REPLY;
    EXPECT_EQ(f.dispatcher.applyLineRate(2000), HVQ5_RC_BAD_REPLY);
    EXPECT_EQ(f.sensor.log.size(), 2u);
}

// Settings that change what limits the line rate re-apply the rule with the
// maximum rate of the moment.
TEST(LineRateRule, FollowsImagingSettings) {
    struct Case { int item; int32_t value; uint32_t reg; };
    const Case cases[] = {{9, 2, 238}, {41, 1, 221}, {43, 80, 261}, {45, 90, 263}};
    for (const Case& c : cases) {
        Fixture f;
        f.sensor.maxHz = 1000;
        f.sensor.registers[768] = 5000;
        EXPECT_EQ(f.setInt(1, c.item, c.value), HVQ5_RC_OK);
        const std::vector<Exchange> expected = {W(c.reg, static_cast<uint32_t>(c.value)), W(144, 1000)};
        EXPECT_EQ(f.sensor.log, expected) << c.item;
    }
}

TEST(LineRateRule, FollowsTheRowSettingEvenAfterAFailedWrite) {
    Fixture f;
    f.sensor.failingWrites[238] = HVQ5_RC_TIMEOUT;
    f.sensor.registers[768] = 5000;
    EXPECT_EQ(f.setInt(1, 9, 1), HVQ5_RC_TIMEOUT);
    const std::vector<Exchange> expected = {W(238, 1), W(144, 500)};
    EXPECT_EQ(f.sensor.log, expected);
}

TEST(LineRateRule, ZRangeWritesTheRowsThenTheRule) {
    Fixture f;
    f.sensor.rows = {608, 304, 144, 64};
    f.sensor.registers[768] = 5000;
    EXPECT_EQ(f.setInt(1, 3, 2), HVQ5_RC_OK);
    const std::vector<Exchange> expected = {W(11, 144), W(144, 500)};
    EXPECT_EQ(f.sensor.log, expected);
}

TEST(LineRateSetting, PeriodFromTheRate) {
    struct Case { int32_t hz; uint32_t period; };
    for (const Case& c : {Case{5, 100000}, Case{0, 100000}, Case{2000, 500}, Case{10, 100000}}) {
        Fixture f;
        EXPECT_EQ(f.setInt(0, 2, c.hz), HVQ5_RC_OK);
        const std::vector<Exchange> expected = {W(144, c.period), R(206), W(260, 0)};
        EXPECT_EQ(f.sensor.log, expected) << c.hz;
    }
}

TEST(LineRateSetting, NewerHeadsInWorkModeTakeTheirOwnPeriod) {
    Fixture f;
    f.sensor.registers[166] = 0x702F;
    f.sensor.registers[842] = 1;
    f.sensor.registers[875] = 321;
    f.sensor.registers[206] = 2;
    f.sensor.maxHz = 4000;
    EXPECT_EQ(f.setInt(0, 2, 2000), HVQ5_RC_OK);
    const std::vector<Exchange> expected = {W(144, 321), R(206), W(260, 250)};
    EXPECT_EQ(f.sensor.log, expected);
}

TEST(LineRateSetting, OlderModelWordUsesTheRate) {
    Fixture f;
    f.sensor.registers[166] = 0x702E;
    f.sensor.registers[842] = 1;
    f.sensor.registers[875] = 321;
    EXPECT_EQ(f.setInt(0, 2, 2000), HVQ5_RC_OK);
    EXPECT_EQ(f.sensor.log[0], W(144, 500));
}

TEST(UserLineRate, AboveTheMaximumIsRefused) {
    Fixture f;
    f.sensor.maxHz = 2000;
    EXPECT_EQ(f.setInt(0, 34, 2001), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_TRUE(f.sensor.log.empty());
}

TEST(UserLineRate, StoredWhileOffWithoutTouchingThePeriod) {
    Fixture f;
    EXPECT_EQ(f.setInt(0, 34, 0), HVQ5_RC_OK);
    EXPECT_EQ(f.sensor.log, std::vector<Exchange>{W(768, 100000)});
    EXPECT_EQ(f.last, 0);
}

TEST(UserLineRate, AppliedWhileOn) {
    Fixture f;
    f.sensor.registers[767] = 1;
    EXPECT_EQ(f.setInt(0, 34, 1000), HVQ5_RC_OK);
    const std::vector<Exchange> expected = {W(768, 1000), W(144, 1000), R(206), W(260, 0)};
    EXPECT_EQ(f.sensor.log, expected);
    EXPECT_EQ(f.last, 1000);
}

TEST(UserLineRate, SwitchingOnAppliesTheStoredPeriod) {
    Fixture f;
    f.sensor.registers[768] = 4000;  // 250 Hz
    EXPECT_EQ(f.setInt(0, 35, 1), HVQ5_RC_OK);
    const std::vector<Exchange> expected = {W(767, 1), W(144, 4000), R(206), W(260, 0)};
    EXPECT_EQ(f.sensor.log, expected);
}

TEST(UserLineRate, SwitchingOffReturnsToTheMaximum) {
    Fixture f;
    f.sensor.maxHz = 3968;
    EXPECT_EQ(f.setInt(0, 35, 0), HVQ5_RC_OK);
    const std::vector<Exchange> expected = {W(767, 0), W(144, 252), R(206), W(260, 0)};
    EXPECT_EQ(f.sensor.log, expected);
}

TEST(LineRateRules, PureConversions) {
    using namespace setting_rules;
    EXPECT_EQ(rateFromPeriod(200), 5000u);
    EXPECT_EQ(rateFromPeriod(0), 1u);
    EXPECT_EQ(periodFromRate(5), 100000u);
    EXPECT_EQ(periodFromRate(2000), 500u);
}

TEST(LightLevel, PercentAndRawAtTheScaleEnds) {
    using namespace setting_rules;
    const LightScale standard;
    EXPECT_EQ(lightPercentFromRaw(13107, standard), 1);
    EXPECT_EQ(lightPercentFromRaw(43254, standard), 100);
    EXPECT_EQ(lightRawFromPercent(0, standard), 13107u);
    EXPECT_EQ(lightRawFromPercent(100, standard), 43253u);
    // Far beyond the scale: stays just below its top instead of overflowing.
    EXPECT_EQ(lightRawFromPercent(0xFFFFFFFFu, standard), 43252u);
    const LightScale wide{1.0, 4.9};
    EXPECT_EQ(lightRawFromPercent(100, wide), 64224u);
}

TEST(ZRange, RowTableOfAHead) {
    using setting_rules::zRangeRowTable;
    EXPECT_EQ(zRangeRowTable(1024), (std::array<int, 4>{1024, 512, 256, 128}));
    EXPECT_EQ(zRangeRowTable(608), (std::array<int, 4>{608, 304, 144, 64}));
    EXPECT_EQ(zRangeRowTable(0), (std::array<int, 4>{0, 0, 0, 0}));
}

TEST(RowWindow, HeightCoversTheSpan) {
    using namespace setting_rules;
    EXPECT_EQ(rowWindowHeight((120u << 16) | 100u), 32u);
    EXPECT_EQ(rowWindowHeight((300u << 16) | 100u), 256u);
    EXPECT_EQ(rowWindowHeight((1100u << 16) | 0u), 2048u);
    EXPECT_EQ(rowWindowHeight((5000u << 16) | 0u), 2048u);
    EXPECT_EQ(rowWindowHeight((50u << 16) | 100u), 100u) << "reversed window passes the start on";
}

}  // namespace
