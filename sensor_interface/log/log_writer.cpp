#include "sensor_interface/log/log_writer.h"

LogWriter::LogWriter(const std::filesystem::path& baseFolder,
                     std::shared_ptr<LaserQueue<LogRecord>> queue,
                     std::shared_ptr<LogLevelGate> gate, LogClock clock, LogLimits limits)
    : Logger(baseFolder, "runlog", std::move(clock), limits),
      queue_(std::move(queue)),
      gate_(std::move(gate)) {}

void LogWriter::write(const std::string& message, int level) {
    std::lock_guard<std::mutex> lock(mutex_);
    // The record is built in a member whose string keeps its capacity, and the
    // queue copies it into a slot that keeps its own: a line costs no allocation.
    LogRecord& record = record_;
    record.ticks = now();
    record.message.assign(message);
    record.pending = false;
    toFile(record, gate_->threshold(record.ticks), level);
    if (queue_) queue_->push(record);
}

void LogWriter::writeLines(const Line* lines, size_t count, int level) {
    std::lock_guard<std::mutex> lock(mutex_);
    LogRecord& record = record_;
    record.ticks = now();
    const int threshold = gate_->threshold(record.ticks);
    for (size_t i = 0; i < count; ++i) {
        if (lines[i].text) {
            record.message.assign(*lines[i].text);
            record.pending = false;
        } else {
            record.frame = *lines[i].frame;
            record.pending = true;
        }
        toFile(record, threshold, level);
        if (queue_) queue_->push(record);
    }
}

void LogWriter::toFile(const LogRecord& record, int threshold, int level) {
    if (threshold < level) return;
    if (!isOpen()) reopen(threshold);
    if (!isOpen()) return;
    record.prepare();
    writeRecord(record);
    // A full file is closed even while logging is switched off, so no
    // file outgrows its limit.
    if (isFull() && !reopen(threshold)) close();
}
