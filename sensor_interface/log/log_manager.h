#pragma once
// Process-wide run log of the sensor interface. Any thread may log.
#include <cstdint>
#include <string>
#include <vector>

class LogManager {
public:
    static LogManager& instance();

    // Level 0: connection results and errors, 1: notices, 2: traces.
    void log(const std::string& message, int level);
    // Writes a dump file: the recent records, the register values and, when both
    // are given, the 2048- and 8192-byte data blocks.
    void dump(const std::vector<uint32_t>& registers, const uint8_t* block2048 = nullptr,
              const uint8_t* block8192 = nullptr);
    void writeRunInfo(const std::string& text);
    void writeReconnectionInfo(const std::string& text);

    static std::string timeStampText();
    static std::string timeText(int64_t ticks);
    static std::string moduleFolder();
};
