// The addresses of the heads of a four-head sensor.
#include <gtest/gtest.h>

#include "app/head_switch.h"

namespace {

struct HeadAddressCase {
    const char* firstHead;
    int index;
    const char* expected;  // nullptr: no address, the switch fails with 2
};

class HeadAddress : public testing::TestWithParam<HeadAddressCase> {};

TEST_P(HeadAddress, IsTheLastByteIncreasedByTheIndex) {
    const HeadAddressCase& c = GetParam();
    const std::optional<QString> address = head_switch::headAddress(QString::fromLatin1(c.firstHead), c.index);
    if (c.expected) {
        ASSERT_TRUE(address.has_value());
        EXPECT_EQ(address->toStdString(), c.expected);
    } else {
        EXPECT_FALSE(address.has_value()) << address->toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, HeadAddress,
    testing::Values(HeadAddressCase{"192.168.1.10", 0, "192.168.1.10"},
                    HeadAddressCase{"192.168.1.10", 1, "192.168.1.11"},
                    HeadAddressCase{"192.168.1.10", 2, "192.168.1.12"},
                    HeadAddressCase{"192.168.1.10", 3, "192.168.1.13"},
                    HeadAddressCase{"127.0.0.252", 3, "127.0.0.255"},
                    // The last byte would wrap to another device.
                    HeadAddressCase{"192.168.1.254", 3, nullptr}, HeadAddressCase{"192.168.1.255", 1, nullptr},
                    HeadAddressCase{"192.168.1.255", 0, "192.168.1.255"},
                    // No stored address, or none that is four numbers.
                    HeadAddressCase{"", 1, nullptr}, HeadAddressCase{"192.168.1", 1, nullptr},
                    HeadAddressCase{"192.168.1.", 1, nullptr}, HeadAddressCase{"192.168.1.x", 1, nullptr},
                    HeadAddressCase{"192.168.1.10.5", 1, nullptr}, HeadAddressCase{"300.168.1.10", 1, nullptr},
                    HeadAddressCase{"sensor.local", 0, nullptr},
                    // Heads are 0 to 3.
                    HeadAddressCase{"192.168.1.10", 4, nullptr}, HeadAddressCase{"192.168.1.10", -1, nullptr}));

TEST(HeadSwitchStatus, OnlyTheOpensThatConnectLeaveTheClientOnTheNewHead) {
    for (int status : {0, 254, 255}) EXPECT_TRUE(head_switch::reopened(status)) << status;
    for (int status : {-1, 2, 3, 5, 4096}) EXPECT_FALSE(head_switch::reopened(status)) << status;
}

}  // namespace
