// The dual-head merge: a two-head sensor opened as two ids hands every
// processed frame of both heads to the registry; one thread pairs them in
// arrival order, merges each pair into one profile and hands the merged batch
// to the caller's handler once both heads have ended their batch.
#include <algorithm>
#include <chrono>
#include <thread>

#include "sensor_interface/log/log_manager.h"
#include "platform/thread_start.h"
#include "sensor_interface/processing/dual_merge.h"
#include "sensor_interface/registry/merge_rows.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"

namespace {

constexpr int kDataPort = 9;
// A head's data channel gets a moment between stop and start.
constexpr std::chrono::milliseconds kRestartPause{50};

struct DualMergeParams {
    bool align = false;
    double bZOffset = 0.0;
    int bXOffset = 0;
    double heightDelta = 0.0;
    int singleValidOutput = 0;
    int inDeltaOutput = 0;
    int beyondDeltaOutput = 0;
};

DualMergeParams merge_params_of(const HVQ5_2_EXTEND& extend) {
    DualMergeParams params;
    params.align = extend.cloud_align != 0;
    params.bZOffset = extend.b_z_offset;
    params.bXOffset = extend.b_x_offset;
    params.heightDelta = extend.height_delta;
    params.singleValidOutput = extend.single_valid_output;
    params.inDeltaOutput = extend.valid_output_in_delta;
    params.beyondDeltaOutput = extend.valid_output_beyond_delta;
    return params;
}

// Reusable storage of the merge thread: one round's frames and the fitted rows.
struct MergeScratch {
    MergeFrame first, second;
    std::vector<double> zA, zB, zOut;
    std::vector<uint8_t> grayA, grayB, grayOut;

    void fit(int width) {
        const size_t n = static_cast<size_t>(width);
        zA.resize(n);
        zB.resize(n);
        zOut.resize(n);
        grayA.resize(n);
        grayB.resize(n);
        grayOut.resize(n);
        fit_merge_frame(first.z, first.gray, width, zA.data(), grayA.data());
        fit_merge_frame(second.z, second.gray, width, zB.data(), grayB.data());
    }
};

}  // namespace

int tandrel_zp_manager::install_merge_handler(int id, HVQ5_2_BatchHandler handler) {
    std::lock_guard<std::mutex> install(merge_install_mutex_);
    if (open_count() != 2) return HVQ5_RC_NOT_OPEN;
    end_merge_thread();
    {
        std::lock_guard<std::mutex> lock(merge_mutex);
        merge_slots.clear();
        merge_device_id = id;
    }

    std::vector<int> ids;
    {
        std::lock_guard<std::mutex> lock(registry_mutex_);
        for (const auto& entry : devices_) ids.push_back(entry.first);
    }
    for (int headId : ids) {
        const std::shared_ptr<tandrel_zp_clients> device = find(headId);
        if (!device) return HVQ5_RC_NOT_OPEN;
        ProfileReceiver& receiver = device->receiver;
        if (receiver.isConnected()) {
            receiver.stop();
            std::this_thread::sleep_for(kRestartPause);
        }
        // start() stops threads that still run (a reconnection in progress) first.
        if (receiver.start(headId, device->controller.addressText, kDataPort, 0, &device->controller) != 0)
            return HVQ5_RC_NO_SOCKET;
        {
            std::lock_guard<std::mutex> lock(merge_mutex);
            std::shared_ptr<MergeSlot>& slot = merge_slots[headId];
            if (!slot) slot = std::make_shared<MergeSlot>();
        }
        receiver.setStartHook([this](int head) { merge_start_feed(head); });
        receiver.setOneTimeHandlerObject(
            [this](const HVQ5_2_STR_CALLBACK_INFO* info, _HVQ5_2_Data* data) { merge_batch_end_feed(info, data); });
        receiver.setFrameMergeHook([this](int head, const std::vector<double>& z, const std::vector<uint8_t>& gray) {
            merge_frame_feed(head, z, gray);
        });
    }

    {
        std::lock_guard<std::mutex> lock(merge_mutex);
        merge_handler = handler;
    }
    // Set before the thread starts, so that a stop right after the start is never lost.
    merge_running = true;
    merge_thread = mirevo::platform::startThread([this, generation = merge_generation_.load()] { merge_loop(generation); });
    return HVQ5_RC_OK;
}

void tandrel_zp_manager::stop_merge() {
    std::lock_guard<std::mutex> install(merge_install_mutex_);
    end_merge_thread();
}

void tandrel_zp_manager::end_merge_thread() {
    {
        std::lock_guard<std::mutex> lock(merge_wake_mutex_);
        merge_running = false;
        ++merge_generation_;
    }
    merge_wake_.notify_all();
    if (!merge_thread.joinable()) return;
    // The merge handler itself may end the merge: its own thread cannot wait
    // for itself, and leaves its loop by the changed generation.
    if (merge_thread.get_id() == std::this_thread::get_id())
        merge_thread.detach();
    else
        merge_thread.join();
}

bool tandrel_zp_manager::merge_should_run(uint64_t generation) const {
    return merge_running && merge_generation_ == generation;
}

void tandrel_zp_manager::wake_merge() {
    // Taking the wake mutex orders this wake-up after the waiter's last look
    // at the slots, so it cannot slip in between that look and the wait.
    { std::lock_guard<std::mutex> lock(merge_wake_mutex_); }
    merge_wake_.notify_all();
}

void tandrel_zp_manager::push_merge_frame(MergeSlot& slot, const std::vector<double>& z,
                                          const std::vector<uint8_t>& gray) {
    slot.push(z, gray);
    wake_merge();
}

void tandrel_zp_manager::merge_frame_feed(int id, const std::vector<double>& z, const std::vector<uint8_t>& gray) {
    std::lock_guard<std::mutex> lock(merge_mutex);
    auto it = merge_slots.find(id);
    if (it == merge_slots.end()) return;
    push_merge_frame(*it->second, z, gray);
}

void tandrel_zp_manager::merge_batch_end_feed(const HVQ5_2_STR_CALLBACK_INFO* info, _HVQ5_2_Data* data) {
    if (!info || !data) return;
    {
        std::lock_guard<std::mutex> lock(merge_mutex);
        auto it = merge_slots.find(data->device_id);
        if (it == merge_slots.end()) return;
        it->second->pushBatchEnd(*info, *data);
    }
    wake_merge();
}

void tandrel_zp_manager::merge_start_feed(int id) {
    {
        std::lock_guard<std::mutex> lock(merge_mutex);
        auto it = merge_slots.find(id);
        if (it == merge_slots.end()) return;
        it->second->pushBatchStart();
    }
    wake_merge();
}

bool tandrel_zp_manager::merge_round_ready(const std::vector<std::shared_ptr<MergeSlot>>& slots) const {
    for (const std::shared_ptr<MergeSlot>& slot : slots)
        if (slot->count() == 0) return false;
    return true;
}

void tandrel_zp_manager::merge_loop(uint64_t generation) {
    // The slots stay the same while the thread runs: only an installation,
    // which ends the thread first, replaces them.
    std::vector<std::shared_ptr<MergeSlot>> slots;
    int deviceId = 0;
    HVQ5_2_BatchHandler handler = nullptr;
    {
        std::lock_guard<std::mutex> lock(merge_mutex);
        for (const auto& entry : merge_slots) slots.push_back(entry.second);
        deviceId = merge_device_id;
        handler = merge_handler;
    }
    DualMergeParams params;
    {
        const std::shared_ptr<tandrel_zp_clients> device = find(deviceId);
        if (!device || slots.size() < 2) return;
        params = merge_params_of(*device->controller.settings().get_sdk_extend());
    }
    LogManager::instance().log("merge started.", 1);

    using Kind = MergeEvent::Kind;
    MergeSlot& firstSlot = *slots[0];
    MergeSlot& secondSlot = *slots[1];
    MergeScratch scratch;
    MergeEvent first, second;
    int width = -1;  // the merged row width, fixed by the first pair of a batch
    int frames = 0;
    // The rows merged so far belong to no batch any more.
    auto dropMergedBatch = [&] {
        merged_profile.clear();
        merged_intensity.clear();
        width = -1;
        frames = 0;
    };
    while (merge_should_run(generation)) {
        {
            std::unique_lock<std::mutex> wait(merge_wake_mutex_);
            merge_wake_.wait(wait, [&] { return !merge_should_run(generation) || merge_round_ready(slots); });
        }
        if (!merge_should_run(generation)) break;

        // Each head's events in its order. Only this thread takes events out,
        // and the feeds wait for the merge mutex: the heads stay as seen here.
        std::unique_lock<std::mutex> lock(merge_mutex);
        Kind a = Kind::Frame, b = Kind::Frame;
        if (!firstSlot.frontKind(&a) || !secondSlot.frontKind(&b)) continue;

        if (a == Kind::Frame && b == Kind::Frame) {
            // One frame of each head, in arrival order.
            firstSlot.pop(first);
            secondSlot.pop(second);
            scratch.first = std::move(first.frame);
            scratch.second = std::move(second.frame);
            if (const std::shared_ptr<tandrel_zp_clients> device = find(deviceId))
                params = merge_params_of(*device->controller.settings().get_sdk_extend());
            if (width < 0) {
                const size_t n = scratch.first.z.empty() ? scratch.second.z.size() : scratch.first.z.size();
                width = static_cast<int>(n);
            }
            scratch.fit(width);
            dual_merge(scratch.zA.data(), scratch.grayA.data(), scratch.zB.data(), scratch.grayB.data(),
                       scratch.zOut.data(), scratch.grayOut.data(), width, kMergeInvalidHeight, params.align,
                       params.bZOffset, params.bXOffset, params.heightDelta, params.singleValidOutput,
                       params.inDeltaOutput, params.beyondDeltaOutput);
            append_merged_row(scratch.zOut.data(), scratch.grayOut.data(), width, merged_profile,
                              merged_intensity);
            ++frames;
            first.frame = std::move(scratch.first);
            second.frame = std::move(scratch.second);
            firstSlot.recycle(std::move(first));
            secondSlot.recycle(std::move(second));
            continue;
        }
        if (a == Kind::Frame || b == Kind::Frame) {
            // The other head's batch has ended (or broken off): a frame
            // without a partner is surplus.
            MergeSlot& surplus = a == Kind::Frame ? firstSlot : secondSlot;
            MergeEvent& event = a == Kind::Frame ? first : second;
            surplus.pop(event);
            surplus.recycle(std::move(event));
            continue;
        }
        if (a == Kind::BatchStart && b == Kind::BatchStart) {
            // Both heads begin their next batch; rows of one that broke off on
            // both go with it.
            firstSlot.pop(first);
            secondSlot.pop(second);
            dropMergedBatch();
            continue;
        }
        if (a != b) {
            // One head ended its batch, the other began its next one without
            // ending this one: the merged batch broke off and its rows are
            // dropped, not put in front of the next batch.
            (a == Kind::BatchEnd ? firstSlot : secondSlot).pop(a == Kind::BatchEnd ? first : second);
            dropMergedBatch();
            continue;
        }

        // Both heads ended their batch and every pair is merged.
        firstSlot.pop(first);
        secondSlot.pop(second);
        HVQ5_2_STR_CALLBACK_INFO info = merged_batch_info(first.info, std::max(width, 0), frames);
        _HVQ5_2_Data data = first.data;
        // The handler runs without the merge mutex, so that the heads'
        // consumer threads go on meanwhile and the handler may ask for the
        // merged buffers (their getters take the mutex); only this thread
        // changes them.
        lock.unlock();
        LogManager::instance().log("merge finished.", 1);
        if (handler) handler(&info, &data);
        // A handler that installed the merge anew leaves the buffers to the new thread.
        if (!merge_should_run(generation)) break;
        lock.lock();
        dropMergedBatch();
    }
}
