#include "settings_windows/core/profile_filter_offsets.h"

#include <algorithm>
#include <cstdlib>

namespace profile_filters {

const char* offsetKey(Value value) {
    switch (value) {
        case XAverage: return "x_average";
        case XMedian: return "x_median";
        case YAverage: return "y_average";
        case YMedian: return "y_median";
        case DealTimes: return "invalid_points_deal_times";
        case RestoreTimes: return "invalid_points_restore_times";
    }
    return "";
}

Range range(Value value) {
    switch (value) {
        case XAverage: return {1, 256};
        case XMedian:
        case YAverage:
        case YMedian: return {1, 9};
        case DealTimes:
        case RestoreTimes: return {0, 99};
    }
    return {0, 0xFFFF};
}

Checked clampToRange(Value value, uint16_t given) {
    const Range r = range(value);
    const uint16_t clamped = std::clamp(given, r.low, r.high);
    return Checked{clamped, clamped != given};
}

std::string itemText(Value value, uint16_t shown) {
    if ((value == XMedian || value == YMedian) && shown <= 1) return "off";
    return std::to_string(shown);
}

uint16_t itemValue(const std::string& text) {
    if (text == "off") return 1;
    return static_cast<uint16_t>(std::strtol(text.c_str(), nullptr, 10));
}

}  // namespace profile_filters
