#include "sensor_interface/data_channel/message_queue.h"

#include <chrono>

void MessageQueue::push(Message message) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.push_back(std::move(message));
        ++count_;
        if (limit_ > 0 && count_ > static_cast<uint64_t>(limit_)) {
            messages_.pop_front();
            --count_;
        }
    }
    arrived_.notify_all();
}

MessageQueue::Message MessageQueue::pop(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto hasMessage = [this] { return !messages_.empty(); };
    if (timeoutMs <= 0) {
        arrived_.wait(lock, hasMessage);
    } else {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        if (!arrived_.wait_until(lock, deadline, hasMessage)) return {};
    }
    Message message = std::move(messages_.front());
    messages_.pop_front();
    --count_;
    return message;
}

bool MessageQueue::tryPop(Message& message) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (messages_.empty()) return false;
    message = std::move(messages_.front());
    messages_.pop_front();
    --count_;
    return true;
}

void MessageQueue::recycle(Message&& message) {
    if (message.capacity() == 0) return;
    std::lock_guard<std::mutex> lock(keptMutex_);
    if (kept_.size() < kKeptBuffers) kept_.push_back(std::move(message));
}

MessageQueue::Message MessageQueue::make(const uint8_t* data, size_t size) {
    Message message;
    {
        std::lock_guard<std::mutex> lock(keptMutex_);
        if (!kept_.empty()) {
            message = std::move(kept_.back());
            kept_.pop_back();
        }
    }
    message.assign(data, data + size);
    return message;
}

uint64_t MessageQueue::count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
}
