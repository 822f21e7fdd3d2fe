#pragma once
// The sensor's own view of the register packet: 11 bytes, opcode, address and
// value as unsigned 32-bit big-endian numbers, then CR LF.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sensor_sim {

constexpr size_t kPacketSize = 11;

struct Request {
    uint8_t opcode = 0;
    uint32_t address = 0;
    uint32_t value = 0;
    std::vector<uint8_t> payload;

    uint16_t hi() const { return static_cast<uint16_t>(address >> 16); }
    uint16_t lo() const { return static_cast<uint16_t>(address & 0xFFFF); }
};

inline void writeBigEndian32(uint8_t* out, uint32_t value) {
    out[0] = static_cast<uint8_t>(value >> 24);
    out[1] = static_cast<uint8_t>(value >> 16);
    out[2] = static_cast<uint8_t>(value >> 8);
    out[3] = static_cast<uint8_t>(value);
}

inline uint32_t readBigEndian32(const uint8_t* in) {
    return (uint32_t(in[0]) << 24) | (uint32_t(in[1]) << 16) | (uint32_t(in[2]) << 8) | uint32_t(in[3]);
}

inline std::vector<uint8_t> encodePacket(uint8_t opcode, uint32_t address, uint32_t value) {
    std::vector<uint8_t> bytes(kPacketSize);
    bytes[0] = opcode;
    writeBigEndian32(&bytes[1], address);
    writeBigEndian32(&bytes[5], value);
    bytes[9] = 0x0D;
    bytes[10] = 0x0A;
    return bytes;
}

// Reads the fixed part of a request; the payload is filled by the caller.
// The trailing CR LF is not checked: the real sensor does not insist on it.
inline Request decodePacket(const uint8_t* bytes) {
    Request request;
    request.opcode = bytes[0];
    request.address = readBigEndian32(bytes + 1);
    request.value = readBigEndian32(bytes + 5);
    return request;
}

}  // namespace sensor_sim
