#include "sensor_interface/command/register_packet.h"

#include <gtest/gtest.h>

TEST(RegisterPacket, BuildLaysOutOpcodeBigEndianFieldsAndCrLf) {
    RegisterPacket::Bytes bytes = RegisterPacket::build(161, 0x01020304u, 0xA0B0C0D0u);
    const RegisterPacket::Bytes expected{161, 0x01, 0x02, 0x03, 0x04, 0xA0, 0xB0, 0xC0, 0xD0, 0x0D, 0x0A};
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(RegisterPacket::addressOf(bytes.data()), 0x01020304u);
    EXPECT_EQ(RegisterPacket::valueOf(bytes.data()), 0xA0B0C0D0u);
}

TEST(RegisterPacket, Be32RoundTripsExtremes) {
    for (uint32_t value : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0x00FF00FFu}) {
        uint8_t bytes[4];
        RegisterPacket::put_be32(bytes, value);
        EXPECT_EQ(bytes[0], value >> 24);
        EXPECT_EQ(RegisterPacket::get_be32(bytes), value);
    }
}
