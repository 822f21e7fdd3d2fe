#include "settings_windows/core/plc_settings.h"

#include <cstdio>

namespace plc {

std::optional<uint32_t> parseAddress(const std::string& text) {
    uint32_t address = 0;
    int octets = 0;
    size_t at = 0;
    while (octets < 4) {
        size_t digits = 0;
        uint32_t octet = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 3) {
            octet = octet * 10 + static_cast<uint32_t>(text[at] - '0');
            ++digits;
            ++at;
        }
        if (digits == 0 || octet > 255) return std::nullopt;
        address = (address << 8) | octet;
        ++octets;
        if (octets < 4) {
            if (at >= text.size() || text[at] != '.') return std::nullopt;
            ++at;
        }
    }
    if (at != text.size()) return std::nullopt;
    return address;
}

std::string addressText(uint32_t value) {
    return std::to_string(value >> 24) + "." + std::to_string((value >> 16) & 0xFF) + "." +
           std::to_string((value >> 8) & 0xFF) + "." + std::to_string(value & 0xFF);
}

bool lacksModbusRtu(uint32_t version135) { return ((version135 >> 8) & 0xFF) == 7; }

std::string hardwareVersionText(uint32_t version135) {
    char text[16];
    std::snprintf(text, sizeof(text), "%04x", version135);
    return text;
}

ProtocolRows protocolRows(int protocol, bool dbSelected) {
    ProtocolRows rows;
    rows.finsNode = protocol == FinsTcp;
    rows.s7Rows = protocol == S7;
    rows.dbNumber = protocol == S7 && dbSelected;
    rows.station = protocol == ModbusTcp || protocol == ModbusRtu;
    rows.stationType = rows.station;
    rows.baudRate = protocol == ModbusRtu;
    rows.linkControls = protocol != ModbusRtu;
    rows.stationTypeEnabled = protocol == ModbusRtu;
    rows.addressTypeEnabled = protocol != ModbusTcp && protocol != ModbusRtu;
    if (protocol == FinsTcp) rows.addressTypes = {"DM"};
    if (protocol == S7) rows.addressTypes = {"M", "DB"};
    return rows;
}

int addressTypeIndex(int protocol, uint32_t dbNumber) {
    if (protocol == FinsTcp) return 0;
    if (protocol == S7) return dbNumber != 0 ? 1 : 0;
    return -1;
}

}  // namespace plc
