#pragma once
// The run-log level threshold from the user's ZP_RUNLOG_EN setting, read at
// most once a second so a busy logger does not read the store on every line.
#include <cstdint>
#include <mutex>
#include <string>

class LogLevelGate {
public:
    explicit LogLevelGate(std::string valueName = "ZP_RUNLOG_EN");

    // The threshold at time now (ticks): read afresh on the first call, when a
    // second has passed since the last read, or while it is below 0.
    int threshold(int64_t now);

private:
    const std::string valueName_;
    std::mutex mutex_;
    int threshold_ = 0;
    int64_t lastRead_ = 0;
    bool everRead_ = false;
};
