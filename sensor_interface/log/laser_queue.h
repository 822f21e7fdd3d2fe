#pragma once
// A bounded, thread-safe memory of the most recent items: once the maximum is
// exceeded the oldest items are dropped, so a busy producer costs bounded memory.
//
// With a maximum the items live in a ring of slots that are overwritten in
// place: a slot's own storage (a message string's capacity, say) is reused, so
// that a producer pushing every frame allocates nothing once the ring is full.
#include <cstddef>
#include <mutex>
#include <vector>

// Called on every item before a reader sees it (an item may make what it
// shows on first read); an item type may overload it.
template <typename T>
void prepare_item(const T&) {}

template <typename T>
class LaserQueue {
public:
    // A maximum of 0 keeps everything.
    explicit LaserQueue(size_t maximum = 0) : maximum_(maximum) {
        if (maximum_ > 0) slots_.reserve(maximum_);
    }

    // Copies the item into the oldest slot once the ring is full (a copy, not a
    // move, so that the slot keeps its storage).
    void push(const T& item) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (maximum_ == 0 || slots_.size() < maximum_) {
            slots_.push_back(item);
            return;
        }
        slots_[oldest_] = item;
        oldest_ = (oldest_ + 1) % maximum_;
    }

    // Visits every item, oldest first, while holding the queue's lock.
    template <typename Visitor>
    void forEach(Visitor&& visit) const {
        std::lock_guard<std::mutex> lock(mutex_);
        auto show = [&](const T& item) {
            prepare_item(item);
            visit(item);
        };
        for (size_t i = oldest_; i < slots_.size(); ++i) show(slots_[i]);
        for (size_t i = 0; i < oldest_; ++i) show(slots_[i]);
    }

    size_t size() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return slots_.size();
    }

    size_t maximum() const { return maximum_; }

private:
    mutable std::mutex mutex_;
    std::vector<T> slots_;
    size_t oldest_ = 0;  // index of the oldest item once the ring is full
    const size_t maximum_;
};
