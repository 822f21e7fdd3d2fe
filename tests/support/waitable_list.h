#pragma once
// Items recorded by one thread (a batch handler, say) and awaited by another.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <utility>
#include <vector>

namespace mirevo::test {

template <typename Item>
class WaitableList {
public:
    // Notifies under the lock: a waiter may destroy the list as soon as it wakes.
    void add(Item item) {
        std::lock_guard<std::mutex> lock(mutex_);
        items_.push_back(std::move(item));
        changed_.notify_all();
    }
    bool waitFor(size_t count, int timeoutMs = 10000) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return items_.size() >= count; });
    }
    std::vector<Item> items() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return items_;
    }
    size_t size() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return items_.size();
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        items_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Item> items_;
};

}  // namespace mirevo::test
