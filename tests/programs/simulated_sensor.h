#pragma once
// A controller connected to a simulated sensor of its own (programs, flash
// and batch memory installed) on a loopback address chosen from the test's name.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "tests/support/simulated_sensor.h"
#include "tools/sensor_sim/sim_batch_memory.h"
#include "tools/sensor_sim/sim_flash.h"
#include "tools/sensor_sim/sim_programs.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace programs_test {

using mirevo::test::kReadOpcode;
using mirevo::test::kWriteOpcode;
constexpr uint8_t kControllerFlash = 164;
constexpr uint8_t kHeadFlash = 166;
constexpr uint8_t kSystemOpcode = 173;
constexpr uint8_t kProgramOpcode = 174;

class SimulatedSensor : public mirevo::test::ConnectedSensorTest {
protected:
    explicit SimulatedSensor(int addressArea) : ConnectedSensorTest(addressArea) {}

    void installServices(sensor_sim::SimSensor& sensor) override {
        programs = sensor_sim::installPrograms(sensor);
        flash = sensor_sim::installFlash(sensor);
        batchMemory = sensor_sim::installBatchMemory(sensor);
    }

    // The command packets the sensor received, without those of the given opcodes.
    std::vector<sensor_sim::LoggedPacket> packets(std::initializer_list<uint8_t> skipped = {}) const {
        return mirevo::test::packetsWithoutOpcodes(sim->packetLog(), skipped);
    }

    std::shared_ptr<sensor_sim::SimPrograms> programs;
    std::shared_ptr<sensor_sim::SimFlash> flash;
    std::shared_ptr<sensor_sim::SimBatchMemory> batchMemory;
};

}  // namespace programs_test
