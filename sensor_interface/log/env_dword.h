#pragma once
// Per-user numeric settings of the run log (ZP_RUNLOG_EN, ZP_RUNLOG_MAX_SIZE,
// ZP_DUMP_MAX_SIZE), kept in the environment store of the platform layer.
#include <cstdint>

// The stored value; 1 when it is missing or not a number.
uint32_t read_env_dword(const char* name);
// Stores the value (negative values as their 32-bit pattern). False when it
// could not be stored.
bool write_env_dword(const char* name, int value);
