#include "sensor_interface/settings/decimal_text.h"

namespace mirevo::settings {
namespace {

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

constexpr int64_t kLowest = -2147483648LL;
constexpr int64_t kHighest = 4294967295LL;

}  // namespace

uint32_t parse_register_word(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && is_space(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // The magnitude saturates just past the widest accepted value, so long digit
    // runs cannot overflow.
    int64_t magnitude = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        magnitude = magnitude * 10 + (text[pos] - '0');
        if (magnitude > kHighest) magnitude = kHighest + 1;
    }
    int64_t value = negative ? -magnitude : magnitude;
    if (value < kLowest) value = kLowest;
    if (value > kHighest) value = kHighest;
    return static_cast<uint32_t>(value);
}

}  // namespace mirevo::settings
