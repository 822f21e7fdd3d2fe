#pragma once
#include <cstdint>
#include <string>

// The numbers of the frame path's last run-log line of every frame,
// "processed data[<device>]: batchtimes B, frame F, encoder E, timestamp T":
// a record keeps them and makes the text only when something reads it.
struct FrameLineNumbers {
    int device = 0;
    uint32_t batchtimes = 0, frame = 0, encoder = 0;
    int64_t timestamp = 0;
};

// Appends the line's text.
void appendFrameLine(std::string& text, const FrameLineNumbers& numbers);

// One run-log message with the time it was logged, in 100-ns ticks since
// 1970-01-01 UTC.
struct LogRecord {
    int64_t ticks = 0;
    // The text; a record of frame-line numbers makes it when first read
    // (prepare(), which every reader of the record calls).
    mutable std::string message;
    mutable bool pending = false;
    FrameLineNumbers frame{};

    void prepare() const {
        if (!pending) return;
        message.clear();
        appendFrameLine(message, frame);
        pending = false;
    }
};

// The hook of LaserQueue's readers.
inline void prepare_item(const LogRecord& record) { record.prepare(); }
