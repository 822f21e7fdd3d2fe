#pragma once
// A caller's batch thread: polls HVQ5_2_TakeBatchData as the program's client
// does (the call does not wait), follows the batch number to tell batches
// apart and keeps every batch whose frames reached the batch length.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sensor_interface/registry/hvq5_api.h"

namespace acceptance {

struct TakenBatch {
    int batchNumber = -1;
    std::vector<int32_t> profiles;        // frames x width
    std::vector<uint8_t> intensity;       // frames x width
    std::vector<uint32_t> encoders;       // one per frame
    std::vector<uint32_t> frameNumbers;   // one per frame
};

class BatchTaker {
public:
    BatchTaker(int id, int width, int batchLength)
        : id_(id), width_(width), batchLength_(batchLength),
          profiles_(static_cast<size_t>(batchLength) * width), intensity_(profiles_.size()),
          encoders_(batchLength), frameNumbers_(batchLength), stamps_(batchLength) {}
    ~BatchTaker() { stop(); }
    BatchTaker(const BatchTaker&) = delete;
    BatchTaker& operator=(const BatchTaker&) = delete;

    void start() {
        running_ = true;
        thread_ = std::thread([this] { run(); });
    }
    void stop() {
        running_ = false;
        if (thread_.joinable()) thread_.join();
    }

    bool waitForBatches(size_t count, int timeoutMs) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return complete_.size() >= count || !error_.empty(); });
    }
    std::vector<TakenBatch> batches() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return complete_;
    }
    // Empty unless a call answered with a status instead of frames.
    std::string error() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return error_;
    }

private:
    void run() {
        TakenBatch current;
        bool handedOver = false;  // the current batch number is complete and kept
        while (running_) {
            const int start = handedOver ? batchLength_ : static_cast<int>(current.encoders.size());
            int batchNumber = -1;
            const int got = HVQ5_2_TakeBatchData(id_, nullptr, start, batchNumber, profiles_.data(),
                                                 intensity_.data(), encoders_.data(), frameNumbers_.data(),
                                                 nullptr, stamps_.data(), static_cast<uint32_t>(batchLength_));
            if (got < 0 || got > batchLength_) {
                fail("take answered " + std::to_string(got));
                return;
            }
            if (batchNumber != current.batchNumber) {
                // A new batch: what was read from further on belongs to it; read it from its start.
                const bool readFromStart = start == 0;
                current = TakenBatch{};
                current.batchNumber = batchNumber;
                handedOver = false;
                if (!readFromStart) continue;
            }
            if (got == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            append(current, got);
            if (static_cast<int>(current.encoders.size()) == batchLength_) {
                std::lock_guard<std::mutex> lock(mutex_);
                complete_.push_back(current);
                handedOver = true;
                changed_.notify_all();
            }
        }
    }

    void append(TakenBatch& batch, int frames) {
        const size_t values = static_cast<size_t>(frames) * width_;
        batch.profiles.insert(batch.profiles.end(), profiles_.begin(), profiles_.begin() + values);
        batch.intensity.insert(batch.intensity.end(), intensity_.begin(), intensity_.begin() + values);
        batch.encoders.insert(batch.encoders.end(), encoders_.begin(), encoders_.begin() + frames);
        batch.frameNumbers.insert(batch.frameNumbers.end(), frameNumbers_.begin(), frameNumbers_.begin() + frames);
    }

    void fail(const std::string& what) {
        std::lock_guard<std::mutex> lock(mutex_);
        error_ = what;
        changed_.notify_all();
    }

    const int id_;
    const int width_;
    const int batchLength_;
    std::vector<int32_t> profiles_;
    std::vector<uint8_t> intensity_;
    std::vector<uint32_t> encoders_;
    std::vector<uint32_t> frameNumbers_;
    std::vector<uint64_t> stamps_;
    std::atomic<bool> running_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<TakenBatch> complete_;
    std::string error_;
};

}  // namespace acceptance
