#pragma once
// A few worker threads that process the frames of one receiver while its
// consumer thread keeps everything that must stay in frame order. A frame
// takes turns between the two sides:
//   1. a worker: the stages that depend on the frame alone;
//   2. the consumer, in frame order ("order"): what depends on the frames
//      before it (the temporal repair);
//   3. a worker: the stages after that (the frame the repair released,
//      binning, z offsets, the batch rows), when the order step left any;
//   4. the consumer, in frame order ("complete"): the batch buffers, the
//      merge hook and the run-log lines.
// Frames released at the end of a batch enter at step 3. The jobs are a
// fixed few, so the frames held by the pool stay bounded: when every job is
// in flight the consumer completes the oldest before submitting another.
//
// Wake-ups are few: a sleep and a wake-up cost about as much as a frame's
// own stages on a busy machine. A worker takes step after step while there
// are any; a submit wakes a sleeping worker only when more steps wait than
// there are workers awake; the consumer runs a waiting step itself rather
// than sleeping.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "sensor_interface/data_channel/message_queue.h"
#include "sensor_interface/processing/frame_output_rows.h"
#include "sensor_interface/processing/profile_processor.h"

namespace data_channel {

struct FrameJob {
    enum class Kind { Frame, Released };
    Kind kind = Kind::Frame;

    // Set by the consumer when it submits a frame: the message and where the
    // parts of the frame lie in it.
    MessageQueue::Message message;
    size_t headerAt = 0, intensityAt = 0, valuesAt = 0;
    int mode = 0;
    int points = 0;  // points of the frame
    int startColumn = 0;
    bool intensity = false;
    int cameraRows = 0;
    int referenceRows[2] = {0, 0};
    std::shared_ptr<ProfileProcessor> processor;
    std::chrono::steady_clock::time_point submitted;

    // Step 1: the frame in the receiver's frame-area layout, its rows and
    // grid points (-1: not processed).
    std::vector<uint32_t> area;
    std::unique_ptr<FrameRows> rows;
    int count = -1;

    // Step 2 (or the end of a batch) for step 3.
    bool finishes = false;  // step 3 runs the stages after the temporal repair
    ProfileProcessor::Release release;
    int binning = 1;
    OutputRowRules rules;
    bool grayTable = false;  // grayTableValues applies
    uint8_t grayTableValues[256] = {};
    int releasedOffset = 0;        // a released frame's window start
    const double* tailHeights = nullptr;  // a released frame's points beyond its width
    const uint8_t* tailGray = nullptr;
    // Completed on the consumer at step 2: nothing left for step 4.
    bool completed = false;

    // Step 3.
    ZOffsets zOffsets;
    FrameOutputRows output;
    int result = -1;

    // The pool's own (under its lock).
    bool ordered = false;  // step 2 done, or none comes
    bool busy = false;     // a worker step is queued or running
};

class FramePool {
public:
    using Work = std::function<void(FrameJob&)>;
    static constexpr int kJobsPerWorker = 4;

    // workers threads run work on the submitted jobs; the threads start here
    // and are joined by stop() or the destructor.
    FramePool(int workers, Work work, std::function<void()> threadStart = {});
    ~FramePool();
    FramePool(const FramePool&) = delete;
    FramePool& operator=(const FramePool&) = delete;

    int workers() const { return static_cast<int>(threads_.size()); }
    // Jobs submitted and not yet released.
    int inFlight() const;
    // A job to fill, or null when every job is in flight.
    FrameJob* freeJob();
    // Queues the job's next worker step. A job submitted first takes its
    // place in frame order; ordered tells that no order step comes for it.
    void submit(FrameJob* job, bool ordered = false);

    enum class Turn { None, Order, Complete };
    struct Next {
        Turn turn = Turn::None;
        FrameJob* job = nullptr;
    };
    // The consumer's next step in frame order: completing the oldest job, or
    // the order step of the next one. While none is ready and wait is set, it
    // waits, running a queued worker step itself rather than sleeping until
    // a worker wakes. None only without wait, or with no job in flight.
    // With upTo, only the completions of the jobs older than upTo (None once
    // upTo is the oldest).
    Next next(bool wait, const FrameJob* upTo = nullptr);
    // After the order step: the job's step 3 is queued (finish) or it waits
    // for its completion.
    void ordered(FrameJob* job, bool finish);
    // After the completion: the oldest job goes back to the free ones.
    void release(FrameJob* job);
    // Ends and joins the workers after the steps already queued.
    void stop();

private:
    void workerLoop();
    void run(FrameJob& job);
    // Under the lock.
    Next readyLocked(const FrameJob* upTo);
    void finishedLocked(FrameJob& job);
    // Runs the first pending step outside the lock; `lock` is held on entry and return.
    void runPending(std::unique_lock<std::mutex>& lock);

    Work work_;
    std::function<void()> threadStart_;
    std::vector<std::unique_ptr<FrameJob>> jobs_;
    mutable std::mutex mutex_;
    std::condition_variable submitted_;  // sleeping workers wait for steps
    std::condition_variable finished_;   // the consumer waits for a turn
    std::vector<FrameJob*> free_;
    std::deque<FrameJob*> pending_;   // queued worker steps
    std::deque<FrameJob*> inFlight_;  // submitted, in frame order
    bool stopping_ = false;
    int sleeping_ = 0;              // workers asleep
    bool consumerWaiting_ = false;  // the consumer sleeps for a turn
    std::vector<std::thread> threads_;
};

}  // namespace data_channel
