#pragma once
// What the dual-head merge keeps per head: the frames the head's consumer
// thread has handed over, and the head's last batch records. The registry's
// merge mutex is always taken before a slot's lock.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "sensor_interface/data_channel/batch_records.h"

// One processed frame of one head: heights in micrometres and gray bytes.
struct MergeFrame {
    std::vector<double> z;
    std::vector<uint8_t> gray;
};

class MergeSlot {
public:
    static constexpr size_t kDefaultFrameLimit = 5000000;

    explicit MergeSlot(size_t frameLimit = kDefaultFrameLimit) : frameLimit_(frameLimit) {}

    // Appends a copy of the frame; beyond the limit the oldest frame is lost.
    void push(const std::vector<double>& z, const std::vector<uint8_t>& gray);
    // Takes the oldest frame into `frame` (its storage is swapped, not
    // reallocated); false when the queue is empty.
    bool pop(MergeFrame& frame);
    // Gives a frame's storage back for later pushes.
    void recycle(MergeFrame&& frame);
    void clearQueue();

    // Frames queued; read without any lock by the merge thread's wait.
    uint64_t count() const { return count_.load(); }
    bool batchEnded() const { return batchEnded_.load(); }
    void setBatchEnded(bool ended) { batchEnded_ = ended; }

    // Copies of the head's last batch records (written and read under the
    // registry's merge mutex).
    HVQ5_2_STR_CALLBACK_INFO info{};
    _HVQ5_2_Data data{};

private:
    // Frames kept for reuse, so that steady streaming does not allocate.
    static constexpr size_t kSpareFrames = 16;

    const size_t frameLimit_;
    std::mutex mutex_;
    std::deque<MergeFrame> frames_;
    std::vector<MergeFrame> spare_;
    std::atomic<uint64_t> count_{0};
    std::atomic<bool> batchEnded_{false};
};
