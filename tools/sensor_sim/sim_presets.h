#pragma once
// Named heads for the settings windows' tests: the series the pages tell
// apart by the model text's third character and by the version words, and a
// head whose line-rate registers give a known maximum line rate.
#include <cstdint>

#include "tools/sensor_sim/sim_models.h"

namespace sensor_sim {

// The highest line rate of knownLineRatePreset: an exposure of 288 us plus the
// 12 us a series-'5' frame needs, a period of 300 us (longer than the readout
// of up to 1024 camera rows).
constexpr int kKnownMaxLineRateHz = 3333;

// Series '3' ("ZP3040", 848 points).
ModelPreset series3Preset();
// Series '4' ("ZP4040") with the given version word (register 166); above
// 28695 in its low 16 bits the head has the PLC output, above 28711 also the
// measured-value block. Register 135: bits 8 to 15 equal to 7 mark hardware
// without Modbus RTU (0x0701).
ModelPreset series4Preset(uint32_t version166 = 0x7, uint32_t firmware135 = 0x3);
// A new-series head ("ZP5160") with the given version word; the weld filter
// needs low 12 bits of 844 or more.
ModelPreset newSeriesPreset(uint32_t version166);
// The default series-'5' head with an exposure (register 162) of 288 us and
// no HDR or exposure segments: its maximum line rate is kKnownMaxLineRateHz.
ModelPreset knownLineRatePreset();

}  // namespace sensor_sim
