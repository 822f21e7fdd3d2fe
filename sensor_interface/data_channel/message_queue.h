#pragma once
// Hands complete data-channel messages from the reader thread to the consumer
// thread. Bounded in count: beyond the limit the oldest message is dropped.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

class MessageQueue {
public:
    using Message = std::vector<uint8_t>;
    static constexpr int kDefaultLimit = 5000000;

    explicit MessageQueue(int limit = kDefaultLimit) : limit_(limit) {}

    // Takes the message over; wakes every waiting pop.
    void push(Message message);
    // The oldest message. On an empty queue waits: without limit when timeoutMs
    // is 0, else until the deadline, after which it returns an empty message.
    Message pop(int timeoutMs);
    // The oldest message without waiting; false on an empty queue.
    bool tryPop(Message& message);

    // Buffers of messages that were handled, kept (a few) for the next
    // messages, so that a stream of frames does not allocate one per frame.
    void recycle(Message&& message);
    // A message of these bytes, in a kept buffer when there is one.
    Message make(const uint8_t* data, size_t size);

    uint64_t count() const;
    int limit() const { return limit_; }

private:
    const int limit_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Message> messages_;
    uint64_t count_ = 0;
    static constexpr size_t kKeptBuffers = 64;
    std::mutex keptMutex_;
    std::vector<Message> kept_;
};
