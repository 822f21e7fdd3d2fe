#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings_windows/core/plc_settings.h"

TEST(PlcAddress, OnlyFourDecimalOctetsMakeAnAddress) {
    const struct {
        const char* text;
        std::optional<uint32_t> address;
    } cases[] = {
        {"192.168.001.010", 0xC0A8010Au},  // leading zeros are decimal, not octal
        {"192.168.1.10", 0xC0A8010Au},
        {"0.0.0.0", 0u},
        {"255.255.255.255", 0xFFFFFFFFu},
        {"...", std::nullopt},
        {"192.168.1.", std::nullopt},
        {"192.168..10", std::nullopt},
        {"192.168.1", std::nullopt},
        {"256.1.1.1", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"1.2.3.4 ", std::nullopt},
        {"1234.1.1.1", std::nullopt},
        {"0x1.2.3.4", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(plc::parseAddress(c.text), c.address);
    }
    EXPECT_EQ(plc::addressText(0xC0A8010Au), "192.168.1.10");
}

TEST(PlcHardware, RegisterWithSevenInBitsEightToFifteenHasNoModbusRtu) {
    EXPECT_TRUE(plc::lacksModbusRtu(0x0701));
    EXPECT_FALSE(plc::lacksModbusRtu(0x0601));
    EXPECT_FALSE(plc::lacksModbusRtu(0x0007));
    EXPECT_EQ(plc::hardwareVersionText(0x0701), "0701");
    EXPECT_EQ(plc::hardwareVersionText(0x12345), "12345");
}

TEST(PlcProtocol, EachProtocolShowsItsOwnRows) {
    const plc::ProtocolRows fins = plc::protocolRows(plc::FinsTcp, false);
    EXPECT_TRUE(fins.finsNode);
    EXPECT_FALSE(fins.s7Rows || fins.station || fins.baudRate || fins.dbNumber);
    EXPECT_TRUE(fins.linkControls && fins.addressTypeEnabled);
    EXPECT_EQ(fins.addressTypes, (std::vector<std::string>{"DM"}));

    const plc::ProtocolRows s7m = plc::protocolRows(plc::S7, false);
    EXPECT_TRUE(s7m.s7Rows);
    EXPECT_FALSE(s7m.dbNumber);
    EXPECT_TRUE(plc::protocolRows(plc::S7, true).dbNumber);
    EXPECT_EQ(s7m.addressTypes, (std::vector<std::string>{"M", "DB"}));

    const plc::ProtocolRows tcp = plc::protocolRows(plc::ModbusTcp, false);
    EXPECT_TRUE(tcp.station && tcp.stationType);
    EXPECT_FALSE(tcp.stationTypeEnabled || tcp.addressTypeEnabled || tcp.baudRate);
    EXPECT_TRUE(tcp.linkControls);
    EXPECT_TRUE(tcp.addressTypes.empty());

    const plc::ProtocolRows rtu = plc::protocolRows(plc::ModbusRtu, false);
    EXPECT_TRUE(rtu.station && rtu.stationType && rtu.stationTypeEnabled && rtu.baudRate);
    EXPECT_FALSE(rtu.linkControls || rtu.addressTypeEnabled || rtu.finsNode);

    EXPECT_EQ(plc::addressTypeIndex(plc::FinsTcp, 5), 0);
    EXPECT_EQ(plc::addressTypeIndex(plc::S7, 12), 1);
    EXPECT_EQ(plc::addressTypeIndex(plc::S7, 0), 0);
    EXPECT_EQ(plc::addressTypeIndex(plc::ModbusTcp, 12), -1);
}
