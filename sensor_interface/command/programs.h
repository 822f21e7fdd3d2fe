#pragma once
// The sensor's stored programs and resets: the system (173) and program (174)
// commands, and what the factory reset writes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sensor_interface/settings/hvq5_settings.h"

namespace programs {

constexpr int kProgramCount = 16;
constexpr int kFactoryBlock = 15;        // parameter block of the default values
constexpr std::size_t kFactoryValues = 128;  // values the parameter block holds
constexpr int kFactoryPrograms = 15;     // programs 0 to 14 take the defaults; 15 is kept

// The (register, value) writes of a factory reset: the user registers in
// table order, as far as the default block holds values for them. Registers
// past the block have no default and are left as they are.
std::vector<zp_laser_reg::regvals> factoryDefaultWrites(std::vector<zp_laser_reg::regvals> userPairs,
                                                        std::size_t valuesHeld = kFactoryValues);

}  // namespace programs
