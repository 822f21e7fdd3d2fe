#pragma once
// Where a data-channel receiver reports: run-log lines, the reconnection file
// and dumps. The receiver writes to the process run log; tests record instead.
#include <string>

namespace data_channel {

class ReceiverLog {
public:
    virtual ~ReceiverLog() = default;
    virtual void line(const std::string& message, int level) = 0;
    virtual void reconnection(const std::string& text) = 0;
    // A dump of the recent run-log lines without raw data.
    virtual void dump() = 0;
};

class RunLog final : public ReceiverLog {
public:
    void line(const std::string& message, int level) override;
    void reconnection(const std::string& text) override;
    void dump() override;
};

}  // namespace data_channel
