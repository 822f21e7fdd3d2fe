#pragma once
// A simulated four-head sensor for the head switch: an 'F' model whose first
// head answers at 127.a.b.1 of the test's own area, the others at .2 to .4.
#include <cstdint>
#include <string>

#include "tests/support/client_sensor.h"
#include "tests/support/loopback_address.h"

namespace mirevo::test {

inline ClientSensorOptions fourHeadSensorOptions() {
    ClientSensorOptions options;
    options.preset.model = "ZP5160F";
    return options;
}

// The first head's address in the area of `testAddress` (127.a.b.c).
inline std::string firstHeadAddress(const std::string& testAddress) {
    const auto bytes = ipv4Bytes(testAddress);
    return "127." + std::to_string(bytes[1]) + "." + std::to_string(bytes[2]) + ".1";
}

// Live-profile requests (DEBUG reads of register 319) in the head's packet log.
inline int liveProfileReads(ClientSensor& sensor, int head) {
    constexpr uint8_t kReadOpcode = 161;
    constexpr uint32_t kLiveProfileRegister = 319;
    int reads = 0;
    for (const auto& packet : sensor.head(head).packetLog())
        if (packet.opcode == kReadOpcode && (packet.address & 0xFFFF) == kLiveProfileRegister) ++reads;
    return reads;
}

}  // namespace mirevo::test
