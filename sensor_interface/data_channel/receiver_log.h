#pragma once
// Where a data-channel receiver reports: run-log lines, the reconnection file
// and dumps. The receiver writes to the process run log; tests record instead.
#include <cstdint>
#include <string>

namespace data_channel {

class ReceiverLog {
public:
    virtual ~ReceiverLog() = default;
    virtual void line(const std::string& message, int level) = 0;
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
    void reconnection(const std::string& text) override;
    void dump() override;
    void dumpFrame(const uint8_t* intensity, const uint8_t* values) override;
};

}  // namespace data_channel
