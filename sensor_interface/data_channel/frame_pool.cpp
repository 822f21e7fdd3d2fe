#include "sensor_interface/data_channel/frame_pool.h"

#include <algorithm>

#include "platform/thread_start.h"

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

void FramePool::submit(FrameJob* job, bool ordered) {
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job->ordered = ordered;
        job->busy = true;
        pending_.push_back(job);
        inFlight_.push_back(job);
        // A worker that is awake takes the next step as soon as it is done
        // with its own: another is woken only when more steps wait than there
        // are workers awake.
        wake = sleeping_ > 0 && static_cast<int>(pending_.size()) > workers() - sleeping_;
    }
    if (wake) submitted_.notify_one();
}

FramePool::Next FramePool::readyLocked(const FrameJob* upTo) {
    if (inFlight_.empty()) return {};
    FrameJob* oldest = inFlight_.front();
    if (oldest == upTo) return {};
    if (oldest->ordered && !oldest->busy) return {Turn::Complete, oldest};
    if (upTo) return {};
    // The order steps go in frame order: the first job not yet ordered.
    for (FrameJob* job : inFlight_) {
        if (job->ordered) continue;
        if (!job->busy) return {Turn::Order, job};
        break;
    }
    return {};
}

FramePool::Next FramePool::next(bool wait, const FrameJob* upTo) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        const Next ready = readyLocked(upTo);
        if (ready.turn != Turn::None || !wait || inFlight_.empty() || inFlight_.front() == upTo) return ready;
        if (!pending_.empty()) {
            // A step no worker has taken yet is run here rather than waiting
            // until a worker wakes: on a busy machine the wake-up costs more.
            runPending(lock);
            continue;
        }
        consumerWaiting_ = true;
        finished_.wait(lock);
        consumerWaiting_ = false;
    }
}

void FramePool::ordered(FrameJob* job, bool finish) {
    std::lock_guard<std::mutex> lock(mutex_);
    job->ordered = true;
    if (!finish) return;
    job->busy = true;
    // Ahead of the frames still in their first step: a finished frame lets
    // the consumer complete the frames in order. No worker is woken for this
    // short step: one that is awake takes it, or the consumer does when it
    // has nothing else to do.
    pending_.push_front(job);
}

void FramePool::release(FrameJob* job) {
    // The processor and the message go with the frame: a pool must not keep a
    // closed sensor's processor; the message's storage goes back to the queue.
    job->processor.reset();
    std::lock_guard<std::mutex> lock(mutex_);
    if (!inFlight_.empty() && inFlight_.front() == job) inFlight_.pop_front();
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

void FramePool::runPending(std::unique_lock<std::mutex>& lock) {
    FrameJob* job = pending_.front();
    pending_.pop_front();
    lock.unlock();
    run(*job);
    lock.lock();
    finishedLocked(*job);
}

void FramePool::finishedLocked(FrameJob& job) {
    job.busy = false;
    if (consumerWaiting_) finished_.notify_one();
}

void FramePool::workerLoop() {
    if (threadStart_) threadStart_();
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (!pending_.empty()) {
            runPending(lock);
            continue;
        }
        if (stopping_) return;  // and nothing left to do
        ++sleeping_;
        submitted_.wait(lock);
        --sleeping_;
    }
}

void FramePool::run(FrameJob& job) {
    try {
        work_(job);
    } catch (...) {
        // As a frame without a processor: recorded, not processed.
        job.count = -1;
        job.finishes = false;
        job.result = -1;
    }
}

}  // namespace data_channel
