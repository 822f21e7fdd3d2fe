#include "sensor_interface/log/log_dump.h"

#include <cstdio>
#include <string>

LogDump::LogDump(const std::filesystem::path& baseFolder, LogClock clock, LogLimits limits)
    : Logger(baseFolder, "dump", std::move(clock), limits) {}

bool LogDump::dump(const LaserQueue<LogRecord>& records, const std::vector<uint32_t>& registers,
                   const uint8_t* smallBlock, const uint8_t* largeBlock, int threshold) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!reopen(threshold)) return false;
    records.forEach([this](const LogRecord& record) { writeRecord(record); });
    writeRegisters(registers);
    if (smallBlock && largeBlock) {
        writeText("\n\n========Data========\n");
        writeHex(smallBlock, kSmallBlockBytes);
        writeHex(largeBlock, kLargeBlockBytes);
    }
    // Each dump stands alone; closing hands the finished file to the folder's
    // bookkeeping at once.
    close();
    return true;
}

void LogDump::writeRegisters(const std::vector<uint32_t>& registers) {
    std::string text = "\n\n========Registers========\n";
    char row[64];
    std::snprintf(row, sizeof row, "%5s,%20s\n", "Num", "Value");
    text += row;
    for (size_t i = 0; i < registers.size(); ++i) {
        std::snprintf(row, sizeof row, "%5zu,%20u\n", i, registers[i]);
        text += row;
    }
    writeText(text);
}

void LogDump::writeHex(const uint8_t* bytes, size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 3 + size / 16);
    for (size_t i = 0; i < size; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
        text += ' ';
        if ((i + 1) % 32 == 0) text += '\n';
    }
    writeText(text);
}
