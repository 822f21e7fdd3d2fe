#include "tools/sensor_sim/sim_presets.h"

namespace sensor_sim {

ModelPreset series3Preset() {
    ModelPreset preset;
    preset.model = "ZP3040";
    return preset;
}

ModelPreset series4Preset(uint32_t version166, uint32_t firmware135) {
    ModelPreset preset;
    preset.model = "ZP4040";
    preset.firmware166 = version166;
    preset.firmware135 = firmware135;
    return preset;
}

ModelPreset newSeriesPreset(uint32_t version166) {
    ModelPreset preset;
    preset.model = "ZP5160";
    preset.firmware166 = version166;
    return preset;
}

ModelPreset knownLineRatePreset() {
    ModelPreset preset;
    preset.model = "ZP5160";
    preset.registers = {{162, 288}, {221, 0}, {530, 0}};
    return preset;
}

}  // namespace sensor_sim
