#pragma once
// A controller connected to a simulated sensor of its own (programs, flash
// and batch memory installed) on a loopback address chosen from the test's name.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "sensor_interface/command/sensor_controller.h"
#include "tests/command/loopback_address.h"
#include "tools/sensor_sim/sim_batch_memory.h"
#include "tools/sensor_sim/sim_flash.h"
#include "tools/sensor_sim/sim_programs.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace programs_test {

constexpr uint8_t kWriteOpcode = 160;
constexpr uint8_t kReadOpcode = 161;
constexpr uint8_t kControllerFlash = 164;
constexpr uint8_t kHeadFlash = 166;
constexpr uint8_t kSystemOpcode = 173;
constexpr uint8_t kProgramOpcode = 174;

class SimulatedSensor : public ::testing::Test {
protected:
    explicit SimulatedSensor(int addressArea) : addressArea_(addressArea) {}

    void SetUp() override {
        sensor_sim::SimOptions options;
        options.address = mirevo::test::loopbackAddressForTest(addressArea_);
        sim = std::make_unique<sensor_sim::SimSensor>(options);
        programs = sensor_sim::installPrograms(*sim);
        flash = sensor_sim::installFlash(*sim);
        batchMemory = sensor_sim::installBatchMemory(*sim);
        ASSERT_TRUE(sim->start()) << options.address;
        ASSERT_TRUE(controller.connect(0, options.address, options.commandPort));
    }

    // The command packets the sensor received, without those of the given opcodes.
    std::vector<sensor_sim::LoggedPacket> packets(std::vector<uint8_t> skipped = {}) const {
        std::vector<sensor_sim::LoggedPacket> kept;
        for (auto& packet : sim->packetLog()) {
            bool skip = false;
            for (uint8_t opcode : skipped) skip = skip || packet.opcode == opcode;
            if (!skip) kept.push_back(packet);
        }
        return kept;
    }

    std::unique_ptr<sensor_sim::SimSensor> sim;
    std::shared_ptr<sensor_sim::SimPrograms> programs;
    std::shared_ptr<sensor_sim::SimFlash> flash;
    std::shared_ptr<sensor_sim::SimBatchMemory> batchMemory;
    SensorController controller;

private:
    int addressArea_;
};

}  // namespace programs_test
