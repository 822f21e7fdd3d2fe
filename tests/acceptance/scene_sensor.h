#pragma once
// A simulated sensor set up like a real head (the simulator's healthy
// defaults, x window over the streamed columns), opened through the exported
// functions only, and the heights its scene must give.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "sensor_interface/registry/hvq5_api.h"
#include "tests/support/loopback_address.h"
#include "tests/support/temp_dir.h"
#include "tools/sensor_sim/batch_stream.h"
#include "tools/sensor_sim/sim_models.h"

namespace acceptance {

constexpr int32_t kInvalidRow = -999900000;

// The streamed part of the camera: 200 columns from column 924, so that the
// scene's step (half-way along the frame) sits at the optical centre.
struct SceneWindow {
    uint16_t points = 200;
    uint16_t firstColumn = 924;
};

// What the simulator's default series-'5' head gives. A 16-bit word of 32768
// is the reference distance (height 0); the scene's step of 1024 codes is a
// height of 1024 with the default code resolution (register 353) of 65536,
// well inside the default height bounds of -30000 to +30000.
constexpr uint32_t kXPitch = 1000;  // register 285, 0.00001 mm: two points per column of 20 um
constexpr int32_t kStepHeight = 1024;

// The scene's heights x 100 as the batch rows of a series-'5' head (two
// points per column) must carry them. Grid point i lies at column i / 2 of
// the frame, shifted by a quarter column towards the frame's start when the
// frame is narrower than the camera; it shows the nearest column with a peak
// within half a column (the left one on a tie). The 8 guard columns at each
// end and every 97th column (no peak) are invalid, columns from the middle
// on carry the step.
inline std::vector<int32_t> sceneRow(const SceneWindow& window = {}) {
    constexpr int kCameraColumns = 2048;
    const int columns = window.points;
    const bool shifted = columns < kCameraColumns;
    auto hasPeak = [](int column) { return column % 97 != 96; };
    auto height = [columns](int column) { return column >= columns / 2 ? kStepHeight * 100 : 0; };
    std::vector<int32_t> row(static_cast<size_t>(columns) * 2, kInvalidRow);
    for (int i = shifted ? 17 : 16; i <= 2 * columns - 18; ++i) {
        const int column = i / 2;
        const bool tie = !shifted && i % 2 == 1;
        if (hasPeak(column))
            row[static_cast<size_t>(i)] = height(column);
        else if (tie && hasPeak(column + 1))
            row[static_cast<size_t>(i)] = height(column + 1);
    }
    return row;
}

// The test's own loopback address, with room above its third and fourth
// octets for the further heads of two- and four-head sensors.
inline std::string testAddress(int area) {
    int a = 0, b = 0, c = 0, d = 0;
    std::sscanf(mirevo::test::loopbackAddressForTest(area).c_str(), "%d.%d.%d.%d", &a, &b, &c, &d);
    c = 1 + c % 250;
    d = 1 + d % 250;  // room for the further heads of a four-head sensor
    return std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c) + "." + std::to_string(d);
}

inline HVQ5_NET_ADDRESS netAddress(const std::string& text, char tag0 = 0, char tag1 = 0) {
    int a = 0, b = 0, c = 0, d = 0;
    std::sscanf(text.c_str(), "%d.%d.%d.%d", &a, &b, &c, &d);
    return HVQ5_NET_ADDRESS{{uint8_t(a), uint8_t(b), uint8_t(c), uint8_t(d)}, 7, {tag0, tag1}};
}

inline sensor_sim::ModelPreset scenePreset(const std::string& model) {
    sensor_sim::ModelPreset preset;
    preset.model = model;
    return preset;
}

// What the head holds before it is opened beyond the simulator's defaults:
// the X window over the streamed columns and the batch length.
inline void presetSceneRegisters(sensor_sim::SimSensor& head, int batchLength, const SceneWindow& window = {}) {
    head.setReg(358, window.points);
    head.setReg(359, window.firstColumn);
    head.setReg(138, static_cast<uint32_t>(batchLength));
}

inline sensor_sim::BatchPlan scenePlan(int framesPerBatch, uint32_t batchNumber, const SceneWindow& window = {}) {
    sensor_sim::BatchPlan plan;
    plan.info.framesPerBatch = static_cast<uint16_t>(framesPerBatch);
    plan.info.xPitch = 1000;
    plan.info.intensity = true;
    plan.info.points = window.points;
    plan.info.firstColumn = window.firstColumn;
    plan.firstBatchNumber = batchNumber;
    return plan;
}

// Every test runs in a fresh working folder with its own per-device settings
// folder and a quiet run log, and leaves the registry empty.
class InterfaceTest : public ::testing::Test {
protected:
    void SetUp() override { HVQ5_Finalize(); }
    void TearDown() override { HVQ5_Finalize(); }

    mirevo::test::TempDir work_;
    mirevo::test::ScopedWorkingDir inWork_{work_.path()};
    mirevo::test::TempDir public_;
    mirevo::test::ScopedEnv publicEnv_{"PUBLIC", public_.path().string()};
    mirevo::test::ScopedEnv configEnv_{"XDG_CONFIG_HOME", public_.path().string()};
};

// A simulated sensor of a model, every head preset with the scene and
// streaming it when measuring starts.
class SceneSensors {
public:
    SceneSensors(const std::string& firstAddress, const std::string& model, int batchLength,
                 sensor_sim::OpenKnobs knobs = {}, SceneWindow window = {})
        : sensors_(firstAddress, scenePreset(model), knobs), batchLength_(batchLength), window_(window) {}
    ~SceneSensors() { stop(); }

    bool start() {
        if (!sensors_.start()) return false;
        for (int i = 0; i < sensors_.headCount(); ++i) {
            presetSceneRegisters(sensors_.head(i), batchLength_, window_);
            if (!sensors_.dataChannel(i)) continue;
            // The data channel belongs to the simulated heads, which outlive the streamers.
            std::shared_ptr<sensor_sim::DataChannelService> channel(sensors_.dataChannel(i),
                                                                    [](sensor_sim::DataChannelService*) {});
            auto streamer = std::make_shared<sensor_sim::BatchStreamer>(channel);
            streamer->setPlan(scenePlan(batchLength_, 1, window_));
            if (!streamer->start(sensors_.head(i))) return false;
            streamers_.push_back(streamer);
        }
        return true;
    }

    void stop() {
        for (auto& streamer : streamers_) streamer->stop();
        streamers_.clear();
        sensors_.stop();
    }

    sensor_sim::SimModelSensors& heads() { return sensors_; }
    sensor_sim::SimSensor& head(int index) { return sensors_.head(index); }
    sensor_sim::BatchStreamer& streamer(int index) { return *streamers_.at(index); }
    sensor_sim::DataChannelService& dataChannel(int index) { return *sensors_.dataChannel(index); }
    const std::string& address(int index) const { return sensors_.address(index); }

private:
    sensor_sim::SimModelSensors sensors_;
    int batchLength_;
    SceneWindow window_;
    std::vector<std::shared_ptr<sensor_sim::BatchStreamer>> streamers_;
};

}  // namespace acceptance
