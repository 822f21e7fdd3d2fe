#pragma once
#include <cstdint>
#include <string>

// One run-log message with the time it was logged, in 100-ns ticks since
// 1970-01-01 UTC.
struct LogRecord {
    int64_t ticks = 0;
    std::string message;
};
