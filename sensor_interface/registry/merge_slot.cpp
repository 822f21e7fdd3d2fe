#include "sensor_interface/registry/merge_slot.h"

#include <utility>

void MergeSlot::push(const std::vector<double>& z, const std::vector<uint8_t>& gray) {
    std::lock_guard<std::mutex> lock(mutex_);
    MergeFrame frame;
    if (!spare_.empty()) {
        frame = std::move(spare_.back());
        spare_.pop_back();
    }
    frame.z.assign(z.begin(), z.end());
    frame.gray.assign(gray.begin(), gray.end());
    frames_.push_back(std::move(frame));
    if (frames_.size() > frameLimit_) frames_.pop_front();
    count_ = frames_.size();
}

bool MergeSlot::pop(MergeFrame& frame) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (frames_.empty()) return false;
    std::swap(frame, frames_.front());
    frames_.pop_front();
    count_ = frames_.size();
    return true;
}

void MergeSlot::recycle(MergeFrame&& frame) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (spare_.size() < kSpareFrames) spare_.push_back(std::move(frame));
}

void MergeSlot::clearQueue() {
    std::lock_guard<std::mutex> lock(mutex_);
    frames_.clear();
    count_ = 0;
}
