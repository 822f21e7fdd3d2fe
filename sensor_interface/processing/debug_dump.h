#pragma once
// Debug dumps of the profile pipeline: while switched on, each dump appends one
// line of comma-terminated values to a file in the working folder.
#include <atomic>
#include <cstdint>

// Process-wide switch, set by the advanced settings dialog; 0 at start.
extern std::atomic<int> data_save_enabled;

// Whether the dumps write anything now.
inline bool dumps_written() { return data_save_enabled.load(std::memory_order_relaxed) == 1; }

void dump_doubles(const char* fileName, const double* values, int count);
void dump_bytes(const char* fileName, const uint8_t* values, int count);
void dump_words16(const char* fileName, const uint16_t* values, int count);
void dump_words32(const char* fileName, const uint32_t* values, int count);
