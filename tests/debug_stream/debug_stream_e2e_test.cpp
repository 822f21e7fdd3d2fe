// The DEBUG request against the simulated sensor over real loopback sockets.
#include "sensor_interface/command/debug_profile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/processing/profile_processor.h"
#include "sensor_interface/registry/hvq5_rc.h"
#include "tests/support/scene_head.h"
#include "tests/support/simulated_sensor.h"
#include "tools/sensor_sim/debug_stream_encoder.h"
#include "tools/sensor_sim/debug_stream_service.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace {

using Bytes = std::vector<uint8_t>;

class DebugRequest : public mirevo::test::ConnectedSensorTest {
protected:
    DebugRequest() : ConnectedSensorTest(83) {}

    void installServices(sensor_sim::SimSensor& sensor) override {
        sensor_sim::installDebugStream(sensor, [this](sensor_sim::SimSensor&) {
            std::lock_guard<std::mutex> lock(streamMutex);
            return stream;
        });
    }
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ConnectedSensorTest::SetUp());
        sim->clearPacketLog();
    }
    // The simulator's answers read the stream below: it stops before the stream goes.
    void TearDown() override {
        if (sim) sim->stop();
    }

    void setStream(Bytes bytes) {
        std::lock_guard<std::mutex> lock(streamMutex);
        stream = std::move(bytes);
    }

    std::mutex streamMutex;
    Bytes stream;
};

TEST_F(DebugRequest, SwitchesTheDebugModeAndReceivesTheWholeStream) {
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
    setStream(sensor_sim::DebugStreamEncoder().finish());
    controller.debugStreamEnabled = false;
    Bytes received{1, 2, 3};
    EXPECT_EQ(request_debug_stream(controller, received), HVQ5_RC_NOT_ALLOWED);
    EXPECT_TRUE(received.empty());
    EXPECT_TRUE(sim->packetLog().empty());
}

TEST_F(DebugRequest, StreamWithoutItsEndTimesOut) {
    setStream(sensor_sim::DebugStreamEncoder().info({}).bytes());
    controller.timeoutMs = 300;
    Bytes received;
    EXPECT_EQ(request_debug_stream(controller, received), HVQ5_RC_TIMEOUT);
}


TEST_F(DebugRequest, RawImageGivesRowsImageAndPeakRows) {
    ASSERT_NO_FATAL_FAILURE(mirevo::test::openSceneHead(controller, '4', 608, 3200, 1.5625));
    setStream(sensor_sim::sceneDebugStream(608));

    Bytes image(608 * 2048, 0);
    std::vector<int32_t> peaks(2048, 7);
    int32_t rows = 0;
    ASSERT_EQ(controller.readDebugImage(image.data(), image.size(), peaks.data(), 2048, &rows), HVQ5_RC_OK);
    EXPECT_EQ(rows, 608);
    EXPECT_EQ(image[304 * 2048], 220);
    EXPECT_EQ(image[264 * 2048 + 1024], 220);
    EXPECT_EQ(peaks[0], 30425);
    EXPECT_EQ(peaks[100], -100);
    EXPECT_EQ(peaks[103], -100);
    EXPECT_EQ(peaks[1024], 26425);
    EXPECT_EQ(peaks[2047], 30425);
}

TEST_F(DebugRequest, RawImageLargerThanTheBufferWritesNothing) {
    ASSERT_NO_FATAL_FAILURE(mirevo::test::openSceneHead(controller, '4', 608, 3200, 1.5625));
    setStream(sensor_sim::sceneDebugStream(608));
    Bytes image(100 * 2048, 1);
    std::vector<int32_t> peaks(2048, 7);
    int32_t rows = -5;
    EXPECT_EQ(controller.readDebugImage(image.data(), image.size(), peaks.data(), 2048, &rows),
              HVQ5_RC_IMAGE_TOO_LARGE);
    EXPECT_EQ(rows, -5);
    EXPECT_EQ(image[0], 1);
    EXPECT_EQ(peaks[0], 7);
}

TEST_F(DebugRequest, PeakCountIsLimitedToTheRecord) {
    ASSERT_NO_FATAL_FAILURE(mirevo::test::openSceneHead(controller, '4', 608, 3200, 1.5625));
    setStream(sensor_sim::sceneDebugStream(608));
    Bytes image(608 * 2048);
    std::vector<int32_t> peaks(3000, 7);
    int32_t rows = 0;
    ASSERT_EQ(controller.readDebugImage(image.data(), image.size(), peaks.data(), 3000, &rows), HVQ5_RC_OK);
    EXPECT_EQ(peaks[2047], 30425);
    EXPECT_EQ(peaks[2048], 7);
}

TEST_F(DebugRequest, LiveProfileKeepsTheXWindow) {
    ASSERT_NO_FATAL_FAILURE(mirevo::test::openSceneHead(controller, '4', 608, 3200, 1.5625));
    controller.settings().set_regvals(359, 100);
    controller.settings().set_regvals(358, 1000);
    setStream(sensor_sim::sceneDebugStream(608));

    std::vector<int32_t> profile(3200, 7);
    Bytes intensity(2048, 1);
    ASSERT_EQ(controller.readDebugProfile(profile.data(), intensity.data(), 3200), HVQ5_RC_OK);
    std::vector<int32_t> heights(3200);
    controller.processor->heightsInt(heights.data(), 3200);
    // start trunc(100 x 1.5625) = 156, end trunc(1000 x 1.5625 + 156 - 1) = 1717
    EXPECT_EQ(profile[155], -999900000);
    EXPECT_EQ(profile[156], heights[156]);
    EXPECT_EQ(profile[156], heights[156]);
    EXPECT_EQ(profile[1717], heights[1717]);
    EXPECT_EQ(profile[1718], -999900000);
    EXPECT_EQ(intensity[0], 220);
    EXPECT_EQ(intensity[100], 0);
}

TEST_F(DebugRequest, LiveProfileNeedsRoomForEveryPoint) {
    ASSERT_NO_FATAL_FAILURE(mirevo::test::openSceneHead(controller, '4', 608, 3200, 1.5625));
    setStream(sensor_sim::sceneDebugStream(608));
    std::vector<int32_t> profile(3199, 7);
    EXPECT_EQ(controller.readDebugProfile(profile.data(), nullptr, 3199), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_TRUE(sim->packetLog().empty());
}

TEST_F(DebugRequest, LiveProfileOfSixteenBitDistanceWords) {
    ASSERT_NO_FATAL_FAILURE(mirevo::test::openSceneHead(controller, '5', 1024, 4096, 2.0));
    controller.settings().set_regvals(359, 0);
    controller.settings().set_regvals(358, 2048);
    controller.settings().set_regvals(350, 50000 * 256);  // distance of word 32768
    controller.settings().set_regvals(353, 256);
    setStream(sensor_sim::DebugStreamEncoder()
                  .info({})
                  .profile(std::vector<uint32_t>(2048, 32768), false)
                  .finish());
    std::vector<int32_t> profile(4096, 7);
    ASSERT_EQ(controller.readDebugProfile(profile.data(), nullptr, 4096), HVQ5_RC_OK);
    std::vector<int32_t> heights(4096);
    controller.processor->heightsInt(heights.data(), 4096);
    EXPECT_EQ(profile, heights);  // the window covers the whole profile
    EXPECT_EQ(profile[2048], 5000000);  // height 100000 - 50000, x100
}

TEST_F(DebugRequest, StreamWithoutProfileWritesNothing) {
    ASSERT_NO_FATAL_FAILURE(mirevo::test::openSceneHead(controller, '4', 608, 3200, 1.5625));
    setStream(sensor_sim::DebugStreamEncoder().finish());
    std::vector<int32_t> profile(3200, 7);
    EXPECT_EQ(controller.readDebugProfile(profile.data(), nullptr, 3200), HVQ5_RC_OK);
    EXPECT_EQ(profile[0], 7);
    EXPECT_EQ(profile[3199], 7);
}

}  // namespace
