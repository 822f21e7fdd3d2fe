#pragma once
// The running flag of a receiver's threads, with pauses that end at once when
// the threads are told to stop.
#include <atomic>
#include <condition_variable>
#include <mutex>

namespace data_channel {

class RunSignal {
public:
    void start();
    void stop();
    bool running() const { return running_.load(); }
    // Waits ms milliseconds unless stopped first; returns running().
    bool pause(int ms);

private:
    std::atomic<bool> running_{false};
    std::mutex mutex_;
    std::condition_variable stopped_;
};

}  // namespace data_channel
