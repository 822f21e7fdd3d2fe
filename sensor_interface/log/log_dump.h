#pragma once
// Dump files: the recent run-log records, the register values and optionally
// two raw data blocks, each dump in a new "dump" file.
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "sensor_interface/log/laser_queue.h"
#include "sensor_interface/log/logger.h"

class LogDump : public Logger {
public:
    static constexpr size_t kSmallBlockBytes = 2048;
    static constexpr size_t kLargeBlockBytes = 8192;

    LogDump(const std::filesystem::path& baseFolder, LogClock clock, LogLimits limits = {});

    // Writes one dump file unless logging is switched off (threshold 0 or
    // below). The data blocks are written only when both are given.
    // True when the file was written.
    bool dump(const LaserQueue<LogRecord>& records, const std::vector<uint32_t>& registers,
              const uint8_t* smallBlock, const uint8_t* largeBlock, int threshold);

private:
    void writeRegisters(const std::vector<uint32_t>& registers);
    void writeHex(const uint8_t* bytes, size_t size);

    std::mutex mutex_;
};
