#include <gtest/gtest.h>

#include "tests/dispatcher/fake_setting_transport.h"

using namespace dispatcher_test;

namespace {

using Fixture = DispatcherOnFake;

// One register write of a value, whatever the table.
struct PlainCase {
    const char* name;
    int type, category, item;
    int32_t value;
    int size;
    uint32_t reg, written;
};

class PlainWrites : public ::testing::TestWithParam<PlainCase> {};

TEST_P(PlainWrites, WriteOneRegister) {
    const PlainCase& c = GetParam();
    Fixture f;
    int32_t data[2] = {c.value, 0};
    EXPECT_EQ(f.set(c.type, c.category, c.item, data, c.size), HVQ5_RC_OK);
    const std::vector<Exchange> expected = {W(c.reg, c.written)};
    EXPECT_EQ(f.sensor.log, expected);
    EXPECT_EQ(f.sensor.log[0].waitMs, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, PlainWrites,
    ::testing::Values(
        PlainCase{"CommonPerTwenty", 2, 0, 7, 100, 4, 146, 5},
        PlainCase{"CommonPerTwentyAtLeastOne", 2, 0, 7, 19, 4, 146, 1},
        PlainCase{"CommonTimesThousand", 2, 0, 32, 3, 4, 310, 3000},
        PlainCase{"TriggerMethodOneIsZero", 16, 0, 1, 1, 4, 143, 0},
        PlainCase{"TriggerMethodAboveTwoIsTwo", 16, 0, 1, 7, 4, 143, 2},
        PlainCase{"EncoderIntervalOnIsBool", 16, 0, 8, 9, 4, 282, 1},
        PlainCase{"ProfilesPerBatch", 16, 0, 10, 60000, 4, 138, 60000},
        PlainCase{"PeakSelectionWithWrongSizeWritesZero", 16, 1, 17, 5, 8, 431, 0},
        PlainCase{"CameraGain", 16, 1, 32, 6, 4, 161, 6},
        PlainCase{"ZRangeFromTheRowTable", 16, 1, 15, 2, 4, 150, 90},
        PlainCase{"LightUpperZeroPercent", 16, 1, 12, 0, 0, 175, 13107},
        PlainCase{"LightLowerFullPercent", 16, 1, 13, 100, 0, 174, 43253},
        PlainCase{"RotationOnIsBool", 16, 2, 15, -3, 4, 324, 1},
        PlainCase{"ZScaleOff", 16, 2, 16, 0, 4, 330, 0},
        PlainCase{"ProcessingRegister354", 16, 2, 18, 3, 4, 354, 3},
        PlainCase{"ProcessingRegister805", 16, 2, 20, 12, 8, 805, 12}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingWrite, RefusalsComeBeforeAnyTraffic) {
    struct Case { int type, category, item; int32_t value; int size; int status; };
    const Case cases[] = {
        {32, 0, 1, 0, 4, HVQ5_RC_BAD_ARGUMENT},  {15, 0, 1, 0, 4, HVQ5_RC_BAD_ARGUMENT},
        {16, 3, 1, 0, 4, HVQ5_RC_BAD_ARGUMENT},  {1, 0, 8, 0, 4, HVQ5_RC_BAD_ARGUMENT},
        {2, 0, 6, 0, 4, HVQ5_RC_BAD_ARGUMENT},   {16, 0, 1, 0, 8, HVQ5_RC_BAD_ARGUMENT},
        {16, 0, 6, 0, 4, HVQ5_RC_BAD_ARGUMENT},  {16, 0, 10, 60001, 4, HVQ5_RC_BAD_ARGUMENT},
        {16, 0, 4, 0, 3, HVQ5_RC_BAD_ARGUMENT},  {16, 1, 3, 4, 4, HVQ5_RC_BAD_BLOCK},
        {16, 1, 3, -1, 4, HVQ5_RC_BAD_BLOCK},    {16, 1, 9, 4, 4, HVQ5_RC_BAD_ARGUMENT},
        {16, 1, 15, 6, 4, HVQ5_RC_BAD_ARGUMENT}, {16, 1, 16, 1, 8, HVQ5_RC_BAD_ARGUMENT},
        {16, 1, 39, 0, 4, HVQ5_RC_BAD_ARGUMENT}, {16, 1, 21, 1, 4, HVQ5_RC_NOT_ALLOWED},
        {16, 2, 18, 4, 4, HVQ5_RC_BAD_ARGUMENT}, {16, 2, 3, 0, 4, HVQ5_RC_BAD_ARGUMENT},
        {16, 2, 19, 0, 8, HVQ5_RC_BAD_ARGUMENT}, {16, 2, 5, 0, 2, HVQ5_RC_BAD_ARGUMENT},
    };
    for (const Case& c : cases) {
        Fixture f;
        int32_t data[2] = {c.value, 0};
        EXPECT_EQ(f.set(c.type, c.category, c.item, data, c.size), c.status)
            << c.type << "/" << c.category << "/" << c.item;
        EXPECT_TRUE(f.sensor.log.empty()) << c.type << "/" << c.category << "/" << c.item;
    }
}

TEST(SettingWrite, ARunningMeasurementIsStoppedFirst) {
    Fixture f;
    f.sensor.measuring = true;
    EXPECT_EQ(f.setInt(1, 32, 6), HVQ5_RC_OK);
    const std::vector<Exchange> expected = {W(142, 1), W(161, 6)};
    EXPECT_EQ(f.sensor.log, expected);
    EXPECT_EQ(f.clock.sleeps, std::vector<int>{20});
    EXPECT_FALSE(f.sensor.measuring);
    // Only once: the flag was taken.
    f.sensor.log.clear();
    EXPECT_EQ(f.setInt(1, 32, 7), HVQ5_RC_OK);
    EXPECT_EQ(f.sensor.log, std::vector<Exchange>{W(161, 7)});
}

TEST(SettingWrite, ProgramDepthSelectsAndSaves) {
    Fixture f;
    EXPECT_EQ(f.dispatcher.setSetting(2, makeSettingAddress(20, 9, 99), nullptr, 0), HVQ5_RC_OK);
    const std::vector<Exchange> expected = {{'p', 4, 0, 0}, {'s', 0, 0, 0}};
    EXPECT_EQ(f.sensor.log, expected);

    Fixture failing;
    failing.sensor.selectStatus = HVQ5_RC_TIMEOUT;
    EXPECT_EQ(failing.dispatcher.setSetting(2, makeSettingAddress(31, 0, 0), nullptr, 0), HVQ5_RC_TIMEOUT);
    EXPECT_EQ(failing.sensor.log.size(), 1u) << "no save after a failed select";
}

TEST(SettingWrite, NetworkAddressIsAppliedAfterTheWrite) {
    Fixture f;
    uint8_t address[4] = {192, 168, 1, 10};
    EXPECT_EQ(f.set(1, 0, 4, address), HVQ5_RC_OK);
    const std::vector<Exchange> expected = {W(167, 3232235786u), W(170, 1)};
    EXPECT_EQ(f.sensor.log, expected);
    EXPECT_EQ(f.sensor.log[1].waitMs, 500);

    Fixture failing;
    failing.sensor.failingWrites[169] = HVQ5_RC_BAD_REPLY;
    EXPECT_EQ(failing.set(1, 0, 5, address), HVQ5_RC_BAD_REPLY);
    EXPECT_EQ(failing.sensor.log.size(), 1u);
}

TEST(SettingWrite, TriggerValuesAreStoredBackAfterClamping) {
    Fixture f;
    int32_t data = 9;
    EXPECT_EQ(f.set(16, 0, 7, &data), HVQ5_RC_OK);
    EXPECT_EQ(f.sensor.log, std::vector<Exchange>{W(145, 3)});
    EXPECT_EQ(data, 3);

    Fixture failing;
    failing.sensor.failingWrites[283] = HVQ5_RC_TIMEOUT;
    data = 44;
    EXPECT_EQ(failing.set(16, 0, 4, &data), HVQ5_RC_TIMEOUT);
    EXPECT_EQ(data, 44);
}

TEST(SettingWrite, AsynchronousFunctionAboveFiveIsZero) {
    Fixture f;
    int32_t data = 9;
    EXPECT_EQ(f.set(16, 0, 32, &data), HVQ5_RC_OK);
    const std::vector<Exchange> expected = {W(206, 0), W(260, 0)};
    EXPECT_EQ(f.sensor.log, expected);
    EXPECT_EQ(data, 0);
}

TEST(SettingWrite, AsynchronousFunctionTwoWritesTheMinimumPeriod) {
    Fixture f;
    f.sensor.maxHz = 4000;
    int32_t data = 2;
    EXPECT_EQ(f.set(16, 0, 32, &data), HVQ5_RC_OK);
    const std::vector<Exchange> expected = {W(206, 2), W(260, 250)};
    EXPECT_EQ(f.sensor.log, expected);
}

TEST(SettingWrite, AsynchronousFunctionTwoWithNoLineRateKeepsThePeriod) {
    Fixture f;
    f.sensor.maxHz = 0;
    f.sensor.registers[260] = 777;
    int32_t data = 2;
    EXPECT_EQ(f.set(16, 0, 32, &data), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(f.sensor.registers[260], 777u);
    EXPECT_EQ(data, 2);
}

TEST(SettingWrite, ExposureIndexWritesTheTableEntry) {
    Fixture f;
    EXPECT_EQ(f.setInt(1, 6, 3), HVQ5_RC_OK);
    const std::vector<Exchange> expected = {W(286, 3), W(162, 50), R(289), W(768, 500),
                                            W(144, 500), R(206), W(260, 0)};
    EXPECT_EQ(f.sensor.log, expected);
}

TEST(SettingWrite, ExposureIndexOutsideTheTableOnlyWritesTheIndex) {
    Fixture f;
    EXPECT_EQ(f.setInt(1, 6, 9), HVQ5_RC_OK);
    EXPECT_EQ(f.sensor.log, std::vector<Exchange>{W(286, 9)});
}

TEST(SettingWrite, ExposureTimeStopsAtTheFirstFailure) {
    Fixture f;
    f.sensor.failingReads[289] = HVQ5_RC_TIMEOUT;
    EXPECT_EQ(f.setInt(1, 33, 120), HVQ5_RC_TIMEOUT);
    const std::vector<Exchange> expected = {W(162, 120), R(289)};
    EXPECT_EQ(f.sensor.log, expected);
}

TEST(SettingWrite, HdrRangeIsSignExtendedFromByteZero) {
    Fixture f;
    uint8_t data[4] = {0xFF, 0, 0, 0};
    EXPECT_EQ(f.set(16, 1, 5, data), HVQ5_RC_OK);
    ASSERT_FALSE(f.sensor.log.empty());
    EXPECT_EQ(f.sensor.log[0], W(288, 0xFFFFFFFFu));
}

TEST(SettingWrite, HaloFilterFourMeansFifteen) {
    Fixture f;
    EXPECT_EQ(f.setInt(1, 20, 4), HVQ5_RC_OK);
    const std::vector<Exchange> expected = {W(425, 1), W(801, 15)};
    EXPECT_EQ(f.sensor.log, expected);
}

TEST(SettingWrite, HaloParametersNeedTheFilterAndMirrorTheValue) {
    Fixture f;
    f.sensor.registers[801] = 15;
    float factor = 2.5f;
    EXPECT_EQ(f.set(16, 1, 23, &factor), HVQ5_RC_OK);
    const std::vector<Exchange> expected = {W(426, 640), W(758, 640)};
    EXPECT_EQ(f.sensor.log, expected);
}

TEST(SettingWrite, MultiFrameModes) {
    {
        Fixture f;
        f.sensor.registers[238] = 0;
        f.sensor.registers[149] = 1;
        uint8_t data[4] = {1, 0, 0, 0};
        EXPECT_EQ(f.set(16, 1, 7, data), HVQ5_RC_OK);
        const std::vector<Exchange> expected = {R(238), R(149), W(238, 1), W(221, 1), W(289, 1)};
        EXPECT_EQ(f.sensor.log, expected);
    }
    {
        Fixture f;
        uint8_t data[4] = {2, 0, 0, 0};
        EXPECT_EQ(f.set(16, 1, 7, data), HVQ5_RC_BAD_ARGUMENT);
        EXPECT_EQ(f.sensor.log, std::vector<Exchange>{R(238)});
    }
    {
        Fixture f;
        uint8_t data[4] = {3, 0, 0, 0};
        f.sensor.failingWrites[221] = HVQ5_RC_BAD_REPLY;
        EXPECT_EQ(f.set(16, 1, 7, data), HVQ5_RC_BAD_REPLY);
        const std::vector<Exchange> expected = {R(238), W(238, 1), W(221, 0)};
        EXPECT_EQ(f.sensor.log, expected);
    }
}

TEST(SettingWrite, LaserPowerControlSequences) {
    {
        Fixture f;
        uint8_t data[4] = {1, 0, 0, 0};
        EXPECT_EQ(f.set(16, 1, 11, data, 0), HVQ5_RC_OK);
        const std::vector<Exchange> expected = {W(153, 180), W(155, 30), W(156, 1), W(290, 1)};
        EXPECT_EQ(f.sensor.log, expected);
    }
    {
        Fixture f;
        f.sensor.registers[162] = 100;
        uint8_t data[4] = {2, 0, 0, 0};
        EXPECT_EQ(f.set(16, 1, 11, data, 0), HVQ5_RC_OK);
        const std::vector<Exchange> expected = {W(156, 0),   R(162), W(162, 100), R(289), W(768, 500),
                                                W(144, 500), R(206), W(260, 0),   R(158), W(290, 2)};
        EXPECT_EQ(f.sensor.log, expected);
    }
    {
        Fixture f;
        f.sensor.failingWrites[212] = HVQ5_RC_TIMEOUT;
        uint8_t data[4] = {0, 0, 0, 0};
        EXPECT_EQ(f.set(16, 1, 11, data, 0), HVQ5_RC_TIMEOUT);
        const std::vector<Exchange> expected = {W(153, 180), W(155, 30), W(156, 1), W(174, 10),
                                                W(175, 0xFFFE), W(212, 2)};
        EXPECT_EQ(f.sensor.log, expected);
    }
}

TEST(SettingWrite, RowWindowWritesStartAndACoveringHeight) {
    Fixture f;
    EXPECT_EQ(f.setInt(1, 14, (300 << 16) | 100), HVQ5_RC_OK);
    const std::vector<Exchange> expected = {W(223, 100), W(224, 256)};
    EXPECT_EQ(f.sensor.log, expected);
}

void putLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(SettingWrite, ExposureSegmentWritesInOrderAndChecksRanges) {
    uint8_t record[21] = {};
    record[0] = 1;
    putLe32(record + 1, 2);
    putLe32(record + 5, 70000);
    putLe32(record + 9, 254);
    putLe32(record + 13, 10);
    putLe32(record + 17, 7);
    Fixture f;
    EXPECT_EQ(f.set(16, 1, 48, record, 21), HVQ5_RC_OK);
    const std::vector<Exchange> expected = {W(530, 1), W(551, 254), W(552, 10), W(550, 70000), W(553, 7)};
    EXPECT_EQ(f.sensor.log, expected);

    for (int offset : {1, 9, 13, 17}) {
        uint8_t bad[21];
        std::memcpy(bad, record, sizeof bad);
        putLe32(bad + offset, offset == 1 ? 6 : (offset == 17 ? 8 : 255));
        Fixture refused;
        EXPECT_EQ(refused.set(16, 1, 48, bad, 21), HVQ5_RC_BAD_ARGUMENT) << offset;
        EXPECT_TRUE(refused.sensor.log.empty());
    }
}

TEST(SettingWrite, MirrorBits) {
    struct Case { int item; uint8_t on; uint32_t before, after; };
    const Case cases[] = {{6, 0, 7, 2}, {6, 1, 4, 5}, {7, 1, 4, 6}, {7, 0, 7, 1}};
    for (const Case& c : cases) {
        Fixture f;
        f.sensor.registers[291] = c.before;
        uint8_t data[4] = {c.on, 0, 0, 0};
        EXPECT_EQ(f.set(16, 2, c.item, data), HVQ5_RC_OK);
        const std::vector<Exchange> expected = {R(291), W(291, c.after)};
        EXPECT_EQ(f.sensor.log, expected) << c.item << " " << int(c.on) << " " << c.before;
    }
}

TEST(SettingWrite, RepairPairStopsAfterAFailedFirstWrite) {
    Fixture f;
    f.sensor.failingWrites[190] = HVQ5_RC_TIMEOUT;
    uint8_t data[4] = {0xFE, 3, 0, 0};
    EXPECT_EQ(f.set(16, 2, 14, data), HVQ5_RC_TIMEOUT);
    EXPECT_EQ(f.sensor.log, std::vector<Exchange>{W(190, 0xFFFFFFFEu)});
}

TEST(SettingWrite, SlopeThresholdIsTheFloatTimesSixteen) {
    Fixture f;
    float slope = 2.99f;
    EXPECT_EQ(f.set(16, 2, 19, &slope), HVQ5_RC_OK);
    EXPECT_EQ(f.sensor.log, std::vector<Exchange>{W(804, 47)});
}

TEST(BatchMode, OnAndOffSequencesWithTheirWaits) {
    Fixture on;
    on.sensor.registers[159] = 0;
    uint8_t one[4] = {1, 0, 0, 0};
    EXPECT_EQ(on.set(16, 0, 3, one), HVQ5_RC_OK);
    const std::vector<Exchange> onExpected = {R(159), W(208, 0), W(149, 1), W(159, 1), W(194, 1)};
    EXPECT_EQ(on.sensor.log, onExpected);
    EXPECT_EQ(on.sensor.log[1].waitMs, 2);
    EXPECT_EQ(on.sensor.log[2].waitMs, 10);

    Fixture off;
    off.sensor.registers[159] = 5;
    uint8_t zero[4] = {0, 0, 0, 0};
    EXPECT_EQ(off.dispatcher.setBatchMode(zero, 1), HVQ5_RC_OK);
    const std::vector<Exchange> offExpected = {R(159), W(149, 0), W(208, 1), W(159, 5)};
    EXPECT_EQ(off.sensor.log, offExpected);

    Fixture failing;
    failing.sensor.failingWrites[149] = HVQ5_RC_TIMEOUT;
    EXPECT_EQ(failing.dispatcher.setBatchMode(one, 4), HVQ5_RC_TIMEOUT);
    EXPECT_EQ(failing.sensor.log.size(), 3u);
}

TEST(MeasurementControl, StartStopAndBatchMemory) {
    Fixture f;
    EXPECT_EQ(f.dispatcher.startStop(true), HVQ5_RC_OK);
    EXPECT_EQ(f.dispatcher.startStop(false), HVQ5_RC_OK);
    EXPECT_EQ(f.dispatcher.clearBatchMemory(2), HVQ5_RC_OK);
    const std::vector<Exchange> expected = {W(141, 1), W(142, 1), W((2u << 16) + 277, 0)};
    EXPECT_EQ(f.sensor.log, expected);

    f.sensor.failingWrites[142] = HVQ5_RC_TIMEOUT;
    EXPECT_EQ(f.dispatcher.startStop(false), HVQ5_RC_COMMAND_FAILED);
}

TEST(MeasurementControl, BatchMemoryStates) {
    struct Case { uint32_t answer; int queryStatus; int expected; };
    const Case cases[] = {{0, HVQ5_RC_OK, HVQ5_RC_OK},
                          {2, HVQ5_RC_OK, HVQ5_RC_MEMORY_STATE_2},
                          {1, HVQ5_RC_OK, HVQ5_RC_MEMORY_NOT_READY},
                          {0, HVQ5_RC_TIMEOUT, HVQ5_RC_COMMAND_FAILED}};
    for (const Case& c : cases) {
        Fixture f;
        f.sensor.queryAnswer = c.answer;
        f.sensor.queryStatus = c.queryStatus;
        EXPECT_EQ(f.dispatcher.batchMemoryStatus(25, 3), c.expected);
        ASSERT_EQ(f.sensor.log.size(), 1u);
        EXPECT_EQ(f.sensor.log[0].reg, (3u << 16) | 277u);
        EXPECT_EQ(f.sensor.log[0].value, 25u);
        EXPECT_EQ(f.sensor.log[0].waitMs, 3);
    }
}

}  // namespace
