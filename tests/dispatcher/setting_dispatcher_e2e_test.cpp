// Settings read and written through the command channel against the simulated
// sensor over real loopback sockets.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/command/setting_transport_controller.h"
#include "sensor_interface/processing/profile_processor.h"
#include "sensor_interface/settings/setting_dispatcher.h"
#include "tests/support/simulated_sensor.h"
#include "tools/sensor_sim/sim_batch_memory.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace {

constexpr uint8_t kWrite = mirevo::test::kWriteOpcode;

class DispatcherOverCommandChannel : public mirevo::test::ConnectedSensorTest {
protected:
    DispatcherOverCommandChannel() : ConnectedSensorTest(71) {}

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ConnectedSensorTest::SetUp());
        controller.rows = 1024;
    }

    std::vector<std::pair<uint32_t, uint32_t>> writesSeen() {
        std::vector<std::pair<uint32_t, uint32_t>> writes;
        for (const auto& packet : sim->packetLog()) {
            if (packet.opcode == kWrite) writes.emplace_back(packet.address, packet.value);
        }
        return writes;
    }

    ControllerSettingTransport transport{controller};
    SettingDispatcher dispatcher{transport};
};

TEST_F(DispatcherOverCommandChannel, ReadsAskTheSensorAndFillTheImage) {
    sim->setReg(144, 200);
    sim->setReg(11, 256);
    int32_t rate = 0;
    EXPECT_EQ(dispatcher.getSetting(1, makeSettingAddress(16, 0, 2), &rate, 4), HVQ5_RC_OK);
    EXPECT_EQ(rate, 5000);
    int32_t range = 0;
    EXPECT_EQ(dispatcher.getSetting(1, makeSettingAddress(16, 1, 3), &range, 4), HVQ5_RC_OK);
    EXPECT_EQ(range, 2);
    EXPECT_EQ(controller.getVals(144), 200u);
}

TEST_F(DispatcherOverCommandChannel, ExposureIndexWritesTheSensorInOrder) {
    // Family '5', 1024 rows: a 50 us exposure allows 3968 lines per second.
    // A newer family-'5' head keeps its extended values in registers, so no
    // settings file is looked for.
    controller.settings().set_regvals(166, 842);
    zp_laser_reg::laser_params head = controller.settings().laser_params();
    std::memcpy(head.model, "ZP5160", 6);
    controller.settings().set_laser_params(head);
    sim->setReg(11, 1024);
    uint32_t rows = 0;
    ASSERT_EQ(controller.readRegister(11, rows, 10), HVQ5_RC_OK);
    sim->clearPacketLog();

    int32_t index = 3;
    EXPECT_EQ(dispatcher.setSetting(1, makeSettingAddress(16, 1, 6), &index, 4), HVQ5_RC_OK);
    const std::vector<std::pair<uint32_t, uint32_t>> expected = {
        {286, 3}, {162, 50}, {768, 252}, {144, 252}, {260, 0}};
    EXPECT_EQ(writesSeen(), expected);
    EXPECT_EQ(sim->reg(144), 252u);
    EXPECT_EQ(controller.getVals(162), 50u);
}

TEST_F(DispatcherOverCommandChannel, BatchModeAndStopFirst) {
    controller.measurementStarted = true;
    uint8_t on[4] = {1, 0, 0, 0};
    EXPECT_EQ(dispatcher.setSetting(1, makeSettingAddress(16, 0, 3), on, 4), HVQ5_RC_OK);
    const std::vector<std::pair<uint32_t, uint32_t>> expected = {
        {142, 1}, {208, 0}, {149, 1}, {159, 1}, {194, 1}};
    EXPECT_EQ(writesSeen(), expected);
    EXPECT_FALSE(controller.measurementStarted);
}

TEST_F(DispatcherOverCommandChannel, BatchBlockIsReadAndProcessed) {
    auto memory = sensor_sim::installBatchMemory(*sim);
    sensor_sim::SimBatchBlock block;
    block.blockIndex = 5;
    block.batchFrames = 2;
    block.complete = true;
    block.intensity = true;
    block.wideValues = false;
    block.pointsPerFrame = 64;
    block.firstColumn = 100;
    for (uint32_t i = 0; i < 2; ++i) {
        sensor_sim::SimBatchFrame frame;
        frame.batchNumber = 9;
        frame.encoder = 300 + i;
        frame.timeStamp = 7000 + i;
        frame.intensity.assign(64, 50);
        frame.values.assign(64, 0);
        block.frames.push_back(frame);
    }
    memory->queueBlock(block);

    controller.processor = std::make_shared<ProfileProcessor>(2048, 4096, 2.0);
    controller.processor->bind(&controller.settings(), &controller.laserParams);
    sim->setReg(149, 1);
    uint32_t batchMode = 0;
    ASSERT_EQ(controller.readRegister(149, batchMode, 10), HVQ5_RC_OK);

    std::vector<uint8_t> profiles, gray;
    std::vector<uint32_t> batchNumbers, encoders;
    std::vector<uint64_t> stamps;
    HVQ5_BATCH_PROFILE_INFO info{};
    HVQ5_BATCH_HEADER header{};
    ASSERT_EQ(dispatcher.readBatchBlock(profiles, gray, batchNumbers, encoders, stamps, &info, &header),
              HVQ5_RC_OK);
    EXPECT_EQ(header.blockIndex, 5u);
    EXPECT_EQ(header.frameCount, 2u);
    EXPECT_EQ(info.startPosition, 200u);
    EXPECT_EQ(encoders, (std::vector<uint32_t>{300, 301}));
    EXPECT_EQ(stamps, (std::vector<uint64_t>{7000, 7001}));
    ASSERT_GT(info.pointCount, 0);
    EXPECT_EQ(profiles.size(), 2u * 4u * static_cast<size_t>(info.pointCount));
    EXPECT_EQ(gray.size(), 2u * static_cast<size_t>(info.pointCount));
}

}  // namespace
