#pragma once
// The simulated sensor's status and heartbeat registers.
//
// A read (opcode 161) of address 300 is not answered with an ordinary echo:
// the 11-byte reply carries the status word in bytes 1-2 and a status value in
// bytes 5-8, both in the sensor's own little-endian order (bytes 3-4 are 0).
// A read of register 0xFFFC, the heartbeat, is echoed with a count that grows
// with every read, so a host can tell a live sensor from a stale answer.
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace sensor_sim {

class SimSensor;

constexpr uint32_t kStatusAddress = 300;
constexpr uint32_t kHeartbeatRegister = 0xFFFC;

class SimStatus {
public:
    void setStatus(uint16_t word, uint32_t value);
    // The 11 bytes sent for a read of the status address.
    std::vector<uint8_t> statusReply() const;
    // Counts one heartbeat read and returns the new count.
    uint32_t nextHeartbeat();
    uint32_t heartbeatReads() const;

private:
    mutable std::mutex mutex_;
    uint16_t word_ = 0;
    uint32_t value_ = 0;
    uint32_t heartbeats_ = 0;
};

// Makes the sensor answer the status and heartbeat reads; other reads are
// answered as before.
std::shared_ptr<SimStatus> installStatus(SimSensor& sensor);

}  // namespace sensor_sim
