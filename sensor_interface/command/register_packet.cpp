#include "sensor_interface/command/register_packet.h"

RegisterPacket::Bytes RegisterPacket::build(uint8_t opcode, uint32_t address, uint32_t value) {
    Bytes bytes{};
    bytes[0] = opcode;
    put_be32(bytes.data() + addressOffset, address);
    put_be32(bytes.data() + valueOffset, value);
    bytes[9] = 0x0D;
    bytes[10] = 0x0A;
    return bytes;
}

uint32_t RegisterPacket::get_be32(const uint8_t* bytes) {
    return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) |
           uint32_t(bytes[3]);
}

void RegisterPacket::put_be32(uint8_t* bytes, uint32_t value) {
    bytes[0] = static_cast<uint8_t>(value >> 24);
    bytes[1] = static_cast<uint8_t>(value >> 16);
    bytes[2] = static_cast<uint8_t>(value >> 8);
    bytes[3] = static_cast<uint8_t>(value);
}
