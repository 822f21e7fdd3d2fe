#pragma once
// The installation calibration of a 2.5D step-height head (series4Preset
// with a version word above 28695): a write of 1 to register 867 starts it,
// and after a while the sensor puts its result into register 868 (0 failure,
// 1 success) and, on success, the angle (register 864) and the straightness
// (register 865) as single-precision bits.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace sensor_sim {

class SimSensor;

struct StepHeightCalibrationResult {
    bool success = true;
    float angleDegrees = 1.25f;
    float straightnessUm = 3.5f;
    int delayMs = 50;
};

class StepHeightCalibration {
public:
    static constexpr uint32_t kStartRegister = 867;
    static constexpr uint32_t kResultRegister = 868;
    static constexpr uint32_t kAngleRegister = 864;
    static constexpr uint32_t kStraightnessRegister = 865;

    explicit StepHeightCalibration(StepHeightCalibrationResult result = {});
    ~StepHeightCalibration();
    StepHeightCalibration(const StepHeightCalibration&) = delete;
    StepHeightCalibration& operator=(const StepHeightCalibration&) = delete;

    // Reacts to the sensor's writes of register 867 from now on; the object
    // must outlive the sensor's connections.
    void install(SimSensor& sensor);
    void setResult(const StepHeightCalibrationResult& result);
    // Calibrations that ran to their result.
    int finished() const { return finished_.load(); }

private:
    void start(SimSensor& sensor);
    void run(SimSensor* sensor, StepHeightCalibrationResult result);

    std::mutex startMutex_;  // held while a calibration starts or the object goes
    std::mutex mutex_;       // guards stopping_ and result_
    std::condition_variable wake_;
    bool stopping_ = false;
    StepHeightCalibrationResult result_;
    std::thread worker_;
    std::atomic<int> finished_{0};
};

}  // namespace sensor_sim
