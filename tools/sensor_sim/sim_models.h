#pragma once
// Simulated sensors ready to be opened: one, two ('D' model, further head on
// the next third octet) or four heads ('F' model, further heads on the next
// fourth octets), each a SimSensor with its command and data channels on its
// own loopback address. Knobs make a step of the open fail.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/sensor_sim/data_channel.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace sensor_sim {

struct OpenKnobs {
    // The first head record without its "ZP-H" tag: not a head.
    bool missingHeadTag = false;
    // A calibration stream of this many bytes instead of the table.
    std::optional<size_t> calibrationBytes;
    // No data channel: connects to the data port are refused.
    bool refuseDataChannel = false;
    // Register 705, the sensor's load status (0 and 3 are good).
    uint32_t loadStatus = 0;
    // Register 149: batch mode on (1) or off (0).
    uint32_t batchMode = 1;
    // Registers answered with an echo of the wrong address (a rejected request).
    std::vector<uint32_t> rejectedRegisters;
};

// Identity, firmware words and measuring registers of a head. The defaults
// make a healthy head whose scene heights are valid once it is opened: a
// reference distance of 50000 with heights from -30000 to +30000 around it,
// one distance unit per 16-bit code step, 20 units between camera columns,
// and an X window over the whole camera.
struct ModelPreset {
    std::string model = "ZP5160";
    uint32_t firmware134 = 0x1a;
    uint32_t firmware135 = 0x3;
    uint32_t firmware166 = 0x7;
    uint32_t range350 = 50000u << 8;  // reference distance 50000 after >> 8
    uint32_t range351 = 80000u << 8;  // farthest distance: lower height bound -30000
    uint32_t range352 = 20000u << 8;  // nearest distance: upper height bound +30000
    uint32_t distanceUpper355 = 80000u << 8;  // fixed-point path: distances beyond are no peak
    uint32_t distanceLower356 = 20000u << 8;
    uint32_t codeResolution353 = 65536;
    double columnPitch = 20.0;        // x distance between camera columns (head optics)
    uint32_t xWindowStart359 = 0;
    // Unset: the whole camera width of the model's series.
    std::optional<uint32_t> xWindowWidth358;
    // Unset: the column pitch spread over the points of one column, x 100.
    std::optional<uint32_t> xPitch285;
    // Further registers (address, value), set after all of the above.
    std::vector<std::pair<uint32_t, uint32_t>> registers;
};

// Camera columns and profile points of a head by its series character
// (model text's third character); unknown series count as '5'.
struct SimGeometry {
    int columns;
    int rows;
    int points;
};
SimGeometry simGeometry(const std::string& model);

// Register 285 that puts the x grid points as far apart as the camera
// columns' x positions divided by the points per column.
uint32_t simGridPitch285(const std::string& model, double columnPitch);

// Heads of a model by the last character of its model text.
int simHeadCount(const std::string& model);
// Address of head `index` of a sensor whose first head is at `first`.
std::string simHeadAddress(const std::string& first, int heads, int index);

// Gives a sensor the identity, firmware words, measuring registers and scene
// of a model preset, and the knobs' faults (what SimModelSensors does for
// each of its heads; the data channel is left to the caller).
void presetModelHead(SimSensor& sensor, const ModelPreset& preset, const OpenKnobs& knobs);

class SimModelSensors {
public:
    SimModelSensors(const std::string& firstAddress, ModelPreset preset = {}, OpenKnobs knobs = {});
    ~SimModelSensors();
    SimModelSensors(const SimModelSensors&) = delete;
    SimModelSensors& operator=(const SimModelSensors&) = delete;

    // Starts every head; false when one cannot listen.
    bool start();
    void stop();

    int headCount() const { return static_cast<int>(heads_.size()); }
    SimSensor& head(int index) { return *heads_.at(index).sensor; }
    // Null when the data channel is refused.
    DataChannelService* dataChannel(int index) { return heads_.at(index).data.get(); }
    const std::string& address(int index) const { return heads_.at(index).address; }

    // Changes the knobs of every head (also while running).
    void applyKnobs(const OpenKnobs& knobs);

private:
    struct Head {
        std::string address;
        std::unique_ptr<SimSensor> sensor;
        std::shared_ptr<DataChannelService> data;
    };
    void presetHead(Head& head);

    ModelPreset preset_;
    OpenKnobs knobs_;
    std::vector<Head> heads_;
};

}  // namespace sensor_sim
