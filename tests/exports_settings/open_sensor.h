#pragma once
// A sensor opened under an id of the registry and connected to a simulated
// sensor of its own, with the head information and geometry the open sequence
// would have taken from it. The per-device settings files go to a temporary
// PUBLIC folder.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sensor_interface/registry/hvq5_api.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"
#include "tests/support/simulated_sensor.h"
#include "tests/support/temp_dir.h"
#include "tools/sensor_sim/sim_programs.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace exports_test {

using mirevo::test::kReadOpcode;
using mirevo::test::kWriteOpcode;

struct HeadKind {
    std::string model;     // model[2] is the series character
    uint32_t firmware;     // register 166
    int columns;
    int points;
    double pointsPerColumn;
};

// A head that keeps its extended values in the per-device settings file, and
// one that keeps them in registers.
inline HeadKind olderHead() { return {"ZP4040", 841, 2048, 3200, 1.5625}; }
inline HeadKind newerHead() { return {"ZP5160D", 842, 2048, 4096, 2.0}; }

class OpenSensor : public mirevo::test::RegistryDeviceTest {
protected:
    explicit OpenSensor(int addressArea) : RegistryDeviceTest(addressArea) {}

    void installServices(sensor_sim::SimSensor& sensor) override { programs = sensor_sim::installPrograms(sensor); }

    // What the open sequence takes from the head: identity, firmware word,
    // head information (which loads an older head's settings file), geometry.
    void takeHead(const HeadKind& head) {
        sensor_sim::HeadPreset preset;
        preset.model = head.model;
        preset.headSerial = "HS-0123456789ABC";
        preset.controllerSerial = "CS-9876543210XYZ";
        sim->model().setHead(preset);
        sim->setReg(166, head.firmware);
        SensorController& controller = device->controller;
        uint32_t firmware = 0;
        ASSERT_EQ(controller.readRegister(166, firmware, 0), HVQ5_RC_OK);
        ASSERT_EQ(controller.readHeadInformation(controller.laserParams), HVQ5_RC_OK);
        controller.settings().set_laser_params(controller.laserParams);
        controller.columns = head.columns;
        controller.points = head.points;
        controller.pointsPerColumn = head.pointsPerColumn;
        device->receiver.attach(kId, &controller);
        sim->clearPacketLog();
    }

    std::vector<sensor_sim::LoggedPacket> packetsOf(uint8_t opcode) const {
        return mirevo::test::packetsWithOpcode(sim->packetLog(), opcode);
    }

    std::vector<uint32_t> addressesOf(uint8_t opcode) const {
        std::vector<uint32_t> addresses;
        for (const auto& packet : packetsOf(opcode)) addresses.push_back(packet.address);
        return addresses;
    }

    mirevo::test::TempDir publicFolder;
    mirevo::test::ScopedEnv publicEnv{"PUBLIC", publicFolder.path().string()};
    std::shared_ptr<sensor_sim::SimPrograms> programs;
};

}  // namespace exports_test
