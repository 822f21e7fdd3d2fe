// The address texts of the IP edit dialog: only four numbers 0..255 are an
// address.
#include "app/net_address_text.h"

#include <gtest/gtest.h>

TEST(NetAddressText, FourNumbersAreAnAddress) {
    const struct {
        const char* text;
        std::array<uint8_t, 4> bytes;
    } table[] = {{"192.168.1.10", {192, 168, 1, 10}},
                 {"0.0.0.0", {0, 0, 0, 0}},
                 {"255.255.255.0", {255, 255, 255, 0}},
                 {"010.001.000.255", {10, 1, 0, 255}}};
    for (const auto& row : table) {
        const auto bytes = parseNetAddressText(row.text);
        ASSERT_TRUE(bytes.has_value()) << row.text;
        EXPECT_EQ(*bytes, row.bytes) << row.text;
    }
}

TEST(NetAddressText, AnythingElseIsRefused) {
    for (const char* text : {"", "...", "192.168.1.", "192.168..10", "192.168.1", "192.168.1.10.5",
                             "256.1.1.1", "1.1.1.300", "1.1.1.1000", "a.b.c.d", "1.1.1.-1", "1.1.1. 1",
                             "1.1.1.+1", "１.1.1.1"}) {
        EXPECT_FALSE(parseNetAddressText(QString::fromUtf8(text)).has_value()) << text;
    }
}

TEST(NetAddressText, BytesAsDottedText) {
    const uint8_t bytes[4] = {10, 0, 255, 7};
    EXPECT_EQ(netAddressText(bytes), "10.0.255.7");
}
