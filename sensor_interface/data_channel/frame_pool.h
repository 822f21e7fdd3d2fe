#pragma once
// A few worker threads that process the frames of one receiver while its
// consumer thread keeps everything that must stay in frame order. The consumer
// fills a job, submits it, and later takes the jobs back oldest first, each
// once a worker is done with it; it completes them in that order. The jobs are
// a fixed few (two per worker), so the frames held by the pool stay bounded:
// when every job is in flight the consumer completes the oldest before
// submitting another.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class ProfileProcessor;
struct FrameRows;

namespace data_channel {

struct FrameJob {
    // Set by the consumer.
    std::vector<uint32_t> area;  // the frame in the receiver's frame-area layout
    int mode = 0;
    int points = 0;  // points of the frame
    int startColumn = 0;
    bool intensity = false;
    int cameraRows = 0;
    int referenceRows[2] = {0, 0};
    std::shared_ptr<ProfileProcessor> processor;
    std::chrono::steady_clock::time_point submitted;
    // Set by the worker: the frame's rows and grid points (-1: not processed).
    std::unique_ptr<FrameRows> rows;
    int count = -1;
    bool done = false;  // guarded by the pool's lock
};

class FramePool {
public:
    using Work = std::function<void(FrameJob&)>;
    static constexpr int kJobsPerWorker = 2;

    // workers threads run work on the submitted jobs; the threads start here
    // and are joined by stop() or the destructor.
    FramePool(int workers, Work work, std::function<void()> threadStart = {});
    ~FramePool();
    FramePool(const FramePool&) = delete;
    FramePool& operator=(const FramePool&) = delete;

    int workers() const { return static_cast<int>(threads_.size()); }
    // Jobs submitted and not yet taken back.
    int inFlight() const;
    // A job to fill, or null when every job is in flight.
    FrameJob* freeJob();
    void submit(FrameJob* job);
    // The oldest job in flight once it is processed (null when none is in
    // flight); while it is not, the caller processes the jobs no worker has
    // taken yet itself rather than wait for a worker to wake. The job stays out of the free jobs
    // until release().
    FrameJob* waitOldest();
    void release(FrameJob* job);
    // Ends and joins the workers after the jobs already submitted.
    void stop();

private:
    void workerLoop();
    void run(FrameJob& job);

    Work work_;
    std::function<void()> threadStart_;
    std::vector<std::unique_ptr<FrameJob>> jobs_;
    mutable std::mutex mutex_;
    std::condition_variable submitted_;  // workers wait for jobs
    std::condition_variable finished_;   // the consumer waits for the oldest
    std::vector<FrameJob*> free_;
    std::deque<FrameJob*> pending_;  // submitted, not yet taken by a worker
    std::deque<FrameJob*> inFlight_;  // submitted, oldest first
    bool stopping_ = false;
    int idleWorkers_ = 0;           // workers waiting for a job
    bool consumerWaiting_ = false;  // the consumer waits for the oldest job
    std::vector<std::thread> threads_;
};

}  // namespace data_channel
