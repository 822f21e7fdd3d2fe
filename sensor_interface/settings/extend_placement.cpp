#include "sensor_interface/settings/extend_placement.h"

namespace mirevo::settings {
namespace {

uint32_t firmware_level(uint32_t reg166) { return reg166 & 0xFFF; }

}  // namespace

bool head_keeps_extend_in_registers(char series, uint32_t reg166) {
    if (series == '3') return true;
    if (series == '4') return false;
    return firmware_level(reg166) > 841;
}

ExtendPlacement place_extend_value(ExtendValue value, char series, uint32_t reg166) {
    const bool newer = head_keeps_extend_in_registers(series, reg166);
    switch (value) {
        case ExtendValue::StartFrameTimeout: return {newer, 769};
        case ExtendValue::TimeoutCallbackAmount: return {newer, 770};
        case ExtendValue::ContinuousFrameTimeout: return {newer, 771};
        case ExtendValue::FeatureWord: return {newer, 772};
        case ExtendValue::GrayGamma: return {true, 742};
        case ExtendValue::ProfileOutputWidth: return {true, 752};
        case ExtendValue::RunMode: return {true, 753};
        case ExtendValue::ZOffset563: return {true, 754};
        case ExtendValue::LightOffsetUpper: return {true, 755};
    }
    return {false, 0};
}

bool head_loads_settings_file(char series, uint32_t reg166) {
    if (series == '3') return false;
    return !(series == '5' && firmware_level(reg166) >= 842);
}

}  // namespace mirevo::settings
