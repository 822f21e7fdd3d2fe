#include "sensor_interface/log/log_manager.h"

// Placeholder until the run log is written: callers can already log.
LogManager& LogManager::instance() { static LogManager manager; return manager; }
void LogManager::log(const std::string&, int) {}
void LogManager::dump(const std::vector<uint32_t>&, const uint8_t*, const uint8_t*) {}
void LogManager::writeRunInfo(const std::string&) {}
void LogManager::writeReconnectionInfo(const std::string&) {}
std::string LogManager::timeStampText() { return {}; }
std::string LogManager::timeText(int64_t) { return {}; }
std::string LogManager::moduleFolder() { return {}; }
