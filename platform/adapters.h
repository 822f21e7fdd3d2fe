#pragma once
// The computer's network adapters as the device search needs them.
#include <cstdint>
#include <string>
#include <vector>

namespace mirevo::platform {

struct Ipv4Adapter {
    std::string name;
    uint32_t address = 0;    // network byte order
    uint32_t broadcast = 0;  // network byte order; 0 when the adapter has none
    bool canBroadcast = false;
    bool isLoopback = false;
};

// Every IPv4 address of every adapter that is up.
std::vector<Ipv4Adapter> upIpv4Adapters();

}  // namespace mirevo::platform
