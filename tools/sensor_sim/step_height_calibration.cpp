#include "tools/sensor_sim/step_height_calibration.h"

#include <chrono>
#include <cstring>

#include "tools/sensor_sim/sim_sensor.h"

namespace sensor_sim {

namespace {

uint32_t floatBits(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

}  // namespace

StepHeightCalibration::StepHeightCalibration(StepHeightCalibrationResult result) : result_(result) {}

StepHeightCalibration::~StepHeightCalibration() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    std::lock_guard<std::mutex> starting(startMutex_);
    if (worker_.joinable()) worker_.join();
}

void StepHeightCalibration::install(SimSensor& sensor) {
    sensor.onRegisterWritten([this, &sensor](uint32_t address, uint32_t value) {
        if (address == kStartRegister && value == 1) start(sensor);
    });
}

void StepHeightCalibration::setResult(const StepHeightCalibrationResult& result) {
    std::lock_guard<std::mutex> lock(mutex_);
    result_ = result;
}

void StepHeightCalibration::start(SimSensor& sensor) {
    // One calibration at a time: a new start waits for the running one.
    std::lock_guard<std::mutex> starting(startMutex_);
    if (worker_.joinable()) worker_.join();
    StepHeightCalibrationResult result;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) return;
        result = result_;
    }
    worker_ = std::thread(&StepHeightCalibration::run, this, &sensor, result);
}

void StepHeightCalibration::run(SimSensor* sensor, StepHeightCalibrationResult result) {
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (wake_.wait_for(lock, std::chrono::milliseconds(result.delayMs), [this] { return stopping_; })) return;
    }
    if (result.success) {
        sensor->setReg(kAngleRegister, floatBits(result.angleDegrees));
        sensor->setReg(kStraightnessRegister, floatBits(result.straightnessUm));
    }
    sensor->setReg(kResultRegister, result.success ? 1 : 0);
    ++finished_;
}

}  // namespace sensor_sim
