#pragma once
// A simulated sensor of a given preset opened as device 0 of the sensor
// interface, in a fresh working folder with its own per-device settings folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "sensor_interface/registry/hvq5_api.h"
#include "tests/support/loopback_address.h"
#include "tests/support/temp_dir.h"
#include "tools/sensor_sim/sim_models.h"

namespace settings_test {

constexpr int kDevice = 0;
constexpr int kAddressArea = 150;

class OpenedSensorTest : public ::testing::Test {
protected:
    void SetUp() override { HVQ5_Finalize(); }
    void TearDown() override {
        HVQ5_Finalize();
        sensors_.reset();
    }

    // Starts the simulator with the preset; `prepare` may change the head
    // before the interface opens it.
    template <typename Prepare>
    void open(const sensor_sim::ModelPreset& preset, Prepare prepare) {
        sensors_ = std::make_unique<sensor_sim::SimModelSensors>(mirevo::test::loopbackAddressForTest(kAddressArea),
                                                                 preset);
        ASSERT_TRUE(sensors_->start());
        prepare(sensors_->head(0));
        const auto ip = mirevo::test::ipv4Bytes(sensors_->address(0));
        ASSERT_EQ(HVQ5_2_EthernetOpen(kDevice, ip.data()), 0);
    }
    void open(const sensor_sim::ModelPreset& preset) {
        open(preset, [](sensor_sim::SimSensor&) {});
    }

    sensor_sim::SimSensor& head() { return sensors_->head(0); }
    const std::filesystem::path& work() const { return work_.path(); }

private:
    mirevo::test::TempDir work_;
    mirevo::test::ScopedWorkingDir inWork_{work_.path()};
    mirevo::test::TempDir public_;
    mirevo::test::ScopedEnv publicEnv_{"PUBLIC", public_.path().string()};
    mirevo::test::ScopedEnv configEnv_{"XDG_CONFIG_HOME", public_.path().string()};
    std::unique_ptr<sensor_sim::SimModelSensors> sensors_;
};

}  // namespace settings_test
