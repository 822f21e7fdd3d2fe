#include "app/window_jobs.h"

#include "platform/thread_start.h"

WindowJobs::~WindowJobs() { join(); }

bool WindowJobs::start(std::function<void()> job) {
    if (running()) return false;
    join();  // the previous job has returned; its thread is only collected here
    running_.store(true, std::memory_order_release);
    thread_ = mirevo::platform::startThread([this, job = std::move(job)] {
        job();
        running_.store(false, std::memory_order_release);
    });
    return true;
}

void WindowJobs::join() {
    if (thread_.joinable()) thread_.join();
}
