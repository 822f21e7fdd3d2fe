#pragma once
// A fresh registry, working folder (with its "zpsdk" folder for the
// run-information file) and PUBLIC folder for every test, simulated sensors on
// loopback addresses of the test's own, and readers of the simulator's log.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "sensor_interface/registry/hvq5_api.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"
#include "tests/support/loopback_address.h"
#include "tests/support/temp_dir.h"
#include "tools/sensor_sim/sim_models.h"

namespace open_test {

constexpr uint8_t kWriteOpcode = 160;
constexpr uint8_t kReadOpcode = 161;
constexpr int kAddressArea = 131;

using Write = std::pair<uint32_t, uint32_t>;  // register, value

// The test's own address, with room above its third and fourth octets for
// the further heads of a four-head sensor.
inline std::string testAddress(int area = kAddressArea) {
    const auto ip = mirevo::test::ipv4Bytes(mirevo::test::loopbackAddressForTest(area));
    return std::to_string(ip[0]) + "." + std::to_string(ip[1]) + "." + std::to_string(1 + ip[2] % 250) + "." +
           std::to_string(1 + ip[3] % 250);
}

inline HVQ5_NET_ADDRESS netAddress(const std::string& text, const char* tag = nullptr) {
    const auto ip = mirevo::test::ipv4Bytes(text);
    HVQ5_NET_ADDRESS address{{ip[0], ip[1], ip[2], ip[3]}, 7, {0, 0}};
    if (tag != nullptr) {
        address.tag[0] = tag[0];
        address.tag[1] = tag[1];
    }
    return address;
}

inline std::vector<Write> writesIn(const std::vector<sensor_sim::LoggedPacket>& log) {
    std::vector<Write> writes;
    for (const auto& packet : log)
        if (packet.channel == "command" && packet.opcode == kWriteOpcode)
            writes.emplace_back(packet.address & 0xFFFF, packet.value);
    return writes;
}

inline size_t readsOf(const std::vector<sensor_sim::LoggedPacket>& log, uint32_t reg) {
    size_t count = 0;
    for (const auto& packet : log)
        if (packet.opcode == kReadOpcode && (packet.address & 0xFFFF) == reg) ++count;
    return count;
}

class OpenFixture : public ::testing::Test {
protected:
    void SetUp() override {
        HVQ5_Finalize();
        std::filesystem::create_directory(work.path() / "zpsdk");
    }
    void TearDown() override { HVQ5_Finalize(); }

    std::string runInfoText() const {
        std::ifstream file(work.path() / "zpsdk" / "run_info.txt");
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    mirevo::test::TempDir publicFolder;
    mirevo::test::ScopedEnv publicEnv{"PUBLIC", publicFolder.path().string()};
    mirevo::test::TempDir work;
    mirevo::test::ScopedWorkingDir workingDir{work.path()};
};

}  // namespace open_test
