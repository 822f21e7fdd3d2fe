#pragma once
// Polls a condition until it holds or a generous time-out passes, and ends
// the process when a call hangs: a hang must fail the test, not stall the suite.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <thread>

namespace acceptance {

inline bool eventually(const std::function<bool()>& condition, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

template <typename Result>
Result withinWatchdog(const char* what, const std::function<Result()>& work, int timeoutMs = 30000) {
    std::packaged_task<Result()> task(work);
    std::future<Result> done = task.get_future();
    std::thread runner(std::move(task));
    if (done.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready) {
        std::fprintf(stderr, "hang: %s did not return\n", what);
        std::fflush(stderr);
        std::_Exit(2);
    }
    runner.join();
    return done.get();
}

}  // namespace acceptance
