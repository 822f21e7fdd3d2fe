#pragma once
// What the dual-head merge keeps per head: what the head's consumer thread
// handed over, in the order it handed it over. The registry's merge mutex is
// always taken before a slot's lock.
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

// One thing a head's consumer thread handed over: a frame, the end of the
// head's batch with its records, or the start of the head's next batch. The
// merge thread lags behind the heads by a varying amount; kept in their order,
// a head's frames stay with the batch they belong to however far it lags.
struct MergeEvent {
    enum class Kind { Frame, BatchEnd, BatchStart };
    Kind kind = Kind::Frame;
    MergeFrame frame;                 // Kind::Frame
    HVQ5_2_STR_CALLBACK_INFO info{};  // Kind::BatchEnd: copies of the head's records
    _HVQ5_2_Data data{};
};

class MergeSlot {
public:
    static constexpr size_t kDefaultEventLimit = 5000000;
    // Enough for a merge thread held up for a while (a slow handler, a
    // loaded machine) to catch up without losing a batch.
    static constexpr size_t kWholeBatchesKept = 2;

    explicit MergeSlot(size_t eventLimit = kDefaultEventLimit) : eventLimit_(eventLimit) {}

    // Appends a copy of the frame; beyond the limit the oldest event is lost.
    void push(const std::vector<double>& z, const std::vector<uint8_t>& gray);
    void pushBatchEnd(const HVQ5_2_STR_CALLBACK_INFO& info, const _HVQ5_2_Data& data);
    // Appends a batch start. The slot keeps the batch the head sends and at
    // most kWholeBatchesKept whole batches before it; older events go (a head
    // whose partner sends nothing would otherwise fill the memory; the merge
    // drops a batch cut so as one that a head broke off).
    void pushBatchStart();

    // The kind of the oldest event; false when the slot is empty.
    bool frontKind(MergeEvent::Kind* kind) const;
    // Takes the oldest event into `event` (storage is swapped, not
    // reallocated); false when the slot is empty.
    bool pop(MergeEvent& event);
    // Gives an event's frame storage back for later pushes.
    void recycle(MergeEvent&& event);
    void clearQueue();

    // Events queued; read without any lock by the merge thread's wait.
    uint64_t count() const { return count_.load(); }

private:
    // Frames kept for reuse, so that steady streaming does not allocate.
    static constexpr size_t kSpareFrames = 16;

    void append(MergeEvent&& event);  // under mutex_

    const size_t eventLimit_;
    mutable std::mutex mutex_;
    std::deque<MergeEvent> events_;
    std::vector<MergeFrame> spare_;
    size_t startsQueued_ = 0;
    std::atomic<uint64_t> count_{0};
};
