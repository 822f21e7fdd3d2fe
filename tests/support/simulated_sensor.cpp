#include "tests/support/simulated_sensor.h"

#include <algorithm>

#include "sensor_interface/registry/hvq5_api.h"

namespace mirevo::test {

std::unique_ptr<sensor_sim::SimSensor> simulatorForTest(int addressArea) {
    sensor_sim::SimOptions options;
    options.address = loopbackAddressForTest(addressArea);
    return std::make_unique<sensor_sim::SimSensor>(options);
}

std::vector<sensor_sim::LoggedPacket> packetsWithOpcode(const std::vector<sensor_sim::LoggedPacket>& log,
                                                        uint8_t opcode) {
    std::vector<sensor_sim::LoggedPacket> kept;
    for (const auto& packet : log)
        if (packet.opcode == opcode) kept.push_back(packet);
    return kept;
}

std::vector<sensor_sim::LoggedPacket> packetsWithoutOpcodes(const std::vector<sensor_sim::LoggedPacket>& log,
                                                            std::initializer_list<uint8_t> skipped) {
    std::vector<sensor_sim::LoggedPacket> kept;
    for (const auto& packet : log)
        if (std::find(skipped.begin(), skipped.end(), packet.opcode) == skipped.end()) kept.push_back(packet);
    return kept;
}

void ConnectedSensorTest::SetUp() {
    sim = simulatorForTest(addressArea_);
    installServices(*sim);
    const sensor_sim::SimOptions& options = sim->options();
    ASSERT_TRUE(sim->start()) << options.address;
    ASSERT_TRUE(controller.connect(0, options.address, options.commandPort)) << options.address;
}

void RegistryDeviceTest::SetUp() {
    HVQ5_Finalize();
    sim = simulatorForTest(addressArea_);
    installServices(*sim);
    const sensor_sim::SimOptions& options = sim->options();
    ASSERT_TRUE(sim->start()) << options.address;
    ASSERT_TRUE(sdkManager().connect(kId, options.address.c_str(), options.commandPort)) << options.address;
    device = sdkManager().find(kId);
    ASSERT_NE(device, nullptr);
}

void RegistryDeviceTest::TearDown() {
    device.reset();
    HVQ5_Finalize();
}

}  // namespace mirevo::test
