#pragma once
// Identity texts and measuring-range figures of a head, taken from its head
// information and registers. Pure functions, so that the rules can be checked
// without a sensor.
#include <cstddef>
#include <cstdint>
#include <string>

#include "sensor_interface/settings/hvq5_settings.h"

namespace model_info {

// Characters of the display model handed to callers (plus a NUL in 16 bytes).
constexpr std::size_t kModelCapacity = 16;
// Characters of a serial field (plus a NUL in 17 bytes).
constexpr std::size_t kSerialLength = 16;

// The model text as the head reports it (up to its first NUL).
std::string model_text(const zp_laser_reg::laser_params& params);

// The name shown for a head: the text after the first '>' of the model text;
// without one, the alternative name beside it, or the model text when that is
// empty. A leading "ZP" is dropped.
std::string display_model(const zp_laser_reg::laser_params& params);

// The raw 16 bytes of the head serial and of the controller serial.
const char* head_serial_bytes(const zp_laser_reg::laser_params& params);
const char* controller_serial_bytes(const zp_laser_reg::laser_params& params);

// Copies at most capacity - 1 characters of text and a NUL.
void copy_bounded(char* target, std::size_t capacity, const std::string& text);

// One end of the measuring range in mm: (register 350 - other) / 256,
// divided as integers toward zero, / 1000.
double range_end_mm(uint32_t reg350, uint32_t other);

// Height step of the 16-bit codes by register 354: kind 0 is 256 / register
// 353, kind 1 a fixed 1/256, kinds 2 and 3 have none (0.0). A register 353 of
// 0 leaves the step unknown (0.0). False for kinds outside 0..3.
bool z_step(uint32_t reg354, uint32_t reg353, double& step);

}  // namespace model_info

// Full model text of an open head (at most 15 characters and a NUL into 16
// bytes); 4097 when the id is not open or model is null. For the program's
// own client, not exported.
int hvq5_get_model_text(int id, char* model);
