#include "sensor_interface/data_channel/connection_state.h"

namespace data_channel {

bool ConnectionState::waitReconnected() {
    std::unique_lock<std::mutex> lock(mutex_);
    reconnected_.wait(lock, [this] { return released_ || (!reconnectRequest_ && connected_); });
    return !released_;
}

void ConnectionState::release() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
    }
    reconnected_.notify_all();
}

void ConnectionState::rearm() {
    std::lock_guard<std::mutex> lock(mutex_);
    released_ = false;
    // A restart follows a fresh connect; a loss from the previous run is over.
    connected_ = true;
    reconnectRequest_ = false;
}

}  // namespace data_channel
