#pragma once
// The process-wide device registry: maps each open device id to its device
// object. The registry mutex guards the map only; a device operation runs on a
// shared-pointer copy without it, so a device closed meanwhile lives on until
// the last running export lets go of it.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "sensor_interface/data_channel/batch_records.h"
#include "sensor_interface/registry/merge_slot.h"
#include "sensor_interface/registry/tandrel_zp_clients.h"
#include "sensor_interface/status_codes.h"

class tandrel_zp_manager {
public:
    tandrel_zp_manager() = default;
    ~tandrel_zp_manager();
    tandrel_zp_manager(const tandrel_zp_manager&) = delete;
    tandrel_zp_manager& operator=(const tandrel_zp_manager&) = delete;

    std::shared_ptr<tandrel_zp_clients> find(int id);
    int open_count();
    // Creates the device object and connects its command channel, holding the
    // registry mutex throughout. False when the id is taken or the connect fails.
    bool connect(int id, const char* ipText, int port);
    void close(int id);
    void finalize();
    // Starts the socket layer once per process (there is nothing to start on
    // Linux; the start is still announced once, as callers expect).
    void init_socket();
    bool socket_started() const;
    // The device search: the table of found addresses (network byte order),
    // null when the search failed.
    const uint32_t* search_online(int* count, int timeoutMs);

    // Dual-head merge state, driven by the merge handler installation.
    std::mutex merge_mutex;
    std::atomic<bool> merge_running{false};
    std::thread merge_thread;
    int merge_device_id = 0;
    std::vector<int32_t> merged_profile;
    std::vector<uint8_t> merged_intensity;
    // Slots by head id and the caller's handler (under merge_mutex).
    std::map<int, std::shared_ptr<MergeSlot>> merge_slots;
    HVQ5_2_BatchHandler merge_handler = nullptr;

    // --- Dual-head merge (merge_thread.cpp) ---
    // Needs exactly two open ids (else 4097); restarts both data channels
    // (1001 when one does not start), binds the feeds and starts the merge
    // thread for `handler`: 0.
    int install_merge_handler(int id, HVQ5_2_BatchHandler handler);
    // Ends the merge thread; it may be waiting for frames.
    void stop_merge();
    // Body of the merge thread: pairs the heads' frames, merges them and hands
    // each merged batch to the merge handler, while its generation is current.
    void merge_loop(uint64_t generation);
    // Queues one frame of a head and wakes the merge thread.
    void push_merge_frame(MergeSlot& slot, const std::vector<double>& z, const std::vector<uint8_t>& gray);
    // The cloud filter of the handler list (batch_handlers.cpp): the batch's
    // int32 rows through single precision (and the weld filter when value is
    // 8). False when data's id is not open.
    bool run_cloud_filter(int id, int value, const HVQ5_2_STR_CALLBACK_INFO* info, _HVQ5_2_Data* data);

private:
    // The feeds, run by each head's consumer thread.
    void merge_frame_feed(int id, const std::vector<double>& z, const std::vector<uint8_t>& gray);
    void merge_batch_end_feed(const HVQ5_2_STR_CALLBACK_INFO* info, _HVQ5_2_Data* data);
    void merge_start_feed(int id);
    void wake_merge();
    void end_merge_thread();
    bool merge_should_run(uint64_t generation) const;
    // The merge thread's wait: every slot has something queued.
    bool merge_round_ready(const std::vector<std::shared_ptr<MergeSlot>>& slots) const;

    struct SocketLayer {
        int requested_version = 2;
        int last_error = 0;
    };

    std::unique_ptr<SocketLayer> socket_layer_;
    mutable std::mutex socket_mutex_;
    std::map<int, std::shared_ptr<tandrel_zp_clients>> devices_;
    std::mutex registry_mutex_;
    // Serialises merge installations (and their teardown).
    std::mutex merge_install_mutex_;
    // Wakes the merge thread's wait: the innermost lock, nothing is taken while it is held.
    std::mutex merge_wake_mutex_;
    std::condition_variable merge_wake_;
    // Counts the merge threads ended; a thread runs only while its own count is current.
    std::atomic<uint64_t> merge_generation_{0};
};

// The registry, created on first use.
tandrel_zp_manager& sdkManager();

// The step the first of the initialise, open and search exports runs: start
// the socket layer and, when no id is open, the run log. Runs at most once per
// process. Returns false when it had already run.
bool runFirstCallStep();
// Clears the first-call flag; true when this call cleared it.
bool takeFirstCall();

// The call frame of every device-addressed export: look the id up, operate on
// a copy of the device pointer without the registry mutex, let go of it.
// Exceptions never leave an export: a status export reports them as a command
// that did not complete, a value export as its not-open result.
template <typename Operation>
int deviceStatusCall(int id, Operation&& operation) noexcept {
    try {
        std::shared_ptr<tandrel_zp_clients> device = sdkManager().find(id);
        if (!device) return HVQ5_RC_NOT_OPEN;
        return operation(*device);
    } catch (...) {
        return HVQ5_RC_COMMAND_FAILED;
    }
}

template <typename Result, typename Operation>
Result deviceValueCall(int id, Result notOpen, Operation&& operation) noexcept {
    try {
        std::shared_ptr<tandrel_zp_clients> device = sdkManager().find(id);
        if (!device) return notOpen;
        return operation(*device);
    } catch (...) {
        return notOpen;
    }
}

namespace registry_testing {
// Sets the process-wide first-call flag again, so that tests of the
// initialise exports do not depend on the order they run in.
void resetFirstCall();
}  // namespace registry_testing
