#include "sensor_interface/settings/setting_dispatcher_rules.h"

#include <cmath>
#include <limits>

namespace setting_rules {

const std::array<uint32_t, 6> kRegister150Values = {130, 110, 90, 70, 50, 30};
const std::array<uint32_t, 9> kExposureTimesUs = {2, 10, 25, 50, 100, 200, 500, 1000, 2000};

namespace {

// The scale bounds as raw register values, narrowed to float as the sensor
// tools compute them.
float scaleToRaw(double volts) { return static_cast<float>(volts / 5.0 * 65535.0); }

int64_t saturatingTrunc(double value, double lowest, double highest) {
    if (std::isnan(value)) return 0;
    if (value <= lowest) return static_cast<int64_t>(lowest);
    if (value >= highest) return static_cast<int64_t>(highest);
    return static_cast<int64_t>(value);
}

}  // namespace

uint32_t rateFromPeriod(uint32_t periodUs) { return periodUs == 0 ? 1u : 1000000u / periodUs; }

uint32_t periodFromRate(uint32_t rateHz) { return 1000000u / (rateHz < 10u ? 10u : rateHz); }

int32_t lightPercentFromRaw(uint32_t raw, const LightScale& scale) {
    const float low = scaleToRaw(scale.low);
    const float high = scaleToRaw(scale.high);
    if (!(high > low)) return 1;
    const float share = (static_cast<float>(raw) - low) / (high - low);
    const int32_t percent = static_cast<int32_t>(saturatingTrunc(
        static_cast<double>(share) * 100.0, std::numeric_limits<int32_t>::min(),
        std::numeric_limits<int32_t>::max()));
    return percent == 0 ? 1 : percent;
}

uint32_t lightRawFromPercent(uint32_t percent, const LightScale& scale) {
    const float high = scaleToRaw(scale.high);
    const float low = scaleToRaw(scale.low);
    const int64_t step = saturatingTrunc(static_cast<float>(percent) * ((high - low) / 100.0),
                                         std::numeric_limits<int32_t>::min(),
                                         std::numeric_limits<int32_t>::max());
    const float sum = static_cast<float>(step) + low;
    const uint32_t raw =
        static_cast<uint32_t>(saturatingTrunc(sum, 0.0, std::numeric_limits<uint32_t>::max()));
    if (static_cast<float>(raw) > high) return static_cast<uint32_t>(static_cast<int64_t>(high - 1.0));
    return raw;
}

std::array<int, 4> zRangeRowTable(int cameraRows) {
    std::array<int, 4> table{};
    if (cameraRows < 0) return table;
    for (int i = 0; i < 4; ++i) table[i] = ((cameraRows >> i) / 16) * 16;
    return table;
}

uint32_t zRangeIndex(uint32_t rows, const std::array<int, 4>& table) {
    for (uint32_t i = 0; i < table.size(); ++i) {
        if (static_cast<uint32_t>(table[i]) == rows) return i;
    }
    return rows;
}

uint8_t register150Index(uint32_t value) {
    for (uint8_t i = 0; i < kRegister150Values.size(); ++i) {
        if (kRegister150Values[i] == value) return i;
    }
    return static_cast<uint8_t>(value & 0xFF);
}

int32_t nextTriggerCount(int32_t previous, int32_t counter) {
    const uint32_t step = static_cast<uint32_t>(counter) - static_cast<uint32_t>(previous);
    if (step <= 3) return static_cast<int32_t>(static_cast<uint32_t>(previous) + 1u);
    return counter;
}

uint32_t rowWindowHeight(uint32_t window) {
    const uint32_t first = window & 0xFFFF;
    const uint32_t last = window >> 16;
    // An empty or reversed window carries no span: pass the start row on.
    if (last <= first) return first;
    const uint32_t span = last - first;
    // The smallest supported height that covers the whole span.
    uint32_t height = 32;
    while (height < span && height < 2048) height *= 2;
    return height;
}

}  // namespace setting_rules
