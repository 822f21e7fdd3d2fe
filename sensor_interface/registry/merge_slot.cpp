#include "sensor_interface/registry/merge_slot.h"

#include <algorithm>
#include <utility>

void MergeSlot::append(MergeEvent&& event) {
    if (event.kind == MergeEvent::Kind::BatchStart) ++startsQueued_;
    events_.push_back(std::move(event));
    if (events_.size() > eventLimit_) {
        if (events_.front().kind == MergeEvent::Kind::BatchStart) --startsQueued_;
        events_.pop_front();
    }
    count_ = events_.size();
}

void MergeSlot::push(const std::vector<double>& z, const std::vector<uint8_t>& gray) {
    std::lock_guard<std::mutex> lock(mutex_);
    MergeEvent event;
    if (!spare_.empty()) {
        event.frame = std::move(spare_.back());
        spare_.pop_back();
    }
    event.frame.z.assign(z.begin(), z.end());
    event.frame.gray.assign(gray.begin(), gray.end());
    append(std::move(event));
}

void MergeSlot::pushBatchEnd(const HVQ5_2_STR_CALLBACK_INFO& info, const _HVQ5_2_Data& data) {
    std::lock_guard<std::mutex> lock(mutex_);
    MergeEvent event;
    event.kind = MergeEvent::Kind::BatchEnd;
    event.info = info;
    event.data = data;
    append(std::move(event));
}

void MergeSlot::pushBatchStart() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (startsQueued_ >= kWholeBatchesKept) {
        // Everything before the oldest of the last kWholeBatchesKept starts goes.
        size_t starts = 0;
        const size_t dropped = startsQueued_ - kWholeBatchesKept;
        const auto kept = std::find_if(events_.begin(), events_.end(), [&](const MergeEvent& e) {
            return e.kind == MergeEvent::Kind::BatchStart && starts++ == dropped;
        });
        for (auto it = events_.begin(); it != kept; ++it)
            if (it->kind == MergeEvent::Kind::Frame && spare_.size() < kSpareFrames)
                spare_.push_back(std::move(it->frame));
        events_.erase(events_.begin(), kept);
        startsQueued_ = kWholeBatchesKept;
    }
    MergeEvent event;
    event.kind = MergeEvent::Kind::BatchStart;
    append(std::move(event));
}

bool MergeSlot::frontKind(MergeEvent::Kind* kind) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (events_.empty()) return false;
    *kind = events_.front().kind;
    return true;
}

bool MergeSlot::pop(MergeEvent& event) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (events_.empty()) return false;
    std::swap(event, events_.front());
    if (event.kind == MergeEvent::Kind::BatchStart) --startsQueued_;
    events_.pop_front();
    count_ = events_.size();
    return true;
}

void MergeSlot::recycle(MergeEvent&& event) {
    if (event.kind != MergeEvent::Kind::Frame) return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (spare_.size() < kSpareFrames) spare_.push_back(std::move(event.frame));
}

void MergeSlot::clearQueue() {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.clear();
    startsQueued_ = 0;
    count_ = 0;
}
