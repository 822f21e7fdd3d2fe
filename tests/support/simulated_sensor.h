#pragma once
// Fixtures for tests that talk to one simulated sensor of their own on a
// loopback address chosen from the test's name: connected to a controller of
// the test's own, or opened as an id of the device registry.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"
#include "tests/support/loopback_address.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace mirevo::test {

constexpr uint8_t kWriteOpcode = 160;
constexpr uint8_t kReadOpcode = 161;

// A simulator, not started yet, on the test's own address in 127.<area>.x.y.
std::unique_ptr<sensor_sim::SimSensor> simulatorForTest(int addressArea);

// The packets of the log with the given opcode, and those without any of the given ones.
std::vector<sensor_sim::LoggedPacket> packetsWithOpcode(const std::vector<sensor_sim::LoggedPacket>& log,
                                                        uint8_t opcode);
std::vector<sensor_sim::LoggedPacket> packetsWithoutOpcodes(const std::vector<sensor_sim::LoggedPacket>& log,
                                                            std::initializer_list<uint8_t> skipped);

// A controller of the test's own connected to the simulator's command channel.
class ConnectedSensorTest : public ::testing::Test {
protected:
    explicit ConnectedSensorTest(int addressArea) : addressArea_(addressArea) {}

    // Services the simulator needs, added before it starts.
    virtual void installServices(sensor_sim::SimSensor&) {}

    void SetUp() override;

    std::unique_ptr<sensor_sim::SimSensor> sim;
    SensorController controller;

private:
    int addressArea_;
};

// The simulator opened as id kId of the registry (command channel only); the
// registry is emptied before and after every test.
class RegistryDeviceTest : public ::testing::Test {
protected:
    static constexpr int kId = 0;

    explicit RegistryDeviceTest(int addressArea) : addressArea_(addressArea) {}

    // Services the simulator needs, added before it starts.
    virtual void installServices(sensor_sim::SimSensor&) {}

    void SetUp() override;
    void TearDown() override;

    SensorController& controller() { return device->controller; }

    std::unique_ptr<sensor_sim::SimSensor> sim;
    std::shared_ptr<tandrel_zp_clients> device;

private:
    int addressArea_;
};

}  // namespace mirevo::test
