#include "settings_windows/core/value_rules.h"

#include <cmath>
#include <cstdlib>

namespace value_rules {
namespace {

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

int decimal(const std::string& text) { return static_cast<int>(std::strtol(text.c_str(), nullptr, 10)); }

}  // namespace

std::optional<int32_t> registerPattern(double value) {
    if (!std::isfinite(value) || value != std::trunc(value)) return std::nullopt;
    if (value < -2147483648.0 || value > 4294967295.0) return std::nullopt;
    if (value < 0) return static_cast<int32_t>(static_cast<int64_t>(value));
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(value)));
}

std::string encoderTimeText(int ns) {
    if (ns < 1000) return std::to_string(ns) + "ns";
    if (ns < 1000000) return std::to_string(ns / 1000) + "us";
    return std::to_string(ns / 1000000) + "ms";
}

std::string terminalTimeText(int us) {
    if (us < 1000) return std::to_string(us) + "μs";
    return std::to_string(us / 1000) + "ms";
}

int encoderTimeFromText(const std::string& text) {
    return decimal(replaceAll(replaceAll(replaceAll(text, "ns", ""), "us", "000"), "ms", "000000"));
}

int terminalTimeFromText(const std::string& text) {
    return decimal(replaceAll(replaceAll(text, "μs", ""), "ms", "000"));
}

}  // namespace value_rules
