#include "sensor_interface/data_channel/run_signal.h"

#include <chrono>

namespace data_channel {

void RunSignal::start() {
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = true;
}

void RunSignal::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
    }
    stopped_.notify_all();
}

bool RunSignal::pause(int ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    stopped_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !running_.load(); });
    return running_.load();
}

}  // namespace data_channel
