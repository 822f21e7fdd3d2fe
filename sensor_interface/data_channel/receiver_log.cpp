#include "sensor_interface/data_channel/receiver_log.h"

#include "sensor_interface/log/log_manager.h"

namespace data_channel {

void RunLog::line(const std::string& message, int level) { LogManager::instance().log(message, level); }

void RunLog::reconnection(const std::string& text) { LogManager::instance().writeReconnectionInfo(text); }

void RunLog::dump() { LogManager::instance().dump({}); }

void RunLog::dumpFrame(const uint8_t* intensity, const uint8_t* values) {
    LogManager::instance().dump({}, intensity, values);
}

}  // namespace data_channel
