#pragma once
// Simulated sensors ready to be opened: one, two ('D' model, further head on
// the next third octet) or four heads ('F' model, further heads on the next
// fourth octets), each a SimSensor with its command and data channels on its
// own loopback address. Knobs make a step of the open fail.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
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

// Identity and firmware words of a head.
struct ModelPreset {
    std::string model = "ZP5160";
    uint32_t firmware134 = 0x1a;
    uint32_t firmware135 = 0x3;
    uint32_t firmware166 = 0x7;
    uint32_t range350 = 0x00C35000;  // reference 50000 after >> 8
    uint32_t range351 = 0x00271000;  // lower = reference - 10000
    uint32_t range352 = 0x00753000;  // upper = reference - 30000
};

// Heads of a model by the last character of its model text.
int simHeadCount(const std::string& model);
// Address of head `index` of a sensor whose first head is at `first`.
std::string simHeadAddress(const std::string& first, int heads, int index);

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
