#pragma once
// The arithmetic behind single settings, kept apart from the register traffic
// so that each rule can be checked on its own.
#include <array>
#include <cstdint>

#include "sensor_interface/settings/setting_transport.h"

namespace setting_rules {

// Line rate in Hz from a line period in microseconds; 1 for a period of 0.
uint32_t rateFromPeriod(uint32_t periodUs);

// Line period in microseconds for a requested rate; rates below 10 Hz count as 10.
uint32_t periodFromRate(uint32_t rateHz);

// Light level of a raw light-control value, in percent of the scale (never 0).
int32_t lightPercentFromRaw(uint32_t raw, const LightScale& scale);

// Raw light-control value of a percentage, kept below the top of the scale.
uint32_t lightRawFromPercent(uint32_t percent, const LightScale& scale);

// Camera rows of the four z ranges of a head: its rows divided by 1, 2, 4 and
// 8, each rounded down to a multiple of 16.
std::array<int, 4> zRangeRowTable(int cameraRows);

// Index 0..3 of camera rows in the z-range row table, else the rows themselves.
uint32_t zRangeIndex(uint32_t rows, const std::array<int, 4>& table);

// Index 0..5 of a value in the register-150 table, else its low byte.
uint8_t register150Index(uint32_t value);
extern const std::array<uint32_t, 6> kRegister150Values;

extern const std::array<uint32_t, 9> kExposureTimesUs;

// The trigger counter advances by one when it moved by at most 3, else it jumps.
int32_t nextTriggerCount(int32_t previous, int32_t counter);

// Height of the camera row window (register 224) for a packed window value:
// start row in the low 16 bits, end row in the high 16 bits.
uint32_t rowWindowHeight(uint32_t window);

}  // namespace setting_rules
