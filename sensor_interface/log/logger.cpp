#include "sensor_interface/log/logger.h"

#include "sensor_interface/log/log_directory_registry.h"

namespace fs = std::filesystem;

Logger::Logger(const fs::path& baseFolder, std::string name, LogClock clock, LogLimits limits,
               std::string tag)
    : tag_(std::move(tag)),
      name_(std::move(name)),
      folder_(baseFolder / name_),
      clock_(std::move(clock)),
      limits_(limits) {
    LogDirectoryRegistry::instance().registerFolder(folder_, limits_.folderBytes);
}

std::string Logger::fileName() const {
    std::string text = formatTimeStamp(clock_());
    if (!tag_.empty()) text += "_" + tag_;
    return text + "_" + name_ + ".txt";
}

// Two files opened within one millisecond would get the same name; the second
// must not truncate the first, so it gets a counter.
fs::path Logger::uniquePath() const {
    const std::string name = fileName();
    fs::path candidate = folder_ / name;
    const std::string stem = candidate.stem().string();
    std::error_code ec;
    for (int counter = 1; fs::exists(candidate, ec); ++counter) {
        candidate = folder_ / (stem + "_" + std::to_string(counter) + ".txt");
    }
    return candidate;
}

bool Logger::reopen(int threshold) {
    if (threshold <= 0) return false;
    std::error_code ec;
    fs::create_directories(folder_, ec);
    LogDirectoryRegistry::instance().trim(folder_, kFilesDeletedPerRotation);
    close();
    currentFile_ = uniquePath();
    stream_.open(currentFile_, std::ios::binary | std::ios::trunc);
    if (!stream_.good()) {
        stream_.close();
        currentFile_.clear();
        return false;
    }
    return true;
}

void Logger::close() {
    if (stream_.is_open()) stream_.close();
    if (!currentFile_.empty()) {
        LogDirectoryRegistry::instance().addFile(folder_, currentFile_, size_);
        currentFile_.clear();
    }
    size_ = 0;
}

void Logger::writeText(const std::string& text) {
    if (!stream_.is_open()) return;
    lineBuffer_.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) lineBuffer_ += '\r';
        lineBuffer_ += text[i];
    }
    stream_.write(lineBuffer_.data(), static_cast<std::streamsize>(lineBuffer_.size()));
    stream_.flush();
    size_ += static_cast<int64_t>(lineBuffer_.size());
}

void Logger::writeRecord(const LogRecord& record) {
    record.prepare();
    writeText("[" + formatTimeText(record.ticks) + "]" + record.message + "\n");
}
