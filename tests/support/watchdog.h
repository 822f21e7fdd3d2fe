#pragma once
// Runs work on a thread of its own and ends the process when it does not
// finish in time: a hang must fail the test, not stall the suite.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>
#include <utility>

namespace mirevo::test {

template <typename Work>
auto withinWatchdog(const char* what, Work work, int timeoutMs = 30000) -> decltype(work()) {
    using Result = decltype(work());
    std::packaged_task<Result()> task(std::move(work));
    std::future<Result> done = task.get_future();
    std::thread runner(std::move(task));
    if (done.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready) {
        std::fprintf(stderr, "hang: %s did not finish\n", what);
        std::fflush(stderr);
        std::_Exit(2);
    }
    runner.join();
    return done.get();
}

}  // namespace mirevo::test
