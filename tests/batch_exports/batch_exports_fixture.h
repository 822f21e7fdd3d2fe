#pragma once
// Sensors for the batch exports, each on a loopback address of its own test:
// a simulated sensor with its batch memory, connected under an id of the
// registry with a profile processor whose heights are easy to predict; and a
// simulated sensor opened by the open export whose data channel streams
// batches of the scene when register 141 is written.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sensor_interface/data_channel/batch_buffers.h"
#include "sensor_interface/processing/profile_processor.h"
#include "sensor_interface/registry/batch_exports.h"
#include "sensor_interface/registry/hvq5_api.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"
#include "tests/support/loopback_address.h"
#include "tests/support/temp_dir.h"
#include "tools/sensor_sim/batch_stream.h"
#include "tools/sensor_sim/sim_batch_memory.h"
#include "tools/sensor_sim/sim_models.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace batch_exports_test {

constexpr int kAddressArea = 116;
constexpr uint8_t kWriteOpcode = 160;
constexpr uint8_t kReadOpcode = 161;

// Heights are reference - distance; a 32-bit word of 2^31 + 256 h is height h.
constexpr double kReference = 100000.0;
constexpr int kColumns = 2048;
constexpr int kPoints = 3200;
constexpr double kPointsPerColumn = 1.5625;

inline uint32_t wordOfHeight(int height) { return 0x80000000u + 256u * static_cast<uint32_t>(height); }

class TestFolders {
protected:
    mirevo::test::TempDir publicFolder;
    mirevo::test::ScopedEnv publicEnv{"PUBLIC", publicFolder.path().string()};
    mirevo::test::TempDir work;
    mirevo::test::ScopedWorkingDir workingDir{work.path()};
};

// A sensor with batch memory, connected as id kId; batch mode on in the image.
class BatchMemorySensor : public ::testing::Test, protected TestFolders {
protected:
    static constexpr int kId = 0;

    void SetUp() override {
        HVQ5_Finalize();
        sensor_sim::SimOptions options;
        options.address = mirevo::test::loopbackAddressForTest(kAddressArea);
        sim = std::make_unique<sensor_sim::SimSensor>(options);
        memory = sensor_sim::installBatchMemory(*sim);
        ASSERT_TRUE(sim->start()) << options.address;
        ASSERT_TRUE(sdkManager().connect(kId, options.address.c_str(), options.commandPort));
        device = sdkManager().find(kId);
        ASSERT_NE(device, nullptr);
        configureHead(device->controller);
        sim->clearPacketLog();
    }

    void TearDown() override {
        device.reset();
        HVQ5_Finalize();
    }

    // A series '4' head whose 32-bit words carry the height directly.
    static void configureHead(SensorController& c) {
        std::memcpy(c.laserParams.model, "ZP4100", 7);
        c.columns = kColumns;
        c.rows = 608;
        c.points = kPoints;
        c.pointsPerColumn = kPointsPerColumn;
        const double xScale = kPointsPerColumn;
        std::memcpy(c.laserParams.optics_body + 16, &xScale, sizeof xScale);
        c.laserParams.z_range_reference = static_cast<int32_t>(kReference);
        c.laserParams.z_range_lower = -1000000;
        c.laserParams.z_range_upper = 1000000;
        hvq5_settings& image = c.settings();
        image.set_regvals(149, 1);
        image.set_regvals(285, 100);
        image.set_regvals(350, static_cast<uint32_t>(kReference * 256));
        c.processor = std::make_shared<ProfileProcessor>(kColumns, kPoints, kPointsPerColumn);
        c.processor->bind(&c.settings(), &c.laserParams);
        CalibrationTable table(kColumns, std::vector<double>(10, 0.0));
        for (auto& column : table) column[8] = 256.0;
        c.processor->setCalibration(table);
    }

    // A block of `frames` frames of 64 points from column 992; frame i is a
    // plane of height 10 (i + 1), with intensity bytes i.
    static sensor_sim::SimBatchBlock block(uint32_t index, int frames) {
        sensor_sim::SimBatchBlock b;
        b.blockIndex = index;
        b.batchFrames = static_cast<uint16_t>(frames);
        b.complete = true;
        b.intensity = true;
        b.wideValues = true;
        b.pointsPerFrame = 64;
        b.firstColumn = 992;
        for (int i = 0; i < frames; ++i) {
            sensor_sim::SimBatchFrame f;
            f.batchNumber = 40 + static_cast<uint32_t>(i);
            f.encoder = 1000 + 10 * static_cast<uint32_t>(i);
            f.timeStamp = 0x100000000ull + static_cast<uint64_t>(i);
            f.intensity.assign(64, static_cast<uint8_t>(i));
            f.values.assign(64, wordOfHeight(10 * (i + 1)));
            b.frames.push_back(f);
        }
        return b;
    }

    std::vector<sensor_sim::LoggedPacket> commandPackets() const { return sim->packetLog(); }

    std::unique_ptr<sensor_sim::SimSensor> sim;
    std::shared_ptr<sensor_sim::SimBatchMemory> memory;
    std::shared_ptr<tandrel_zp_clients> device;
};

// The test's own address, with room above its third octet for a second head.
inline std::string headAddress() {
    int a = 0, b = 0, c = 0, d = 0;
    std::sscanf(mirevo::test::loopbackAddressForTest(kAddressArea).c_str(), "%d.%d.%d.%d", &a, &b, &c, &d);
    c = 1 + c % 250;
    return std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c) + "." + std::to_string(d);
}

inline HVQ5_NET_ADDRESS netAddress(const std::string& text) {
    int a = 0, b = 0, c = 0, d = 0;
    std::sscanf(text.c_str(), "%d.%d.%d.%d", &a, &b, &c, &d);
    return HVQ5_NET_ADDRESS{{uint8_t(a), uint8_t(b), uint8_t(c), uint8_t(d)}, 7, {'Q', 'W'}};
}

// A sensor of the given model opened with HVQ5_EthernetOpen as id kId; its
// first head streams `plan` when register 141 is written.
class OpenedSensor : public ::testing::Test, protected TestFolders {
public:
    static constexpr int kId = 0;
    static constexpr uint16_t kScenePoints = 200;
    static constexpr uint16_t kSceneFirstColumn = 924;
    static constexpr uint32_t kCodeStep = 65536;  // register 353: one distance unit per 16-bit code

protected:
    void SetUp() override {
        HVQ5_Finalize();
        std::filesystem::create_directory(work.path() / "zpsdk");
    }

    void open(const std::string& model = "ZP5160") {
        // The preset's head measures the whole camera width with kCodeStep
        // (register 353) and two points per column.
        sensor_sim::ModelPreset preset;
        preset.model = model;
        ASSERT_EQ(preset.codeResolution353, kCodeStep);
        sensors = std::make_unique<sensor_sim::SimModelSensors>(headAddress(), preset);
        ASSERT_TRUE(sensors->start());
        // The data channel belongs to the simulated sensors, which outlive the streamer.
        std::shared_ptr<sensor_sim::DataChannelService> channel(sensors->dataChannel(0),
                                                                [](sensor_sim::DataChannelService*) {});
        streamer = std::make_shared<sensor_sim::BatchStreamer>(channel);
        ASSERT_TRUE(streamer->start(sensors->head(0)));
        HVQ5_NET_ADDRESS address = netAddress(sensors->address(0));
        ASSERT_EQ(HVQ5_EthernetOpen(kId, &address), 0);
        device = sdkManager().find(kId);
        ASSERT_NE(device, nullptr);
        ASSERT_TRUE(sensors->dataChannel(0)->waitForConnection(1, 5000));
    }

    void TearDown() override {
        if (streamer) streamer->stop();
        device.reset();
        HVQ5_Finalize();
        streamer.reset();
    }

    static sensor_sim::BatchPlan scenePlan(int framesPerBatch, int frames = -1) {
        sensor_sim::BatchPlan plan;
        plan.info.framesPerBatch = static_cast<uint16_t>(framesPerBatch);
        plan.info.xPitch = 2000;
        plan.info.intensity = true;
        plan.info.points = kScenePoints;
        plan.info.firstColumn = kSceneFirstColumn;
        plan.frames = frames;
        return plan;
    }

    // Waits until the batch end has been delivered.
    void waitForBatchEnd() {
        for (int i = 0; i < 500 && !(device->receiver.batchFinished() && device->receiver.framesReceived() > 0); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_TRUE(device->receiver.batchFinished());
    }

    std::unique_ptr<sensor_sim::SimModelSensors> sensors;
    std::shared_ptr<sensor_sim::BatchStreamer> streamer;
    std::shared_ptr<tandrel_zp_clients> device;
};

}  // namespace batch_exports_test
