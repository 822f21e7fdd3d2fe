#pragma once
// The 11-byte register packet of the command channel, used for requests and
// for the echo that starts every reply: opcode, address and value as unsigned
// 32-bit big-endian numbers, then CR LF.
#include <array>
#include <cstddef>
#include <cstdint>

enum class CommandOpcode : uint8_t {
    WriteRegister = 160,
    ReadRegister = 161,
    ControllerFlashWrite = 164,
    BlockRead = 165,
    HeadFlashTransfer = 166,
    ParameterBlock = 172,
    SystemCommand = 173,
    ProgramCommand = 174,
    HeadRecord176 = 176,
    CalibrationTable = 177,
    ShapeBlock = 178,
    HeadRecord182 = 182,
    HeadRecord183 = 183,
    HeadRecord184 = 184,
    SettingsBlock = 185,
    MeasuredValues = 190,
};

struct RegisterPacket {
    static constexpr std::size_t size = 11;
    static constexpr std::size_t addressOffset = 1;
    static constexpr std::size_t valueOffset = 5;
    using Bytes = std::array<uint8_t, size>;

    static Bytes build(uint8_t opcode, uint32_t address, uint32_t value);
    static uint32_t get_be32(const uint8_t* bytes);
    static void put_be32(uint8_t* bytes, uint32_t value);

    // Fields of a received packet (at least `size` bytes).
    static uint32_t addressOf(const uint8_t* packet) { return get_be32(packet + addressOffset); }
    static uint32_t valueOf(const uint8_t* packet) { return get_be32(packet + valueOffset); }
};
