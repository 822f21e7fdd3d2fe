// The owned worker that keeps a window's sensor calls off the GUI thread:
// the calls run one at a time in request order on another thread, each
// result reaches the owner's thread with its ticket, and stopping drops the
// calls not yet begun and waits for the one under way.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "sensor_client/queued_sensor_calls.h"

namespace {

struct Answer {
    quint64 ticket;
    int status;
    int value;
    bool inOwnerThread;
};

bool spinUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 20000) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

TEST(QueuedSensorCalls, CallsRunInOrderOffTheOwnersThreadAndAnswerInIt) {
    const std::thread::id owner = std::this_thread::get_id();
    std::atomic<int> made{0};
    std::atomic<bool> offOwner{true};
    QueuedSensorCalls calls([&](int* value) {
        offOwner = offOwner && std::this_thread::get_id() != owner;
        const int n = ++made;
        *value = 100 + n;
        return n == 2 ? 4103 : 0;  // the second call fails
    });
    std::vector<Answer> answers;
    QObject receiver;
    QObject::connect(&calls, &QueuedSensorCalls::answered, &receiver, [&](quint64 ticket, int status, int value) {
        answers.push_back({ticket, status, value, QThread::currentThread() == receiver.thread()});
    });
    std::vector<quint64> tickets;
    for (int i = 0; i < 3; ++i) tickets.push_back(calls.request());
    EXPECT_TRUE(tickets[0] != 0 && tickets[0] < tickets[1] && tickets[1] < tickets[2]);
    ASSERT_TRUE(spinUntil([&] { return answers.size() == 3; }));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(answers[i].ticket, tickets[i]) << i;
        EXPECT_EQ(answers[i].status, i == 1 ? 4103 : 0) << i;
        EXPECT_EQ(answers[i].value, 101 + i) << i;
        EXPECT_TRUE(answers[i].inOwnerThread) << i;
    }
    EXPECT_TRUE(offOwner);

    // After the queue ran dry (its worker gone) a new request runs again.
    const quint64 later = calls.request();
    ASSERT_TRUE(spinUntil([&] { return answers.size() == 4; }));
    EXPECT_EQ(answers[3].ticket, later);
}

TEST(QueuedSensorCalls, StopDropsTheCallsNotBegunAndWaitsForTheOneUnderWay) {
    std::atomic<int> begun{0};
    std::atomic<int> ended{0};
    QueuedSensorCalls calls([&](int*) {
        ++begun;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ++ended;
        return 0;
    });
    for (int i = 0; i < 3; ++i) calls.request();
    while (begun.load() == 0) std::this_thread::yield();
    calls.stop();
    EXPECT_EQ(begun.load(), 1);
    EXPECT_EQ(ended.load(), 1) << "the call under way ended before stop returned";
    EXPECT_EQ(calls.request(), 0u) << "nothing is queued once stopped";
    QCoreApplication::processEvents();
    EXPECT_EQ(begun.load(), 1);
}

}  // namespace
