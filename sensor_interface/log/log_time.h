#pragma once
// Time of the run log: 100-ns ticks since 1970-01-01 UTC, shown in local time.
#include <cstdint>
#include <functional>
#include <string>

// Where loggers take "now" from; tests install a clock of their own.
using LogClock = std::function<int64_t()>;

constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kTicksPerMillisecond = 10'000;

int64_t systemTicks();

// "2024-05-06 07:08:09.010"
std::string formatTimeText(int64_t ticks);
// "2024-05-06_07-08-09-010", the start of every log file name
std::string formatTimeStamp(int64_t ticks);
