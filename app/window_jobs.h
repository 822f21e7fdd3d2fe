#pragma once
// The owner of the main window's one-shot jobs (settings export and import,
// firmware upgrade, head switch): one job at a time, each on a thread that
// is joined, never detached, so no job outlives the window it reports to.
#include <atomic>
#include <functional>
#include <thread>

class WindowJobs {
public:
    WindowJobs() = default;
    // Joins a running job: call waitWithEvents (event_wait.h) first when the
    // job may need the GUI thread to answer it.
    ~WindowJobs();
    WindowJobs(const WindowJobs&) = delete;
    WindowJobs& operator=(const WindowJobs&) = delete;

    // Starts the job unless one runs; false (and the job not run) otherwise.
    bool start(std::function<void()> job);
    // True from start until the job has returned.
    bool running() const { return running_.load(std::memory_order_acquire); }
    // Waits for the running job, if any.
    void join();

private:
    std::thread thread_;
    std::atomic<bool> running_{false};
};
