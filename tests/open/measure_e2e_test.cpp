// Measurement control against an opened simulated sensor: the register
// writes of every start, read from the simulator's log.
#include <gtest/gtest.h>

#include "tests/open/open_fixture.h"

namespace open_test {
namespace {

class MeasureE2E : public OpenFixture {
protected:
    void SetUp() override {
        OpenFixture::SetUp();
        sensor = std::make_unique<sensor_sim::SimModelSensors>(testAddress());
        ASSERT_TRUE(sensor->start());
        HVQ5_NET_ADDRESS address = netAddress(sensor->address(0), "QW");
        ASSERT_EQ(HVQ5_EthernetOpen(0, &address), 0);
        device = sdkManager().find(0);
        ASSERT_NE(device, nullptr);
        sim().clearPacketLog();
    }
    void TearDown() override {
        device.reset();
        OpenFixture::TearDown();
    }
    sensor_sim::SimSensor& sim() { return sensor->head(0); }
    std::vector<Write> writes() { return writesIn(sim().packetLog()); }

    std::unique_ptr<sensor_sim::SimModelSensors> sensor;
    std::shared_ptr<tandrel_zp_clients> device;
};

struct SoftwareStart {
    uint32_t startMode;  // register 336 before the start
    std::vector<Write> writes;
};
void PrintTo(const SoftwareStart& c, std::ostream* os) { *os << "register 336 = " << c.startMode; }

class SoftwareStartE2E : public MeasureE2E, public ::testing::WithParamInterface<SoftwareStart> {};

TEST_P(SoftwareStartE2E, WritesTheStartModeAroundTheStart) {
    sim().setReg(336, GetParam().startMode);
    EXPECT_EQ(HVQ5_StartMeasure(0), 0);
    EXPECT_EQ(readsOf(sim().packetLog(), 336), 1u);
    EXPECT_EQ(writes(), GetParam().writes);
    EXPECT_TRUE(device->controller.measurementStarted);
}

INSTANTIATE_TEST_SUITE_P(StartMode, SoftwareStartE2E,
                         ::testing::Values(SoftwareStart{0, {{336, 14}, {141, 1}, {336, 12}}},
                                           SoftwareStart{15, {{141, 1}, {336, 12}}}),
                         [](const ::testing::TestParamInfo<SoftwareStart>& info) {
                             return "Register336Was" + std::to_string(info.param.startMode);
                         });

TEST_F(MeasureE2E, IoStartWaitsForTheTriggerCounterAndLeavesTheFlag) {
    EXPECT_EQ(HVQ5_StartIOMeasure(0, 20), 4100);  // the counter does not move
    EXPECT_EQ(writes(), (std::vector<Write>{{336, 13}, {336, 12}}));
    EXPECT_GE(readsOf(sim().packetLog(), 294), 1u);
    EXPECT_FALSE(device->controller.measurementStarted);
}

TEST_F(MeasureE2E, ClientStartKeepsStartModeFifteenOnRequest) {
    EXPECT_EQ(hvq5_pri_startiomeasure(0, 20, 1), 4100);
    EXPECT_EQ(writes(), (std::vector<Write>{{336, 15}}));
    EXPECT_EQ(sim().reg(336), 15u);
    sim().clearPacketLog();
    EXPECT_EQ(hvq5_pri_startiomeasure(0, 20, 0), 4100);
    EXPECT_EQ(writes(), (std::vector<Write>{{336, 15}, {336, 12}}));
}

TEST_F(MeasureE2E, CallbackStartSwitchesBatchModeOnThenStarts) {
    sim().setReg(149, 0);
    EXPECT_EQ(HVQ5_2_StartMeasureWithCallback(0, 0), 0);
    std::vector<Write> sent = writes();
    EXPECT_EQ(sim().reg(149), 1u);
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[sent.size() - 2], Write(336, 15));
    EXPECT_EQ(sent.back(), Write(141, 1));

    sim().clearPacketLog();
    EXPECT_EQ(HVQ5_2_StartMeasureWithCallback(0, 1), 0);
    sent = writes();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), Write(336, 15));
}

TEST_F(MeasureE2E, RollingStartClearsTheBatchLength) {
    sim().setReg(138, 500);
    EXPECT_EQ(HVQ5_2_StartBatchRollData(0), 0);
    EXPECT_EQ(readsOf(sim().packetLog(), 138), 1u);
    EXPECT_EQ(writes(), (std::vector<Write>{{138, 0}, {336, 15}, {141, 1}}));
    EXPECT_TRUE(device->receiver.rollMode());
    EXPECT_EQ(device->receiver.rollState(), ProfileReceiver::kRollRunning);

    sim().clearPacketLog();
    EXPECT_EQ(HVQ5_2_StartIOBatchRollData(0), 0);
    EXPECT_EQ(writes(), (std::vector<Write>{{138, 0}, {336, 15}}));
}

TEST_F(MeasureE2E, SingleWrites) {
    struct Case {
        const char* name;
        int (*call)();
        Write write;
    };
    const Case cases[] = {
        {"stop", [] { return HVQ5_StopMeasure(0); }, {142, 1}},
        {"stop 2", [] { return HVQ5_2_StopMeasure(0); }, {142, 1}},
        {"trigger", [] { return HVQ5_Trigger(0); }, {2, 1}},
        {"one batch", [] { return HVQ5_2_TriggerOneBatch(0); }, {141, 1}},
    };
    for (const Case& c : cases) {
        sim().clearPacketLog();
        EXPECT_EQ(c.call(), 0) << c.name;
        EXPECT_EQ(writes(), std::vector<Write>{c.write}) << c.name;
    }
    EXPECT_TRUE(device->controller.measurementStarted);  // only the one-batch trigger sets it
}

TEST_F(MeasureE2E, StopLeavesTheMeasuringFlag) {
    ASSERT_EQ(HVQ5_2_TriggerOneBatch(0), 0);
    ASSERT_EQ(HVQ5_StopMeasure(0), 0);
    EXPECT_TRUE(device->controller.measurementStarted);
}

TEST_F(MeasureE2E, StartsAreRefusedWithoutBatchModeAndSendNothing) {
    device->controller.settings().set_regvals(149, 0);
    sim().clearPacketLog();
    EXPECT_EQ(HVQ5_StartMeasure(0), 5005);
    EXPECT_EQ(HVQ5_2_StartMeasure(0), 5005);
    EXPECT_EQ(HVQ5_StartIOMeasure(0, 20), 5005);
    EXPECT_EQ(HVQ5_2_StartIOTriggerMeasure(0, 20), 5005);
    EXPECT_EQ(HVQ5_2_StartIOBatchRollData(0), 5005);
    EXPECT_EQ(HVQ5_2_StartBatchRollData(0), 5005);
    EXPECT_TRUE(sim().packetLog().empty());
    EXPECT_FALSE(device->controller.measurementStarted);
}

TEST_F(MeasureE2E, SingleProfileIsRefusedInBatchMode) {
    std::vector<int32_t> profile(6000, 7);
    uint32_t encoder = 0;
    EXPECT_EQ(HVQ5_2_GetSingleProfile(0, profile.data(), &encoder), 5001);
    EXPECT_EQ(readsOf(sim().packetLog(), 319), 0u);  // no live-profile request
    EXPECT_EQ(profile[0], 7);
}

TEST_F(MeasureE2E, SingleProfileOutsideBatchModeReadsTheLiveProfile) {
    sim().setReg(149, 0);
    sim().setReg(706, 1234);
    std::vector<int32_t> profile(6000, 7);
    uint32_t encoder = 0;
    EXPECT_EQ(HVQ5_2_GetSingleProfile(0, profile.data(), &encoder), 0);
    EXPECT_EQ(encoder, 1234u);
    EXPECT_EQ(readsOf(sim().packetLog(), 319), 1u);
    EXPECT_NE(profile[2048], 7);
    EXPECT_EQ(profile[4096], 7);  // the caller's buffer beyond the head's points is untouched
    EXPECT_EQ(HVQ5_2_GetSingleProfile(0, nullptr, &encoder), 4102);
}

TEST_F(MeasureE2E, RollStopCountIgnoresItsSecondArgument) {
    EXPECT_EQ(HVQ5_2_SetBatchRollProfilePoint(0, 12345, 40), 0);
    EXPECT_EQ(HVQ5_2_ClearData(0), 0);
    EXPECT_TRUE(sim().packetLog().empty());
}

}  // namespace
}  // namespace open_test
