#pragma once
// Process-wide run log of the sensor interface. Any thread may log.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sensor_interface/log/laser_queue.h"
#include "sensor_interface/log/log_dump.h"
#include "sensor_interface/log/log_level_gate.h"
#include "sensor_interface/log/log_record.h"
#include "sensor_interface/log/log_time.h"
#include "sensor_interface/log/log_writer.h"

class LogManager {
public:
    static constexpr size_t kRecentRecords = 100;

    // Built on first use with its files in "zpsdk" beside the interface module.
    // It is never destroyed, so objects torn down at process exit can still log.
    static LogManager& instance();

    // The run log in zpsdkFolder/"runlog", the dumps in zpsdkFolder/"dump".
    explicit LogManager(const std::filesystem::path& zpsdkFolder, LogClock clock = systemTicks,
                        LogLimits limits = {});
    LogManager(const LogManager&) = delete;
    LogManager& operator=(const LogManager&) = delete;

    // Level 0: connection results and errors, 1: notices, 2: traces.
    void log(const std::string& message, int level);
    // Lines of one level at one time, in order (see LogWriter::writeLines).
    void logLines(const LogWriter::Line* lines, size_t count, int level);
    // Writes a dump file: the recent records, the register values and, when both
    // are given, the 2048- and 8192-byte data blocks.
    void dump(const std::vector<uint32_t>& registers, const uint8_t* block2048 = nullptr,
              const uint8_t* block8192 = nullptr);
    // One time-stamped line appended to "zpsdk/run_info.txt" (respectively
    // "zpsdk/reconnection_info.txt") under the working folder; skipped quietly
    // when that folder does not exist.
    void writeRunInfo(const std::string& text);
    void writeReconnectionInfo(const std::string& text);

    const LaserQueue<LogRecord>& recentRecords() const { return *queue_; }
    const LogWriter& writer() const { return writer_; }
    const LogDump& dumper() const { return dump_; }

    // "%Y-%m-%d_%H-%M-%S-" and three-digit milliseconds of the current local time.
    static std::string timeStampText();
    // "%Y-%m-%d %H:%M:%S" "." and three-digit milliseconds of the given time.
    static std::string timeText(int64_t ticks);
    static std::string moduleFolder();

private:
    void appendInfoLine(const char* fileName, const std::string& text);

    LogClock clock_;
    std::shared_ptr<LaserQueue<LogRecord>> queue_;
    std::shared_ptr<LogLevelGate> gate_;
    LogWriter writer_;
    LogDump dump_;
    std::mutex infoMutex_;
};
