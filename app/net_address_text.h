#pragma once
// The dotted IPv4 texts of the address, mask and gateway edits.
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// The four bytes of a text of exactly four dot-separated decimal numbers
// 0..255; nothing for any other text (a half-filled field, an empty part, a
// number out of range), so that no garbage can become the sensor's address.
std::optional<std::array<uint8_t, 4>> parseNetAddressText(const QString& text);

// "a.b.c.d" of four bytes.
QString netAddressText(const uint8_t bytes[4]);
