#pragma once
// Rules of the PLC output page that need no widget: the PLC address as the
// sensor keeps it and which rows each protocol shows.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plc {

// Register 843.
enum Protocol { FinsTcp = 0, S7 = 1, ModbusTcp = 2, ModbusRtu = 3 };

// Register 832 holds the address with the first octet in the most significant
// byte. Only four decimal octets of 1 to 3 digits each, 0 to 255, separated by
// dots make an address ("192.168.001.010" is 192.168.1.10); a partial or
// out-of-range text gives nothing, so that it is never sent.
std::optional<uint32_t> parseAddress(const std::string& text);
// Dotted text of a register 832 value.
std::string addressText(uint32_t value);

// Register 135 with 7 in bits 8 to 15 marks hardware without Modbus RTU.
bool lacksModbusRtu(uint32_t version135);
// "%1" of that message: the word in hexadecimal, at least 4 digits.
std::string hardwareVersionText(uint32_t version135);

// The rows and enabled states a protocol gives the page. dbSelected: the
// storage area shows "DB" (S7 only).
struct ProtocolRows {
    bool finsNode = false;
    bool s7Rows = false;       // rack, slot, local TSAP
    bool dbNumber = false;
    bool station = false;
    bool stationType = false;
    bool baudRate = false;
    bool linkControls = true;  // IP, port, connect button, status caption enabled; status shown
    bool stationTypeEnabled = false;
    bool addressTypeEnabled = true;
    std::vector<std::string> addressTypes;  // items of the storage-area combo
};
ProtocolRows protocolRows(int protocol, bool dbSelected);

// Index of the storage-area combo after a protocol switch (-1: empty combo).
int addressTypeIndex(int protocol, uint32_t dbNumber);

}  // namespace plc
