#pragma once
// Where an extended value of a sensor is kept: in one of the sensor's own
// registers or in the interface's block (saved to the per-device settings file).
#include <cstdint>

namespace mirevo::settings {

enum class ExtendValue {
    StartFrameTimeout,
    TimeoutCallbackAmount,
    ContinuousFrameTimeout,
    FeatureWord,
    GrayGamma,            // register holds gamma x 100
    ProfileOutputWidth,
    RunMode,
    ZOffset563,           // register holds millimetres x 100
    LightOffsetUpper,
};

struct ExtendPlacement {
    bool in_register;
    uint32_t reg;  // meaningful when in_register
};

// Newer heads keep the frame time-outs and the feature word in registers 769 to
// 772: family '3', or any family but '3' and '4' whose register 166 has low 12
// bits above 841. reg166 is the cached value of register 166.
bool head_keeps_extend_in_registers(char series, uint32_t reg166);

ExtendPlacement place_extend_value(ExtendValue value, char series, uint32_t reg166);

// Whether opening the head loads the per-device settings file into the block.
// Narrower than the registers test above: a family-'6' head with a new
// register 166 still loads its file, although its values are read from registers.
bool head_loads_settings_file(char series, uint32_t reg166);

}  // namespace mirevo::settings
