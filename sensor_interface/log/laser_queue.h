#pragma once
// A bounded, thread-safe memory of the most recent items: once the maximum is
// exceeded the oldest items are dropped, so a busy producer costs bounded memory.
#include <cstddef>
#include <deque>
#include <mutex>
#include <utility>

template <typename T>
class LaserQueue {
public:
    // A maximum of 0 keeps everything.
    explicit LaserQueue(size_t maximum = 0) : maximum_(maximum) {}

    void push(T item) {
        std::lock_guard<std::mutex> lock(mutex_);
        items_.push_back(std::move(item));
        while (maximum_ > 0 && items_.size() > maximum_) items_.pop_front();
    }

    // Visits every item, oldest first, while holding the queue's lock.
    template <typename Visitor>
    void forEach(Visitor&& visit) const {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const T& item : items_) visit(item);
    }

    size_t size() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return items_.size();
    }

    size_t maximum() const { return maximum_; }

private:
    mutable std::mutex mutex_;
    std::deque<T> items_;
    const size_t maximum_;
};
