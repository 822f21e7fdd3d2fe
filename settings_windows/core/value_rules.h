#pragma once
// Small value conversions of the settings pages, kept apart from the widgets
// so that tests can drive them directly.
#include <cstdint>
#include <optional>
#include <string>

#include "sensor_interface/settings/register_decimal.h"

namespace value_rules {

// --- raw register tool ---
// The 32-bit pattern a value of the tool's value box stands for: integral
// values from -2^31 to 2^32 - 1 (a value above 2^31 - 1 is read as unsigned);
// nothing for any other value, which is then not written.
std::optional<int32_t> registerPattern(double value);
// A register value as the tool shows it: unsigned, 0 to 4294967295.
inline double registerShown(int32_t value) { return static_cast<double>(static_cast<uint32_t>(value)); }

// --- dead zone (registers 804 and 805) ---
// Register 804 holds sixteenths: shown as (signed) value x 0.0625.
inline double gradientShown(uint32_t reg804) { return static_cast<int32_t>(reg804) * 0.0625; }
// The shown value x 16, truncated toward zero.
inline int gradientStored(double shown) { return mirevo::settings::register_from_decimal(shown, 16.0); }

// --- weld filter (register 785, height threshold in micrometres) ---
inline double heightThresholdShownMm(uint32_t reg785) { return static_cast<int32_t>(reg785) / 1000.0; }
// Millimetres x 1000, the double product truncated toward zero (1.001 writes
// 1000).
inline int heightThresholdStored(double mm) {
    return mirevo::settings::register_from_decimal(mm, 1000.0, mirevo::settings::DecimalCut::ProductTruncated);
}
// Register 777 takes a width from 1 to the profile point count only.
inline bool validWidth(int width, int profilePoints) { return width >= 1 && width <= profilePoints; }

// --- firmware gates ---
// The weld filter's registers exist on new-series heads whose version word
// (register 166) has low 12 bits of 844 or more.
inline bool cloudFilterAvailable(bool newSeries, bool versionRead, uint32_t version166) {
    return newSeries && versionRead && (version166 & 0xFFFu) > 843u;
}

// --- terminal settings: the text forms of the two minimum input times ---
// Nanoseconds: "Nns" below 1000, "Nus" (n / 1000) below 1000000, else "Nms" (n / 1000000).
std::string encoderTimeText(int ns);
// Microseconds: "Nμs" below 1000, else "Nms" (n / 1000).
std::string terminalTimeText(int us);
// Back from an item text: "ns" dropped, "us" read as "000", "ms" as "000000";
// the rest read as a decimal integer (0 when it is none).
int encoderTimeFromText(const std::string& text);
// "μs" dropped, "ms" read as "000".
int terminalTimeFromText(const std::string& text);

}  // namespace value_rules
