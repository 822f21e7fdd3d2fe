#include "sensor_interface/data_channel/receiver_log.h"

#include "sensor_interface/log/log_manager.h"

namespace data_channel {

void ReceiverLog::frameLines(const FrameLines& lines) {
    for (int i = 0; i < lines.count(); ++i) {
        const FrameLines::Entry& entry = lines.entry(i);
        if (entry.processorStep)
            LogManager::instance().log(*entry.text, 2);
        else
            line(*entry.text, 2);
    }
    if (const FrameLineNumbers* numbers = lines.frameLine()) {
        std::string text;
        appendFrameLine(text, *numbers);
        line(text, 2);
    }
}

void RunLog::line(const std::string& message, int level) { LogManager::instance().log(message, level); }

void RunLog::frameLines(const FrameLines& lines) {
    LogWriter::Line all[FrameLines::kCapacity + 1];
    size_t count = 0;
    for (int i = 0; i < lines.count(); ++i) all[count++].text = lines.entry(i).text;
    if (const FrameLineNumbers* numbers = lines.frameLine()) all[count++].frame = numbers;
    LogManager::instance().logLines(all, count, 2);
}

void RunLog::reconnection(const std::string& text) { LogManager::instance().writeReconnectionInfo(text); }

void RunLog::dump() { LogManager::instance().dump({}); }

void RunLog::dumpFrame(const uint8_t* intensity, const uint8_t* values) {
    LogManager::instance().dump({}, intensity, values);
}

}  // namespace data_channel
