#include "sensor_interface/log/env_dword.h"

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/env_store.h"

namespace {

// Decimal (a leading minus wraps like a 32-bit pattern) or 0x-prefixed hex.
std::optional<uint32_t> parseDword(const std::string& text) {
    if (text.empty()) return std::nullopt;
    const bool negative = text[0] == '-';
    const char* digits = text.c_str() + (negative ? 1 : 0);
    if (*digits < '0' || *digits > '9') return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const bool hex = digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    const unsigned long long value = std::strtoull(digits, &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0') return std::nullopt;
    if (negative) {
        if (value > 0x80000000ull) return std::nullopt;
        return static_cast<uint32_t>(0u - static_cast<uint32_t>(value));
    }
    if (value > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<uint32_t>(value);
}

}  // namespace

uint32_t read_env_dword(const char* name) {
    if (!name) return 1;
    const auto text = mirevo::platform::readEnvValue(name);
    if (!text) return 1;
    return parseDword(*text).value_or(1);
}

bool write_env_dword(const char* name, int value) {
    if (!name) return false;
    return mirevo::platform::writeEnvValue(name, std::to_string(static_cast<uint32_t>(value)));
}
