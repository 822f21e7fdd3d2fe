#pragma once
// A series of size-limited log files in one folder: the open file, its name and
// size, and the rotation to a fresh file that also trims the folder.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "sensor_interface/log/log_record.h"
#include "sensor_interface/log/log_time.h"

struct LogLimits {
    int64_t fileBytes = 100ll << 20;   // a file is closed once it reaches this size
    int64_t folderBytes = 1ll << 30;   // the folder is trimmed back below this size
};

class Logger {
public:
    // The files go to baseFolder/name; nothing is created or opened yet.
    Logger(const std::filesystem::path& baseFolder, std::string name, LogClock clock,
           LogLimits limits, std::string tag = {});
    virtual ~Logger() = default;
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    // "<time stamp>[_<tag>]_<name>.txt" for the current time.
    std::string fileName() const;
    const std::filesystem::path& folder() const { return folder_; }
    const std::filesystem::path& currentFile() const { return currentFile_; }
    int64_t currentSize() const { return size_; }
    bool isOpen() const { return stream_.is_open(); }

protected:
    // Closes the current file and opens a new one, first deleting the oldest
    // files of a full folder. Does nothing while logging is switched off
    // (threshold 0 or below). True when the new file is ready.
    bool reopen(int threshold);
    // Closes the current file and hands it to the folder's bookkeeping.
    void close();
    // Writes text with CR LF line ends, flushed at once.
    void writeText(const std::string& text);
    // "[<time text>]<message>" and a line end.
    void writeRecord(const LogRecord& record);
    bool isFull() const { return size_ >= limits_.fileBytes; }
    int64_t now() const { return clock_(); }

private:
    std::filesystem::path uniquePath() const;

    static constexpr int kFilesDeletedPerRotation = 5;

    std::string tag_;
    std::string name_;
    std::filesystem::path folder_;
    LogClock clock_;
    LogLimits limits_;
    std::ofstream stream_;
    std::filesystem::path currentFile_;
    int64_t size_ = 0;
    std::string lineBuffer_;
};
