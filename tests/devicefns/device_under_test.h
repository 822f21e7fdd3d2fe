#pragma once
// A simulated sensor of its own (status and heartbeat, programs, batch
// memory, flash and the DEBUG scene installed) opened as device 0 of the registry,
// on a loopback address chosen from the test's name.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "sensor_interface/processing/profile_processor.h"
#include "sensor_interface/registry/hvq5_api.h"
#include "tests/support/simulated_sensor.h"
#include "tools/sensor_sim/debug_stream_service.h"
#include "tools/sensor_sim/sim_batch_memory.h"
#include "tools/sensor_sim/sim_flash.h"
#include "tools/sensor_sim/sim_programs.h"
#include "tools/sensor_sim/sim_sensor.h"
#include "tools/sensor_sim/sim_status.h"

namespace devicefns_test {

using mirevo::test::kReadOpcode;
using mirevo::test::kWriteOpcode;
constexpr int kAddressArea = 114;

// The series-'4' head of the scene: 2048 columns, 608 rows, 3200 points.
constexpr int kSceneRows = 608;
constexpr int kScenePoints = 3200;
constexpr double kScenePointsPerColumn = 1.5625;
// Heights are reference - distance, the distance being 256 x camera row.
constexpr double kReference = 100000.0;
constexpr double kDistancePerRow = 256.0;

class DeviceUnderTest : public mirevo::test::RegistryDeviceTest {
protected:
    DeviceUnderTest() : RegistryDeviceTest(kAddressArea) {}

    void installServices(sensor_sim::SimSensor& sensor) override {
        status = sensor_sim::installStatus(sensor);
        programs = sensor_sim::installPrograms(sensor);
        batchMemory = sensor_sim::installBatchMemory(sensor);
        flash = sensor_sim::installFlash(sensor);
        sensor_sim::installDebugStream(sensor, [](sensor_sim::SimSensor&) {
            return sensor_sim::sceneDebugStream(kSceneRows);
        });
    }

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(RegistryDeviceTest::SetUp());
        sim->clearPacketLog();
    }

    // The head as the open sequence leaves it: model text, geometry, and a
    // processor bound to the register image with a calibration in which the
    // distance is 256 x row and x = 1.5625 x (column - 1024) on a grid of pitch 1.
    void openSceneHead() {
        SensorController& c = controller();
        std::memcpy(c.laserParams.model, "ZP4100", 7);
        c.columns = 2048;
        c.rows = kSceneRows;
        c.points = kScenePoints;
        c.pointsPerColumn = kScenePointsPerColumn;
        const double xScale = kScenePointsPerColumn;
        std::memcpy(c.laserParams.optics_body + 16, &xScale, sizeof xScale);
        c.laserParams.z_range_reference = static_cast<int32_t>(kReference);
        c.laserParams.z_range_lower = -1000000;
        c.laserParams.z_range_upper = 1000000;
        c.settings().set_regvals(285, 100);
        c.settings().set_regvals(355, 0xFFFFFF00u);
        c.processor = std::make_shared<ProfileProcessor>(2048, kScenePoints, kScenePointsPerColumn);
        c.processor->bind(&c.settings(), &c.laserParams);
        CalibrationTable table(2048, std::vector<double>(10, 0.0));
        for (auto& column : table) column[8] = kDistancePerRow;
        ASSERT_TRUE(c.processor->setCalibration(table));
    }

    // Requests the sensor received, in order.
    std::vector<sensor_sim::LoggedPacket> requests() const { return sim->packetLog(); }

    std::shared_ptr<sensor_sim::SimStatus> status;
    std::shared_ptr<sensor_sim::SimPrograms> programs;
    std::shared_ptr<sensor_sim::SimBatchMemory> batchMemory;
    std::shared_ptr<sensor_sim::SimFlash> flash;
};

}  // namespace devicefns_test
