#pragma once
// The run log: every message goes to the shared memory of recent records, and
// those at or below the user's level threshold into the current "runlog" file.
#include <memory>
#include <mutex>

#include "sensor_interface/log/laser_queue.h"
#include "sensor_interface/log/log_level_gate.h"
#include "sensor_interface/log/logger.h"

class LogWriter : public Logger {
public:
    LogWriter(const std::filesystem::path& baseFolder, std::shared_ptr<LaserQueue<LogRecord>> queue,
              std::shared_ptr<LogLevelGate> gate, LogClock clock, LogLimits limits = {});

    // Level 0: results and errors, 1: notices, 2: traces.
    void write(const std::string& message, int level);
    // Several lines of one level logged at one time, in order: a text, or the
    // numbers of a frame line whose text is made only when it is written or read.
    struct Line {
        const std::string* text = nullptr;
        const FrameLineNumbers* frame = nullptr;
    };
    void writeLines(const Line* lines, size_t count, int level);

private:
    // The record into the file when the threshold takes its level; under mutex_.
    void toFile(const LogRecord& record, int threshold, int level);

    std::mutex mutex_;
    LogRecord record_;  // under mutex_
    std::shared_ptr<LaserQueue<LogRecord>> queue_;
    std::shared_ptr<LogLevelGate> gate_;
};
