#include "sensor_interface/log/log_level_gate.h"

#include "sensor_interface/log/env_dword.h"
#include "sensor_interface/log/log_time.h"

LogLevelGate::LogLevelGate(std::string valueName) : valueName_(std::move(valueName)) {}

int LogLevelGate::threshold(int64_t now) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!everRead_ || threshold_ < 0 || now - lastRead_ >= kTicksPerSecond) {
        threshold_ = static_cast<int32_t>(read_env_dword(valueName_.c_str()));
        lastRead_ = now;
        everRead_ = true;
    }
    return threshold_;
}
