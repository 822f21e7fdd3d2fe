#pragma once
// The simulated sensor's own link to a PLC (the 2.5D value output): writing
// 1 to register 838 asks for the link, which register 840 reports as up (1)
// once the connect delay has passed; a link told to refuse leaves 840 at 0
// and puts its status code in register 839 instead. Writing 0 to 838 drops
// the link (840 := 0).
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

namespace sensor_sim {

class SimSensor;

class SimPlcLink {
public:
    static constexpr uint32_t kRequestRegister = 838;
    static constexpr uint32_t kCodeRegister = 839;
    static constexpr uint32_t kStateRegister = 840;

    explicit SimPlcLink(std::chrono::milliseconds connectDelay) : delay_(connectDelay) {}

    // Further requests fail with this code in register 839.
    void refuseWithCode(uint32_t code);
    void accept();

    // Register hooks (connection threads of the sensor).
    void onRequest(SimSensor& sensor, uint32_t value);
    // The value register 840 has now.
    uint32_t state(SimSensor& sensor);

private:
    std::mutex mutex_;
    std::chrono::milliseconds delay_;
    std::optional<uint32_t> refusal_;
    std::optional<std::chrono::steady_clock::time_point> upAt_;
};

// Makes the sensor play a PLC link; reads of register 840 see the link's state.
std::shared_ptr<SimPlcLink> installPlcLink(SimSensor& sensor,
                                           std::chrono::milliseconds connectDelay = std::chrono::milliseconds(50));

}  // namespace sensor_sim
