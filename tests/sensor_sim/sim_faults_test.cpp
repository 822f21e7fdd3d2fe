#include "tools/sensor_sim/sim_faults.h"

#include <gtest/gtest.h>

using namespace sensor_sim;

namespace {

Request request(uint8_t opcode, uint32_t address) {
    Request r;
    r.opcode = opcode;
    r.address = address;
    return r;
}

}  // namespace

TEST(SimFaults, LimitedFaultIsUsedUpAndUnlimitedStays) {
    FaultTable table;
    table.setRegisterFault(10, Fault{FaultKind::Silence, 0, 1, 6, 2});
    table.setRegisterFault(11, Fault{FaultKind::Delay, 5, 1, 6, -1});
    Fault fault;
    EXPECT_TRUE(table.take(request(161, 10), &fault));
    EXPECT_TRUE(table.take(request(160, 10), &fault));
    EXPECT_FALSE(table.take(request(161, 10), &fault));
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(table.take(request(161, 11), &fault));
    EXPECT_EQ(fault.kind, FaultKind::Delay);
}

TEST(SimFaults, RegisterFaultsApplyToRegisterOpcodesAndWinOverOpcodeFaults) {
    FaultTable table;
    table.setRegisterFault(5, Fault{FaultKind::ShortEcho});
    table.setOpcodeFault(161, Fault{FaultKind::CloseConnection});
    Fault fault;
    ASSERT_TRUE(table.take(request(161, 5), &fault));
    EXPECT_EQ(fault.kind, FaultKind::ShortEcho);
    ASSERT_TRUE(table.take(request(161, 6), &fault));
    EXPECT_EQ(fault.kind, FaultKind::CloseConnection);
    EXPECT_FALSE(table.take(request(177, 5), &fault)) << "a block opcode on the same number is no register access";
    table.clear();
    EXPECT_FALSE(table.take(request(161, 5), &fault));
}

TEST(SimFaults, CommandFaultsHitOneAddressOfOneOpcodeAndWinOverTheOthers) {
    FaultTable table;
    table.setCommandFault(173, 0x20000, Fault{FaultKind::WrongAddressEcho, 0, 1, 6, 1});
    table.setOpcodeFault(173, Fault{FaultKind::Silence});
    table.setCommandFault(160, 7, Fault{FaultKind::ShortEcho});
    table.setRegisterFault(7, Fault{FaultKind::CloseConnection});
    Fault fault;
    ASSERT_TRUE(table.take(request(173, 0x20000), &fault));
    EXPECT_EQ(fault.kind, FaultKind::WrongAddressEcho);
    ASSERT_TRUE(table.take(request(173, 0x20000), &fault)) << "used up: the opcode fault applies";
    EXPECT_EQ(fault.kind, FaultKind::Silence);
    ASSERT_TRUE(table.take(request(160, 7), &fault));
    EXPECT_EQ(fault.kind, FaultKind::ShortEcho);
    ASSERT_TRUE(table.take(request(161, 7), &fault));
    EXPECT_EQ(fault.kind, FaultKind::CloseConnection);
    EXPECT_FALSE(table.take(request(174, 0x20000), &fault));
}

TEST(SimWire, PacketEncodingIsBigEndianWithCrLf) {
    auto bytes = encodePacket(160, 0x00010203, 0xFFFEFDFC);
    const std::vector<uint8_t> expected{160, 0, 1, 2, 3, 0xFF, 0xFE, 0xFD, 0xFC, 0x0D, 0x0A};
    EXPECT_EQ(bytes, expected);
    Request decoded = decodePacket(bytes.data());
    EXPECT_EQ(decoded.address, 0x00010203u);
    EXPECT_EQ(decoded.hi(), 1u);
    EXPECT_EQ(decoded.lo(), 0x0203u);
    EXPECT_EQ(decoded.value, 0xFFFEFDFCu);
}
