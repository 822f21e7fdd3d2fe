#pragma once
// The arithmetic of the laser-power and temperature exports.
#include <cstdint>

namespace setting_exports {

// Register 158 for a laser power in percent: at most 99 % of 65535, truncated.
uint32_t laser_power_value(uint8_t percent);

// Register 131 as degrees x 100: the value / 128, in single precision.
short temperature1_centi(uint32_t reg131);

// Register 132 as degrees x 100: value x 503.975 / 65536 - 273.15.
short temperature2_centi(uint32_t reg132);

}  // namespace setting_exports
