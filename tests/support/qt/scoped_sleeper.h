#pragma once
// A Sleeper for tests: records every pause a window asks for and sleeps only
// a fraction of it (at least 1 ms), so that a 12 s wait still lets a
// simulated reboot finish but takes no 12 s. Installed for the scope.
#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "sensor_client/sleeper.h"

namespace mirevo::test {

class RecordingSleeper : public ui::Sleeper {
public:
    explicit RecordingSleeper(int divisor) : divisor_(divisor) {}

    void sleepMs(int ms) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            asked_.push_back(ms);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(std::max(1, ms / divisor_)));
    }

    std::vector<int> asked() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return asked_;
    }

private:
    const int divisor_;
    mutable std::mutex mutex_;
    std::vector<int> asked_;
};

class ScopedSleeper {
public:
    // Each pause sleeps ms / divisor.
    explicit ScopedSleeper(int divisor = 20) {
        auto sleeper = std::make_unique<RecordingSleeper>(divisor);
        sleeper_ = sleeper.get();
        previous_ = ui::installSleeper(std::move(sleeper));
    }
    ~ScopedSleeper() { ui::installSleeper(std::move(previous_)); }
    ScopedSleeper(const ScopedSleeper&) = delete;
    ScopedSleeper& operator=(const ScopedSleeper&) = delete;

    RecordingSleeper* operator->() { return sleeper_; }

private:
    RecordingSleeper* sleeper_;
    std::unique_ptr<ui::Sleeper> previous_;
};

}  // namespace mirevo::test
