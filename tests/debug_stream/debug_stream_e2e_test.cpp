// The DEBUG request against the simulated sensor over real loopback sockets.
#include "sensor_interface/command/debug_profile.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/registry/hvq5_rc.h"
#include "tools/sensor_sim/debug_stream_encoder.h"
#include "tools/sensor_sim/debug_stream_service.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Every test of this program gets its own 127.83.0.x address.
class DebugRequest : public ::testing::Test {
protected:
    void start(int host) {
        sensor_sim::SimOptions options;
        options.address = "127.83.0." + std::to_string(host);
        sim = std::make_unique<sensor_sim::SimSensor>(options);
        sensor_sim::installDebugStream(*sim, [this](sensor_sim::SimSensor&) {
            std::lock_guard<std::mutex> lock(streamMutex);
            return stream;
        });
        ASSERT_TRUE(sim->start()) << options.address;
        ASSERT_TRUE(controller.connect(0, options.address, options.commandPort));
        sim->clearPacketLog();
    }

    void setStream(Bytes bytes) {
        std::lock_guard<std::mutex> lock(streamMutex);
        stream = std::move(bytes);
    }

    std::mutex streamMutex;
    Bytes stream;
    std::unique_ptr<sensor_sim::SimSensor> sim;
    SensorController controller;
};

TEST_F(DebugRequest, SwitchesTheDebugModeAndReceivesTheWholeStream) {
    start(1);
    sensor_sim::DebugInfoRecord info;
    info.imageRows = 8;
    info.flags[1] = 1;
    const Bytes expected = sensor_sim::DebugStreamEncoder()
                               .info(info)
                               .image(Bytes(8 * 2048, 3))
                               .profile(std::vector<uint32_t>(2048, 65536 * 5), true)
                               .finish();
    setStream(expected);

    Bytes received;
    ASSERT_EQ(request_debug_stream(controller, received), HVQ5_RC_OK);
    EXPECT_EQ(received, expected);

    const auto log = sim->packetLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].opcode, 160);
    EXPECT_EQ(log[0].address, 2u);
    EXPECT_EQ(log[0].value, 1u);
    EXPECT_EQ(log[1].opcode, 161);
    EXPECT_EQ(log[1].address, 319u);
    EXPECT_EQ(log[1].value, 1u);
    EXPECT_EQ(sim->reg(2), 1u);

    // Other reads are still answered by the register store.
    sim->setReg(300, 42);
    uint32_t value = 0;
    EXPECT_EQ(controller.readRegister(300, value, 0), HVQ5_RC_OK);
    EXPECT_EQ(value, 42u);
}

TEST_F(DebugRequest, DisabledStreamSendsNothing) {
    start(2);
    setStream(sensor_sim::DebugStreamEncoder().finish());
    controller.debugStreamEnabled = false;
    Bytes received{1, 2, 3};
    EXPECT_EQ(request_debug_stream(controller, received), HVQ5_RC_NOT_ALLOWED);
    EXPECT_TRUE(received.empty());
    EXPECT_TRUE(sim->packetLog().empty());
}

TEST_F(DebugRequest, StreamWithoutItsEndTimesOut) {
    start(3);
    setStream(sensor_sim::DebugStreamEncoder().info({}).bytes());
    controller.timeoutMs = 300;
    Bytes received;
    EXPECT_EQ(request_debug_stream(controller, received), HVQ5_RC_TIMEOUT);
}

}  // namespace
