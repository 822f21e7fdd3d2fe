#pragma once
// The DEBUG scene of a head as a live sensor shows it: every request may find
// the scene moved on by one generation (the distance words of a measuring
// head shifted by a step, so that a profile copied half from one request and
// half from the next shows), requests can be answered at a set pace, the raw
// image has as many rows as register 11 says (the rows in use), and the peak
// row of each column can be scripted.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace sensor_sim {

class SimSensor;

class LiveScene {
public:
    // model: the head's model text (its series picks peak rows or distance
    // words while it measures; showing the camera image, every head sends
    // peak rows); cameraRows: rows of the camera (image rows when register 11 is
    // 0 or above them).
    LiveScene(std::string model, int cameraRows);

    // Answers the DEBUG request of the sensor from now on.
    void install(SimSensor& sensor);

    // Distance units (x 256) added to every measured column per request; 0
    // keeps the scene still. Only distance words move (a measuring head
    // outside the camera image).
    void setGenerationStep(int32_t step);
    // A pause before each answer.
    void setPaceMs(int ms);
    // Peak row per camera column (0: no peak); empty: the default scene.
    void setPeakRows(std::vector<double> rows);

    uint32_t requests() const { return requests_.load(); }
    // The rows of the image the next answer carries.
    int imageRows(const SimSensor& sensor) const;

private:
    std::vector<uint8_t> stream(SimSensor& sensor);

    std::string model_;
    int cameraRows_;
    std::atomic<int32_t> step_{0};
    std::atomic<int> paceMs_{0};
    std::atomic<uint32_t> requests_{0};
    mutable std::mutex mutex_;
    std::vector<double> peakRows_;
};

}  // namespace sensor_sim
