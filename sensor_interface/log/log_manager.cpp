#include "sensor_interface/log/log_manager.h"

#include <fstream>

#include "platform/module_folder.h"

LogManager& LogManager::instance() {
    // Deliberately leaked: device objects released while statics are torn down
    // still log, and every line is flushed, so nothing is lost at exit.
    static LogManager* manager = new LogManager(std::filesystem::path(moduleFolder()) / "zpsdk");
    return *manager;
}

LogManager::LogManager(const std::filesystem::path& zpsdkFolder, LogClock clock, LogLimits limits)
    : clock_(clock),
      queue_(std::make_shared<LaserQueue<LogRecord>>(kRecentRecords)),
      gate_(std::make_shared<LogLevelGate>()),
      writer_(zpsdkFolder, queue_, gate_, clock, limits),
      dump_(zpsdkFolder, clock, limits) {}

void LogManager::log(const std::string& message, int level) { writer_.write(message, level); }

void LogManager::logLines(const LogWriter::Line* lines, size_t count, int level) {
    writer_.writeLines(lines, count, level);
}

// Dumps are gated by the same ZP_RUNLOG_EN threshold as the run log: switching
// logging off switches dumps off too.
void LogManager::dump(const std::vector<uint32_t>& registers, const uint8_t* block2048,
                      const uint8_t* block8192) {
    dump_.dump(*queue_, registers, block2048, block8192, gate_->threshold(clock_()));
}

void LogManager::writeRunInfo(const std::string& text) { appendInfoLine("run_info.txt", text); }

void LogManager::writeReconnectionInfo(const std::string& text) {
    appendInfoLine("reconnection_info.txt", text);
}

void LogManager::appendInfoLine(const char* fileName, const std::string& text) {
    const std::string line = "[" + timeText(clock_()) + "]" + text + "\r\n";
    std::lock_guard<std::mutex> lock(infoMutex_);
    std::ofstream out(std::filesystem::path("zpsdk") / fileName, std::ios::binary | std::ios::app);
    if (!out) return;
    out << line;
}

std::string LogManager::timeStampText() { return formatTimeStamp(systemTicks()); }

std::string LogManager::timeText(int64_t ticks) { return formatTimeText(ticks); }

std::string LogManager::moduleFolder() { return mirevo::platform::moduleFolder().string(); }
