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
#include "tests/support/scene_head.h"
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
constexpr double kReference = mirevo::test::kSceneReference;
constexpr double kDistancePerRow = mirevo::test::kSceneDistancePerRow;

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

    // The series-'4' head of the scene as the open sequence leaves it.
    void openSceneHead() {
        ASSERT_NO_FATAL_FAILURE(
            mirevo::test::openSceneHead(controller(), '4', kSceneRows, kScenePoints, kScenePointsPerColumn));
    }

    // Requests the sensor received, in order.
    std::vector<sensor_sim::LoggedPacket> requests() const { return sim->packetLog(); }

    std::shared_ptr<sensor_sim::SimStatus> status;
    std::shared_ptr<sensor_sim::SimPrograms> programs;
    std::shared_ptr<sensor_sim::SimBatchMemory> batchMemory;
    std::shared_ptr<sensor_sim::SimFlash> flash;
};

}  // namespace devicefns_test
