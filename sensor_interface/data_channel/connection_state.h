#pragma once
// Connection state shared by a receiver's reader and consumer: the consumer
// asks for a reconnect and waits until the reader has one; the reader marks
// losses and reconnections.
#include <atomic>
#include <condition_variable>
#include <mutex>

namespace data_channel {

class ConnectionState {
public:
    // Consumer side.
    void requestReconnect() { reconnectRequest_ = true; }
    // Waits while a reconnect is requested or the connection is down. Returns
    // false when released (the receiver stops) before that.
    bool waitReconnected();

    // Reader side.
    bool reconnectRequested() const { return reconnectRequest_.load(); }
    void clearReconnectRequest() { reconnectRequest_ = false; }
    bool connected() const { return connected_.load(); }
    // True only for the first notice of a loss.
    bool markLost() { return connected_.exchange(false); }
    // Sets the connected flag and runs the reader's bookkeeping under the same
    // lock, then wakes every waiter.
    template <typename UnderLock>
    void markReconnected(UnderLock&& underLock) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            connected_ = true;
            underLock();
        }
        reconnected_.notify_all();
    }

    // Owner side: ends every wait (stop), and re-arms the state after a
    // successful connect (start).
    void release();
    void rearm();

private:
    std::atomic<bool> connected_{true};
    std::atomic<bool> reconnectRequest_{false};
    bool released_ = false;
    std::mutex mutex_;
    std::condition_variable reconnected_;
};

}  // namespace data_channel
