#pragma once
// A controller connected to a simulated sensor of its own for each test.
#include <gtest/gtest.h>

#include <memory>

#include "sensor_interface/command/sensor_controller.h"
#include "tests/command/loopback_address.h"
#include "tools/sensor_sim/sim_sensor.h"

constexpr uint8_t kWrite = 160;
constexpr uint8_t kRead = 161;

class CommandChannel : public ::testing::Test {
protected:
    void SetUp() override {
        sensor_sim::SimOptions options;
        options.address = mirevo::test::loopbackAddressForTest(21);
        sim = std::make_unique<sensor_sim::SimSensor>(options);
        ASSERT_TRUE(sim->start()) << options.address;
        ASSERT_TRUE(controller.connect(0, options.address, options.commandPort));
    }

    std::unique_ptr<sensor_sim::SimSensor> sim;
    SensorController controller;
};
