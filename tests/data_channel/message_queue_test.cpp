#include "sensor_interface/data_channel/message_queue.h"

#include <gtest/gtest.h>

#include <thread>

namespace {
MessageQueue::Message msg(uint8_t b) { return MessageQueue::Message{b, b}; }
}  // namespace

TEST(MessageQueue, OneMoreThanTheLimitDropsTheOldest) {
    MessageQueue queue(3);
    for (uint8_t i = 1; i <= 4; ++i) queue.push(msg(i));
    EXPECT_EQ(queue.count(), 3u);
    EXPECT_EQ(queue.pop(1), msg(2));
    EXPECT_EQ(queue.pop(1), msg(3));
    EXPECT_EQ(queue.pop(1), msg(4));
    EXPECT_EQ(queue.count(), 0u);
}

TEST(MessageQueue, DefaultLimitIsFiveMillion) { EXPECT_EQ(MessageQueue().limit(), 5000000); }

TEST(MessageQueue, NonPositiveLimitKeepsEverything) {
    MessageQueue queue(0);
    for (int i = 0; i < 100; ++i) queue.push(msg(1));
    EXPECT_EQ(queue.count(), 100u);
}

TEST(MessageQueue, PopWithTimeOutOnEmptyQueueReturnsEmptyMessage) {
    MessageQueue queue;
    EXPECT_TRUE(queue.pop(100).empty());
    EXPECT_EQ(queue.count(), 0u);
}

TEST(MessageQueue, PopWithoutTimeOutWaitsForAPush) {
    MessageQueue queue;
    std::thread pusher([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        queue.push(msg(7));
    });
    EXPECT_EQ(queue.pop(0), msg(7));
    pusher.join();
}

TEST(MessageQueue, PopWithTimeOutTakesAMessageArrivingInTime) {
    MessageQueue queue;
    std::thread pusher([&] { queue.push(msg(5)); });
    EXPECT_EQ(queue.pop(10000), msg(5));
    pusher.join();
}

TEST(MessageQueue, KeepsOrderAcrossThreads) {
    MessageQueue queue;
    std::thread pusher([&] {
        for (int i = 0; i < 1000; ++i) queue.push(MessageQueue::Message{static_cast<uint8_t>(i & 0xFF), static_cast<uint8_t>(i >> 8)});
    });
    // No early return while the pusher runs: a joinable thread left behind ends the program.
    for (int i = 0; i < 1000; ++i) {
        const MessageQueue::Message m = queue.pop(0);
        const int got = m[0] | (m[1] << 8);
        if (got != i) {
            ADD_FAILURE() << "message " << i << " arrived as " << got;
            break;
        }
    }
    pusher.join();
}
