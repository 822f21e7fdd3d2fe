// Opening and closing sensors against the simulator.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "sensor_interface/processing/model_geometry.h"
#include "sensor_interface/registry/open_close.h"
#include "tests/open/open_fixture.h"

namespace open_test {
namespace {

using sensor_sim::ModelPreset;
using sensor_sim::OpenKnobs;
using sensor_sim::SimModelSensors;

ModelPreset modelPreset(const std::string& model) {
    ModelPreset preset;
    preset.model = model;
    return preset;
}

// True when `wanted` appears in `log` in this order (other packets between).
bool inOrder(const std::vector<sensor_sim::LoggedPacket>& log,
             const std::vector<std::pair<uint8_t, uint32_t>>& wanted) {
    size_t next = 0;
    for (const auto& packet : log) {
        if (next == wanted.size()) break;
        if (packet.opcode == wanted[next].first && (packet.address & 0xFFFF) == wanted[next].second) ++next;
    }
    return next == wanted.size();
}

class OpenE2E : public OpenFixture {};

TEST_F(OpenE2E, OpensInTheSensorsOrderAndLogsTheRunInformation) {
    SimModelSensors sensor(testAddress(), modelPreset("ZP5160"));
    ASSERT_TRUE(sensor.start());
    HVQ5_NET_ADDRESS address = netAddress(sensor.address(0));
    ASSERT_EQ(HVQ5_EthernetOpen(0, &address), 0);

    const auto log = sensor.head(0).packetLog();
    // Identity, head information, user registers and shape, load status,
    // calibration table, then the start-up writes.
    EXPECT_TRUE(inOrder(log, {{161, 134}, {161, 135}, {161, 166}, {161, 350}, {161, 351}, {161, 352},
                              {176, 0}, {182, 0}, {184, 0}, {183, 0}, {161, 740}, {161, 353},
                              {178, 256}, {161, 705}, {177, 0}, {160, 272}, {160, 402}, {160, 434},
                              {160, 432}}));
    const std::vector<Write> writes = writesIn(log);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.front(), Write(272, 1));
    EXPECT_EQ(writes.back(), Write(432, 9));
    const auto at = [&](const Write& w) { return std::find(writes.begin(), writes.end(), w) - writes.begin(); };
    EXPECT_LT(at({402, 3}), at({434, 0}));
    EXPECT_LT(at({434, 0}), at({432, 9}));
    EXPECT_EQ(std::count(writes.begin(), writes.end(), Write(159, 2)), 0);

    auto device = sdkManager().find(0);
    ASSERT_NE(device, nullptr);
    const SensorController& controller = device->controller;
    EXPECT_FALSE(controller.ownConnection);
    EXPECT_EQ(controller.points, 4096);
    EXPECT_EQ(lastPoints.load(), 4096);
    EXPECT_NE(controller.processor, nullptr);
    EXPECT_DOUBLE_EQ(controller.scaleHigh, 4.9);  // register 134 is 0x1a
    EXPECT_EQ(device->controller.settings().get_sdk_extend()->model_type, 10);
    EXPECT_EQ(controller.laserParams.z_range_reference, 50000);
    EXPECT_TRUE(sensor.dataChannel(0)->waitForConnection(1, 2000));
    EXPECT_THAT(runInfoText(),
                ::testing::HasSubstr("sensor[0]: ip " + sensor.address(0) + ", sdk 1.6.31, firmware 1a.3.7"));

    EXPECT_EQ(HVQ5_CommunicationClose(0), 0);
    EXPECT_EQ(sdkManager().find(0), nullptr);
    EXPECT_TRUE(sensor.dataChannel(0)->waitForDisconnect(2000));
}

TEST_F(OpenE2E, AnOpenIdIsNotOpenedAgainAndNothingIsSent) {
    SimModelSensors sensor(testAddress());
    ASSERT_TRUE(sensor.start());
    HVQ5_NET_ADDRESS address = netAddress(sensor.address(0));
    ASSERT_EQ(HVQ5_EthernetOpen(0, &address), 0);
    sensor.head(0).clearPacketLog();
    const size_t connections = sensor.head(0).acceptedConnections();

    EXPECT_EQ(HVQ5_EthernetOpen(0, &address), 4091);
    EXPECT_TRUE(sensor.head(0).packetLog().empty());
    EXPECT_EQ(sensor.head(0).acceptedConnections(), connections);
    EXPECT_NE(sdkManager().find(0), nullptr);
}

// The program's own connection: no load status is asked for, so a sensor
// reporting a bad one still opens.
TEST_F(OpenE2E, OwnConnectionSkipsTheLoadStatus) {
    OpenKnobs knobs;
    knobs.loadStatus = 1;
    SimModelSensors sensor(testAddress(), ModelPreset{}, knobs);
    ASSERT_TRUE(sensor.start());
    HVQ5_NET_ADDRESS address = netAddress(sensor.address(0), "QW");
    ASSERT_EQ(HVQ5_EthernetOpen(0, &address), 0);
    EXPECT_TRUE(sdkManager().find(0)->controller.ownConnection);
    EXPECT_EQ(readsOf(sensor.head(0).packetLog(), 705), 0u);
}

struct FailedOpen {
    const char* name;
    OpenKnobs knobs;
    int expected;
};
void PrintTo(const FailedOpen& c, std::ostream* os) { *os << c.name; }

OpenKnobs knobsWith(void (*change)(OpenKnobs&)) {
    OpenKnobs knobs;
    change(knobs);
    return knobs;
}

class OpenFailure : public OpenFixture, public ::testing::WithParamInterface<FailedOpen> {};

TEST_P(OpenFailure, ReportsTheStepAndFreesTheIdForAnotherOpen) {
    SimModelSensors sensor(testAddress(), ModelPreset{}, GetParam().knobs);
    ASSERT_TRUE(sensor.start());
    HVQ5_NET_ADDRESS address = netAddress(sensor.address(0));
    EXPECT_EQ(HVQ5_EthernetOpen(0, &address), GetParam().expected);
    EXPECT_EQ(sdkManager().find(0), nullptr);
    EXPECT_EQ(runInfoText(), "");

    sensor.stop();
    sensor.applyKnobs(OpenKnobs{});
    ASSERT_TRUE(sensor.start());
    EXPECT_EQ(HVQ5_EthernetOpen(0, &address), 0);
    EXPECT_NE(sdkManager().find(0), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, OpenFailure,
    ::testing::Values(
        FailedOpen{"HeadRecordWithoutTag", knobsWith([](OpenKnobs& k) { k.missingHeadTag = true; }), 4096},
        // The sensor falls silent one byte short of the table (a 2 s wait).
        FailedOpen{"CalibrationStreamShort",
                   knobsWith([](OpenKnobs& k) { k.calibrationBytes = 0x28000 - 1; }), 5002},
        FailedOpen{"DataPortRefused", knobsWith([](OpenKnobs& k) { k.refuseDataChannel = true; }), 4096},
        FailedOpen{"BadLoadStatus", knobsWith([](OpenKnobs& k) { k.loadStatus = 2; }), 3090},
        FailedOpen{"FirmwareWordRejected", knobsWith([](OpenKnobs& k) { k.rejectedRegisters = {134}; }), 4099},
        FailedOpen{"StartupWriteRejected", knobsWith([](OpenKnobs& k) { k.rejectedRegisters = {402}; }), 4099}),
    [](const ::testing::TestParamInfo<FailedOpen>& info) { return std::string(info.param.name); });

TEST_F(OpenE2E, TwoHeadSensorOccupiesTwoIdsOnConsecutiveThirdOctets) {
    SimModelSensors sensor(testAddress(), modelPreset("ZP5160D"));
    ASSERT_TRUE(sensor.start());
    const HVQ5_NET_ADDRESS first = netAddress(sensor.address(0));
    ASSERT_EQ(HVQ5_2_EthernetOpen(3, first.ip), 0);
    ASSERT_NE(sdkManager().find(3), nullptr);
    ASSERT_NE(sdkManager().find(4), nullptr);
    EXPECT_EQ(sdkManager().find(3)->controller.addressText, sensor.address(0));
    EXPECT_EQ(sdkManager().find(4)->controller.addressText, sensor.address(1));
    EXPECT_EQ(sdkManager().find(5), nullptr);
    for (int head = 0; head < 2; ++head) {
        const std::vector<Write> writes = writesIn(sensor.head(head).packetLog());
        ASSERT_FALSE(writes.empty());
        EXPECT_EQ(writes.back(), Write(159, 2)) << head;  // after register 432 = 9
    }

    // Closing the second head's id closes the id after it too: not open, 4097.
    EXPECT_EQ(HVQ5_CommunicationClose(4), 4097);
    EXPECT_EQ(sdkManager().find(4), nullptr);
    EXPECT_NE(sdkManager().find(3), nullptr);
    HVQ5_Finalize();

    ASSERT_EQ(HVQ5_2_EthernetOpen(3, first.ip), 0);
    EXPECT_EQ(HVQ5_2_CommClose(3), 0);
    EXPECT_EQ(sdkManager().find(3), nullptr);
    EXPECT_EQ(sdkManager().find(4), nullptr);
}

TEST_F(OpenE2E, FourHeadSensorOccupiesFourIdsOnConsecutiveFourthOctets) {
    SimModelSensors sensor(testAddress(), modelPreset("ZP5160F"));
    ASSERT_TRUE(sensor.start());
    const HVQ5_NET_ADDRESS first = netAddress(sensor.address(0));
    ASSERT_EQ(HVQ5_2_EthernetOpen(0, first.ip), 0);
    for (int head = 0; head < 4; ++head) {
        auto device = sdkManager().find(head);
        ASSERT_NE(device, nullptr) << head;
        EXPECT_EQ(device->controller.addressText, sensor.address(head));
    }
    EXPECT_EQ(sdkManager().open_count(), 4);
    EXPECT_EQ(HVQ5_CommunicationClose(0), 0);
    EXPECT_EQ(sdkManager().open_count(), 0);
}

TEST_F(OpenE2E, SingleHeadModelOpensExactlyOneId) {
    SimModelSensors sensor(testAddress(), modelPreset("ZP5040"));
    ASSERT_TRUE(sensor.start());
    const HVQ5_NET_ADDRESS first = netAddress(sensor.address(0));
    ASSERT_EQ(HVQ5_2_EthernetOpen(0, first.ip), 0);
    EXPECT_EQ(sdkManager().open_count(), 1);
    EXPECT_EQ(writesIn(sensor.head(0).packetLog()).back(), Write(432, 12));
}

// A failed open of a two-head model closes only the id it opened, not the id
// after it, which another sensor holds.
TEST_F(OpenE2E, FailedOpenLeavesTheNextIdToItsOwner) {
    SimModelSensors neighbour(testAddress(kAddressArea + 1));
    ASSERT_TRUE(neighbour.start());
    HVQ5_NET_ADDRESS neighbourAddress = netAddress(neighbour.address(0));
    ASSERT_EQ(HVQ5_EthernetOpen(1, &neighbourAddress), 0);

    OpenKnobs knobs;
    knobs.loadStatus = 2;  // fails after the model text is known
    SimModelSensors failing(testAddress(), modelPreset("ZP5160D"), knobs);
    ASSERT_TRUE(failing.start());
    HVQ5_NET_ADDRESS failingAddress = netAddress(failing.address(0));
    EXPECT_EQ(HVQ5_EthernetOpen(0, &failingAddress), 3090);
    EXPECT_EQ(sdkManager().find(0), nullptr);
    EXPECT_NE(sdkManager().find(1), nullptr);
}

// The address change connects and reads the head information only for heads
// whose firmware word says they have it.
TEST_F(OpenE2E, AddressChangeReadsTheHeadInformationOfNewerHeads) {
    struct Case {
        uint32_t firmware166;
        size_t headRecordReads;
    };
    for (const Case& c : {Case{0x7, 0}, Case{0x331, 1}, Case{0x4000, 1}}) {
        ModelPreset preset;
        preset.firmware166 = c.firmware166;
        SimModelSensors sensor(testAddress(), preset);
        ASSERT_TRUE(sensor.start());
        const HVQ5_NET_ADDRESS address = netAddress(sensor.address(0));
        ASSERT_EQ(hvq5_change_address(2, &address), 0);
        EXPECT_EQ(hvq5_change_address(2, &address), 4091);
        size_t headRecords = 0;
        for (const auto& packet : sensor.head(0).packetLog()) headRecords += packet.opcode == 176 ? 1 : 0;
        EXPECT_EQ(headRecords, c.headRecordReads) << c.firmware166;
        EXPECT_EQ(sdkManager().find(2)->controller.points, c.headRecordReads != 0 ? 4096 : 0);
        HVQ5_Finalize();
    }
}

}  // namespace
}  // namespace open_test
