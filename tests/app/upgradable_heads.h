#pragma once
// Simulated sensors ready for a firmware upgrade: flash, reboots and the
// system commands on every head, and the address of a four-head sensor.
#include <memory>
#include <string>
#include <vector>

#include "tests/support/client_sensor.h"
#include "tools/sensor_sim/sim_flash.h"
#include "tools/sensor_sim/sim_programs.h"
#include "tools/sensor_sim/sim_reboot.h"

namespace upgrade_test {

// The services an upgrade needs on one head.
struct UpgradeHead {
    std::shared_ptr<sensor_sim::SimFlash> flash;
    std::shared_ptr<sensor_sim::SimReboot> reboot;
    std::shared_ptr<sensor_sim::SimPrograms> programs;
};

inline std::vector<UpgradeHead> installUpgradeServices(mirevo::test::ClientSensor& sensor) {
    std::vector<UpgradeHead> heads;
    for (int i = 0; i < sensor.headCount(); ++i) {
        sensor_sim::SimSensor& head = sensor.head(i);
        heads.push_back(
            {sensor_sim::installFlash(head), sensor_sim::installReboot(head), sensor_sim::installPrograms(head)});
    }
    return heads;
}

// A four-head sensor answers at its address and the next three fourth
// octets: the address with its last byte kept low enough for them.
inline std::string withRoomForFourHeads(const std::string& address) {
    const size_t dot = address.rfind('.');
    const int last = std::stoi(address.substr(dot + 1));
    return address.substr(0, dot + 1) + std::to_string(last > 250 ? 250 : last);
}

}  // namespace upgrade_test
