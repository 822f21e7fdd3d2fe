#pragma once
// Where a data-channel receiver reports: run-log lines, the reconnection file
// and dumps. The receiver writes to the process run log; tests record instead.
#include <cstdint>
#include <string>

#include "sensor_interface/log/log_record.h"

namespace data_channel {

// The run-log lines of one frame at level 2, in order: the receiver's lines,
// the profile processor's step lines among them, and last the frame line,
// kept as its numbers. The texts are the receiver's and the processor's own,
// alive for as long as they are.
class FrameLines {
public:
    static constexpr int kCapacity = 24;
    struct Entry {
        const std::string* text = nullptr;
        bool processorStep = false;
    };
    void add(const std::string& text) { push({&text, false}); }
    void addStep(const std::string& text) { push({&text, true}); }
    void setFrameLine(const FrameLineNumbers& numbers) {
        frameLine_ = numbers;
        hasFrameLine_ = true;
    }
    int count() const { return count_; }
    const Entry& entry(int i) const { return entries_[i]; }
    const FrameLineNumbers* frameLine() const { return hasFrameLine_ ? &frameLine_ : nullptr; }

private:
    void push(Entry entry) {
        if (count_ < kCapacity) entries_[count_++] = entry;
    }
    Entry entries_[kCapacity];
    int count_ = 0;
    FrameLineNumbers frameLine_;
    bool hasFrameLine_ = false;
};

class ReceiverLog {
public:
    virtual ~ReceiverLog() = default;
    virtual void line(const std::string& message, int level) = 0;
    // A frame's lines: each receiver line through line(), each step line into
    // the process run log, as the processor writes them.
    virtual void frameLines(const FrameLines& lines);
    virtual void reconnection(const std::string& text) = 0;
    // A dump of the recent run-log lines without raw data.
    virtual void dump() = 0;
    // A dump of a frame that took too long: the recent lines, the 2048-byte
    // intensity area and the 8192-byte value area.
    virtual void dumpFrame(const uint8_t* intensity, const uint8_t* values) {
        (void)intensity;
        (void)values;
        dump();
    }
};

class RunLog final : public ReceiverLog {
public:
    void line(const std::string& message, int level) override;
    // All of them into the run log at once; the frame line's text is made
    // only when the run log writes it or a dump reads it.
    void frameLines(const FrameLines& lines) override;
    void reconnection(const std::string& text) override;
    void dump() override;
    void dumpFrame(const uint8_t* intensity, const uint8_t* values) override;
};

}  // namespace data_channel
