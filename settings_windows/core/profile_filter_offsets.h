#pragma once
// Settings optimisation of the profile processing page: with settings.ini
// [system] SettingsOptimizedEn on, the sensor holds the shown filter values
// and time-axis counts plus per-installation offsets ([SettingsOptimized]).
// Values and offsets are unsigned 16-bit; adding or removing wraps.
#include <cstdint>
#include <string>

namespace profile_filters {

enum Value { XAverage, XMedian, YAverage, YMedian, DealTimes, RestoreTimes };
constexpr int kValues = 6;

// Key of the value's offset in [SettingsOptimized].
const char* offsetKey(Value value);

struct Range {
    uint16_t low;
    uint16_t high;
};
// X average 1..256, the medians and the time-axis average 1..9, the counts 0..99.
Range range(Value value);

inline uint16_t shownFromSensor(uint16_t sensor, uint16_t offset, bool optimised) {
    return optimised ? static_cast<uint16_t>(sensor - offset) : sensor;
}
inline uint16_t sensorFromShown(uint16_t shown, uint16_t offset, bool optimised) {
    return optimised ? static_cast<uint16_t>(shown + offset) : shown;
}
// The sensor value after optimisation is switched on (offset added) or off
// (offset removed).
inline uint16_t rebased(uint16_t sensor, uint16_t offset, bool switchedOn) {
    return switchedOn ? static_cast<uint16_t>(sensor + offset) : static_cast<uint16_t>(sensor - offset);
}

struct Checked {
    uint16_t value;   // clamped into the range
    bool outOfRange;  // the value given was outside it
};
Checked clampToRange(Value value, uint16_t given);

// Combo item texts: the decimal value; for the medians 0 and 1 are "off".
std::string itemText(Value value, uint16_t shown);
// Back from an item text: "off" is 1.
uint16_t itemValue(const std::string& text);

}  // namespace profile_filters
