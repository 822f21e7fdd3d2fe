#include <gtest/gtest.h>

#include "tests/dispatcher/fake_setting_transport.h"

using namespace dispatcher_test;

namespace {

using Fixture = DispatcherOnFake;

struct IntReadCase {
    const char* name;
    int type, category, item;
    uint32_t reg, registerValue;
    int32_t expected;
};

class IntReads : public ::testing::TestWithParam<IntReadCase> {};

TEST_P(IntReads, ScaleTheRegisterIntoTheCallersInt) {
    const IntReadCase& c = GetParam();
    Fixture f;
    f.sensor.registers[c.reg] = c.registerValue;
    int32_t out = -7;
    ASSERT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(c.type, c.category, c.item), &out, 4),
              HVQ5_RC_OK);
    EXPECT_EQ(out, c.expected);
    ASSERT_EQ(f.sensor.log.size(), 1u);
    EXPECT_EQ(f.sensor.log[0].reg, c.reg);
    EXPECT_EQ(f.sensor.log[0].waitMs, 10);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, IntReads,
    ::testing::Values(
        IntReadCase{"CommonTimesTwenty", 2, 0, 7, 146, 5, 100},
        IntReadCase{"CommonPerThousand", 2, 0, 32, 310, 2999, 2},
        IntReadCase{"CommonRegister790", 2, 9, 34, 790, 17, 17},
        IntReadCase{"TriggerMethod", 16, 0, 1, 143, 2, 2},
        IntReadCase{"LineRateFromPeriod", 16, 0, 2, 144, 200, 5000},
        IntReadCase{"LineRateOfZeroPeriod", 16, 0, 2, 144, 0, 1},
        IntReadCase{"LastProgramTypeReadsTheSame", 30, 0, 2, 144, 200, 5000},
        IntReadCase{"UserLineRate", 16, 0, 34, 768, 1000, 1000},
        IntReadCase{"ZRangeIndex", 16, 1, 3, 11, 256, 2},
        IntReadCase{"ZRangeRowsNotInTable", 16, 1, 3, 11, 300, 300},
        IntReadCase{"HaloFilterFifteenIsFour", 16, 1, 20, 801, 15, 4},
        IntReadCase{"HaloFilterOther", 16, 1, 20, 801, 3, 3},
        IntReadCase{"LightLevelLowEnd", 16, 1, 12, 175, 13107, 1},
        IntReadCase{"LightLevelHighEnd", 16, 1, 13, 174, 43254, 100},
        IntReadCase{"LaserPowerPercent", 16, 1, 34, 158, 28181, 50},
        IntReadCase{"ProcessingFilter", 16, 2, 12, 470, 9, 9}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingRead, DepthOtherThanRunningIsRefusedWithoutTraffic) {
    for (int depth : {0, 2, 3}) {
        Fixture f;
        int32_t out = 0;
        EXPECT_EQ(f.dispatcher.getSetting(depth, makeSettingAddress(16, 0, 1), &out, 4),
                  HVQ5_RC_BAD_ARGUMENT);
        EXPECT_TRUE(f.sensor.log.empty());
    }
}

TEST(SettingRead, AddressesOutsideTheTablesAreRefusedWithoutTraffic) {
    const int addresses[][3] = {{15, 0, 1}, {31, 0, 1}, {0, 0, 4}, {16, 3, 1},  {1, 0, 7},
                                {2, 0, 6},  {16, 0, 6}, {16, 1, 4}, {16, 1, 49}, {16, 2, 3}};
    for (const auto& a : addresses) {
        Fixture f;
        int32_t out = 0;
        EXPECT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(a[0], a[1], a[2]), &out, 4),
                  HVQ5_RC_BAD_ARGUMENT)
            << a[0] << "/" << a[1] << "/" << a[2];
        EXPECT_TRUE(f.sensor.log.empty());
    }
}

TEST(SettingRead, SizeRulesAreCheckedBeforeTraffic) {
    Fixture f;
    uint8_t buffer[32] = {};
    EXPECT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(16, 0, 2), buffer, 8), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(16, 0, 1), buffer, 3), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(16, 1, 48), buffer, 20), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_TRUE(f.sensor.log.empty());
    // Minimum 4 accepts a larger buffer.
    EXPECT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(16, 0, 1), buffer, 8), HVQ5_RC_OK);
}

TEST(SettingRead, NullDataIsRefused) {
    Fixture f;
    EXPECT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(16, 0, 1), nullptr, 4), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_TRUE(f.sensor.log.empty());
}

TEST(SettingRead, LightLevelItemsIgnoreTheSizeAndWriteFourBytes) {
    Fixture f;
    f.sensor.registers[175] = 43254;
    int32_t out = 0;
    EXPECT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(16, 1, 12), &out, 0), HVQ5_RC_OK);
    EXPECT_EQ(out, 100);
}

TEST(SettingRead, IpAddressComesMostSignificantByteFirst) {
    Fixture f;
    f.sensor.registers[167] = 3232235786u;  // 192.168.1.10
    uint8_t out[4] = {};
    ASSERT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(1, 0, 4), out, 4), HVQ5_RC_OK);
    EXPECT_EQ(out[0], 192);
    EXPECT_EQ(out[1], 168);
    EXPECT_EQ(out[2], 1);
    EXPECT_EQ(out[3], 10);
}

TEST(SettingRead, FailedReadFollowsTheItemsOutputRule) {
    struct Case { int category, item; uint32_t reg; int32_t expectedAfterFailure; };
    // "Always" items are written from a cleared value; "value" items keep the caller's bytes.
    const Case cases[] = {{0, 1, 143, -7}, {0, 2, 144, 1}, {0, 34, 768, -7}, {1, 21, 430, 0},
                          {1, 12, 175, -7}, {2, 10, 472, -7}};
    for (const Case& c : cases) {
        Fixture f;
        f.sensor.failingReads[c.reg] = HVQ5_RC_TIMEOUT;
        int32_t out = -7;
        EXPECT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(16, c.category, c.item), &out, 4),
                  HVQ5_RC_TIMEOUT);
        EXPECT_EQ(out, c.expectedAfterFailure) << c.category << "/" << c.item;
    }
}

TEST(SettingRead, MaximumLineRateComesFromTheImageWithoutTraffic) {
    Fixture f;
    f.sensor.maxHz = 3968;
    int32_t out = 0;
    EXPECT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(16, 0, 255), &out, 4), HVQ5_RC_OK);
    EXPECT_EQ(out, 3968);
    EXPECT_TRUE(f.sensor.log.empty());
}

TEST(SettingRead, SingleByteItems) {
    struct Case { int category, item; uint32_t reg, value; uint8_t expected; };
    const Case cases[] = {
        {1, 15, 150, 70, 3}, {1, 15, 150, 75, 75},  {1, 11, 290, 0x1202, 2},
        {2, 7, 291, 3, 1},   {2, 7, 291, 1, 0},     {2, 6, 291, 1, 1}};
    for (const Case& c : cases) {
        Fixture f;
        f.sensor.registers[c.reg] = c.value;
        uint8_t out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
        EXPECT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(16, c.category, c.item), out, 4), HVQ5_RC_OK);
        EXPECT_EQ(out[0], c.expected) << c.category << "/" << c.item << " value " << c.value;
        EXPECT_EQ(out[1], 0xEE) << "only one byte is written";
    }
}

TEST(SettingRead, RowWindowPacksBothRegisters) {
    Fixture f;
    f.sensor.registers[223] = 0x10064;
    f.sensor.registers[224] = 0x20200;
    uint32_t out = 0;
    EXPECT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(16, 1, 14), &out, 4), HVQ5_RC_OK);
    EXPECT_EQ(out, 0x02000064u);
}

TEST(SettingRead, RowWindowReportsAFailedRead) {
    Fixture f;
    f.sensor.failingReads[224] = HVQ5_RC_BAD_REPLY;
    uint32_t out = 5;
    EXPECT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(16, 1, 14), &out, 4), HVQ5_RC_BAD_REPLY);
    EXPECT_EQ(out, 5u);
}

TEST(SettingRead, HaloParameterAsFloat) {
    Fixture f;
    f.sensor.registers[426] = 640;
    float out = 0;
    EXPECT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(16, 1, 23), &out, 4), HVQ5_RC_OK);
    EXPECT_FLOAT_EQ(out, 2.5f);
    f.sensor.registers[804] = 40;
    EXPECT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(16, 2, 19), &out, 4), HVQ5_RC_OK);
    EXPECT_FLOAT_EQ(out, 2.5f);
}

TEST(SettingRead, RepairPairTakesOneByteOfEachRegister) {
    Fixture f;
    f.sensor.registers[190] = 0x105;
    f.sensor.registers[191] = 0x207;
    uint8_t out[4] = {};
    EXPECT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(16, 2, 14), out, 4), HVQ5_RC_OK);
    EXPECT_EQ(out[0], 5);
    EXPECT_EQ(out[1], 7);
}

TEST(SettingRead, ImagingItemTenReadsNothing) {
    Fixture f;
    int32_t out = 9;
    EXPECT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(16, 1, 10), &out, 4), HVQ5_RC_OK);
    EXPECT_EQ(out, 9);
    EXPECT_TRUE(f.sensor.log.empty());
}

uint32_t le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }

TEST(SegmentRead, ReadsTheFieldsInTheSensorsOrder) {
    Fixture f;
    f.sensor.registers[530] = 1;
    f.sensor.registers[560] = 400;  // segment 3: line count
    f.sensor.registers[561] = 200;  // gray upper
    f.sensor.registers[562] = 20;   // gray lower
    f.sensor.registers[563] = 5;    // peak mode
    uint8_t record[21] = {};
    record[1] = 3;
    ASSERT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(16, 1, 48), record, 21), HVQ5_RC_OK);
    EXPECT_EQ(record[0], 1);
    EXPECT_EQ(le32(record + 1), 3u);
    EXPECT_EQ(le32(record + 5), 400u);
    EXPECT_EQ(le32(record + 9), 200u);
    EXPECT_EQ(le32(record + 13), 20u);
    EXPECT_EQ(le32(record + 17), 5u);
    const std::vector<Exchange> expected = {R(530), R(561), R(562), R(560), R(563)};
    EXPECT_EQ(f.sensor.log, expected);
}

TEST(SegmentRead, StopsAtTheFirstFailureKeepingUnreadFields) {
    Fixture f;
    f.sensor.registers[531 + 10] = 200;
    f.sensor.failingReads[532 + 10] = HVQ5_RC_TIMEOUT;
    uint8_t record[21];
    std::memset(record, 0xAB, sizeof record);
    record[1] = 1;
    record[2] = record[3] = record[4] = 0;
    EXPECT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(16, 1, 48), record, 21), HVQ5_RC_TIMEOUT);
    EXPECT_EQ(record[0], 0);
    EXPECT_EQ(le32(record + 9), 200u);
    EXPECT_EQ(record[13], 0xAB);
    EXPECT_EQ(record[5], 0xAB);
    EXPECT_EQ(record[17], 0xAB);
    EXPECT_EQ(f.sensor.log.size(), 3u);
}

TEST(SegmentRead, SegmentNumberOutsideOneToFiveIsRefusedWithoutTraffic) {
    for (uint8_t n : {0, 6}) {
        Fixture f;
        uint8_t record[21] = {};
        record[1] = n;
        EXPECT_EQ(f.dispatcher.getSetting(1, makeSettingAddress(16, 1, 48), record, 21), HVQ5_RC_BAD_ARGUMENT);
        EXPECT_TRUE(f.sensor.log.empty());
    }
}

}  // namespace
