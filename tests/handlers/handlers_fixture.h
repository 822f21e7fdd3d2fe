#pragma once
// Heads opened in a registry against simulated sensors, set up like the scene
// of the processor tests (a plane with a step, some invalid points), with a
// recorder of what batch handlers receive.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sensor_interface/data_channel/batch_records.h"
#include "sensor_interface/processing/model_geometry.h"
#include "sensor_interface/processing/profile_processor.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"
#include "tests/processor/frame_scene.h"
#include "tests/support/temp_dir.h"
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

class DeliveryLog {
public:
    // Notifies under the lock: a waiter may destroy the log as soon as it wakes.
    void add(Delivery delivery) {
        std::lock_guard<std::mutex> lock(mutex_);
        deliveries_.push_back(std::move(delivery));
        changed_.notify_all();
    }
    bool waitFor(size_t count, int timeoutMs = 10000) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return deliveries_.size() >= count; });
    }
    std::vector<Delivery> deliveries() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return deliveries_;
    }
    size_t size() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return deliveries_.size();
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        deliveries_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Delivery> deliveries_;
};

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

// Runs work on its own thread and ends the process when it does not finish in
// time: a hang must fail the test, not stall the suite.
inline void withinWatchdog(const char* what, const std::function<void()>& work, int timeoutMs = 30000) {
    std::packaged_task<void()> task(work);
    std::future<void> done = task.get_future();
    std::thread runner(std::move(task));
    if (done.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready) {
        std::fprintf(stderr, "hang: %s did not finish\n", what);
        std::fflush(stderr);
        std::_Exit(2);
    }
    runner.join();
    done.get();
}

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
