// The main window's job owner: one job at a time, joined, never lost.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/window_jobs.h"

namespace {

// A job that runs until released.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    bool entered = false;

    void pass() {
        std::unique_lock<std::mutex> lock(mutex);
        entered = true;
        changed.notify_all();
        changed.wait(lock, [this] { return open; });
    }
    void waitEntered() {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return entered; });
    }
    void release() {
        std::lock_guard<std::mutex> lock(mutex);
        open = true;
        changed.notify_all();
    }
};

TEST(WindowJobs, RunsOneJobAtATime) {
    WindowJobs jobs;
    Gate gate;
    std::atomic<int> runs{0};
    ASSERT_TRUE(jobs.start([&] {
        ++runs;
        gate.pass();
    }));
    gate.waitEntered();
    EXPECT_TRUE(jobs.running());
    EXPECT_FALSE(jobs.start([&] { runs += 100; }));
    gate.release();
    jobs.join();
    EXPECT_FALSE(jobs.running());
    EXPECT_EQ(runs.load(), 1);
    // Free again once the job has returned.
    ASSERT_TRUE(jobs.start([&] { ++runs; }));
    jobs.join();
    EXPECT_EQ(runs.load(), 2);
}

TEST(WindowJobs, TheOwnerWaitsForItsJobWhenItGoes) {
    std::atomic<bool> finished{false};
    {
        WindowJobs jobs;
        ASSERT_TRUE(jobs.start([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            finished = true;
        }));
    }
    EXPECT_TRUE(finished.load());
}

TEST(WindowJobs, JoinWithoutAJobReturns) {
    WindowJobs jobs;
    jobs.join();
    EXPECT_FALSE(jobs.running());
}

}  // namespace
