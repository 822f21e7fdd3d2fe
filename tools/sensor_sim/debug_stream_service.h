#pragma once
// Lets the simulated sensor answer the DEBUG request: a read (opcode 161) of
// register 319 is answered with a DEBUG stream instead of an echo.
#include <cstdint>
#include <functional>
#include <vector>

namespace sensor_sim {

class SimSensor;

constexpr uint32_t kDebugStreamRegister = 319;

using DebugStreamSource = std::function<std::vector<uint8_t>(SimSensor& sensor)>;

// Reads of other registers are answered as before.
void installDebugStream(SimSensor& sensor, DebugStreamSource source);

}  // namespace sensor_sim
