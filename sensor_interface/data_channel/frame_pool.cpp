#include "sensor_interface/data_channel/frame_pool.h"

#include <algorithm>

#include "platform/thread_start.h"
#include "sensor_interface/processing/frame_rows.h"
#include "sensor_interface/processing/profile_processor.h"

namespace data_channel {

FramePool::FramePool(int workers, Work work, std::function<void()> threadStart)
    : work_(std::move(work)), threadStart_(std::move(threadStart)) {
    workers = std::max(workers, 1);
    for (int i = 0; i < workers * kJobsPerWorker; ++i) {
        jobs_.push_back(std::make_unique<FrameJob>());
        free_.push_back(jobs_.back().get());
    }
    threads_.reserve(static_cast<size_t>(workers));
    try {
        for (int i = 0; i < workers; ++i) threads_.push_back(mirevo::platform::startThread(&FramePool::workerLoop, this));
    } catch (...) {
        stop();  // the threads already started end before the pool goes
        throw;
    }
}

FramePool::~FramePool() { stop(); }

int FramePool::inFlight() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(inFlight_.size());
}

FrameJob* FramePool::freeJob() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (free_.empty()) return nullptr;
    FrameJob* job = free_.back();
    free_.pop_back();
    return job;
}

void FramePool::submit(FrameJob* job) {
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job->done = false;
        pending_.push_back(job);
        inFlight_.push_back(job);
        // A busy worker looks at the pending jobs before it waits again: only
        // a sleeping one needs the (system-call) wake-up.
        wake = idleWorkers_ > 0;
    }
    if (wake) submitted_.notify_one();
}

FrameJob* FramePool::waitOldest() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (inFlight_.empty()) return nullptr;
    FrameJob* oldest = inFlight_.front();
    while (!oldest->done) {
        if (!pending_.empty()) {
            // A job no worker has taken yet (the oldest itself first) is
            // processed here rather than sleeping until a worker wakes.
            FrameJob* job = pending_.front();
            pending_.pop_front();
            lock.unlock();
            run(*job);
            lock.lock();
            job->done = true;
            continue;
        }
        consumerWaiting_ = true;
        finished_.wait(lock);
        consumerWaiting_ = false;
    }
    inFlight_.pop_front();
    return oldest;
}

void FramePool::release(FrameJob* job) {
    // The processor goes with the frame: a pool must not keep a closed sensor's.
    job->processor.reset();
    std::lock_guard<std::mutex> lock(mutex_);
    free_.push_back(job);
}

void FramePool::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    submitted_.notify_all();
    for (std::thread& thread : threads_)
        if (thread.joinable()) thread.join();
    threads_.clear();
}

void FramePool::workerLoop() {
    if (threadStart_) threadStart_();
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        while (!stopping_ && pending_.empty()) {
            ++idleWorkers_;
            submitted_.wait(lock);
            --idleWorkers_;
        }
        if (pending_.empty()) return;  // stopping, and nothing left to do
        FrameJob* job = pending_.front();
        pending_.pop_front();
        lock.unlock();
        run(*job);
        lock.lock();
        job->done = true;
        if (consumerWaiting_) finished_.notify_one();
    }
}

void FramePool::run(FrameJob& job) {
    try {
        work_(job);
    } catch (...) {
        job.count = -1;  // as a frame without a processor: recorded, not processed
    }
}

}  // namespace data_channel
