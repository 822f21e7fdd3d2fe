#pragma once
// Records what a receiver reports, so tests can wait for and check the lines.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "sensor_interface/data_channel/receiver_log.h"

namespace data_channel_test {

class RecordingLog : public data_channel::ReceiverLog {
public:
    void line(const std::string& message, int level) override {
        add([&] { lines_.push_back(std::to_string(level) + ":" + message); });
    }
    void reconnection(const std::string& text) override { add([&] { reconnections_.push_back(text); }); }
    void dump() override { add([&] { ++dumps_; }); }

    std::vector<std::string> lines() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }
    std::vector<std::string> reconnections() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return reconnections_;
    }
    int dumps() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return dumps_;
    }

    // Waits until a line equal to `line` ("level:text") was logged.
    bool waitForLine(const std::string& line, int timeoutMs = 5000) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            for (const std::string& l : lines_)
                if (l == line) return true;
            return false;
        });
    }
    // Waits until a line starting with `prefix` was logged and returns it ("" on time-out).
    std::string waitForLineStarting(const std::string& prefix, int timeoutMs = 5000) {
        std::unique_lock<std::mutex> lock(mutex_);
        std::string found;
        changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            for (const std::string& l : lines_)
                if (l.rfind(prefix, 0) == 0) {
                    found = l;
                    return true;
                }
            return false;
        });
        return found;
    }

private:
    template <typename F>
    void add(F&& f) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            f();
        }
        changed_.notify_all();
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
    std::vector<std::string> reconnections_;
    int dumps_ = 0;
};

}  // namespace data_channel_test
