// The simulated 2.5D head's installation calibration, driven through the
// interface's register writes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "sensor_interface/registry/device_functions.h"
#include "tests/support/simulated_sensor.h"
#include "tools/sensor_sim/step_height_calibration.h"

namespace {

constexpr int kAddressArea = 161;

float floatOf(uint32_t bits) {
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool waitFor(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class StepHeightCalibrationSim : public mirevo::test::RegistryDeviceTest {
protected:
    StepHeightCalibrationSim() : RegistryDeviceTest(kAddressArea) {}
    void installServices(sensor_sim::SimSensor& sensor) override { calibration.install(sensor); }

    sensor_sim::StepHeightCalibration calibration;
};

}  // namespace

TEST_F(StepHeightCalibrationSim, StartPutsTheResultAngleAndStraightnessAfterAWhile) {
    ASSERT_EQ(hvq5_write_register(0, 867, 1), 0);
    ASSERT_TRUE(waitFor([&] { return calibration.finished() == 1; }));
    EXPECT_EQ(sim->reg(868), 1u);
    EXPECT_FLOAT_EQ(floatOf(sim->reg(864)), 1.25f);
    EXPECT_FLOAT_EQ(floatOf(sim->reg(865)), 3.5f);
}

TEST_F(StepHeightCalibrationSim, AFailureLeavesTheAngleAndReportsZero) {
    sim->setReg(868, 1);
    sim->setReg(864, 77);
    calibration.setResult({false, 0, 0, 10});
    ASSERT_EQ(hvq5_write_register(0, 867, 1), 0);
    ASSERT_TRUE(waitFor([&] { return calibration.finished() == 1; }));
    EXPECT_EQ(sim->reg(868), 0u);
    EXPECT_EQ(sim->reg(864), 77u);
}

TEST_F(StepHeightCalibrationSim, OtherValuesAndRegistersStartNothing) {
    calibration.setResult({true, 2, 2, 0});
    ASSERT_EQ(hvq5_write_register(0, 867, 0), 0);
    ASSERT_EQ(hvq5_write_register(0, 866, 1), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(calibration.finished(), 0);
}
