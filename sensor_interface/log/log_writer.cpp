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
    const int threshold = gate_->threshold(record.ticks);
    if (threshold >= level) {
        if (!isOpen()) reopen(threshold);
        if (isOpen()) {
            writeRecord(record);
            // A full file is closed even while logging is switched off, so no
            // file outgrows its limit.
            if (isFull() && !reopen(threshold)) close();
        }
    }
    if (queue_) queue_->push(record);
}
