#pragma once
// Heads opened in a registry against simulated sensors, set up like the scene
// of the processor tests (a plane with a step, some invalid points), with a
// recorder of what batch handlers receive.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sensor_interface/data_channel/batch_records.h"
#include "sensor_interface/processing/model_geometry.h"
#include "sensor_interface/processing/profile_processor.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"
#include "tests/processor/frame_scene.h"
#include "tests/support/temp_dir.h"
#include "tests/support/waitable_list.h"
#include "tests/support/watchdog.h"
#include "tools/sensor_sim/batch_stream.h"

namespace handlers_test {

constexpr int32_t kInvalidRow = -999900000;

// What a batch handler saw, copied during the call.
struct Delivery {
    HVQ5_2_STR_CALLBACK_INFO info{};
    _HVQ5_2_Data data{};
    std::vector<int32_t> profile;
    std::vector<uint8_t> intensity;
};

using DeliveryLog = mirevo::test::WaitableList<Delivery>;

// The scene's registers, processor and calibration on an open id's device.
inline void prepareHead(tandrel_zp_clients& device, const char* model) {
    SensorController& controller = device.controller;
    processor_test::configure_scene(controller.settings(), controller.laserParams);
    std::memset(controller.laserParams.model, 0, sizeof controller.laserParams.model);
    std::strncpy(controller.laserParams.model, model, sizeof controller.laserParams.model - 1);
    controller.rows = processor_test::kCameraRows;
    controller.processor =
        std::make_shared<ProfileProcessor>(processor_test::kColumns, processor_test::kColumns, 1.0);
    controller.processor->bind(&controller.settings(), &controller.laserParams);
    controller.processor->setCalibration(processor_test::linear_calibration());
}

// A batch of the scene: every column of the camera, 16-bit values, intensity bytes.
inline sensor_sim::BatchPlan scenePlan(int frames, uint32_t batchNumber = 1, int points = processor_test::kColumns) {
    sensor_sim::BatchPlan plan;
    plan.info.framesPerBatch = static_cast<uint16_t>(frames);
    plan.info.xPitch = 2000;
    plan.info.intensity = true;
    plan.info.points = static_cast<uint16_t>(points);
    plan.firstBatchNumber = batchNumber;
    return plan;
}

using mirevo::test::withinWatchdog;

// Every test runs in a fresh folder with the scene's points per column.
class HandlersTest : public ::testing::Test {
protected:
    HandlersTest() : savedPointsPerColumn_(lastPointsPerColumn.load()) { lastPointsPerColumn = 1.0; }
    ~HandlersTest() override { lastPointsPerColumn = savedPointsPerColumn_; }

    mirevo::test::TempDir folder_;
    mirevo::test::ScopedWorkingDir inFolder_{folder_.path()};

private:
    double savedPointsPerColumn_;
};

}  // namespace handlers_test
