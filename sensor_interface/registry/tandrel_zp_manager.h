#pragma once
// The process-wide device registry: maps each open device id to its device
// object. The registry mutex guards the map only; a device operation runs on a
// shared-pointer copy without it, so a device closed meanwhile lives on until
// the last running export lets go of it.
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "sensor_interface/registry/hvq5_rc.h"
#include "sensor_interface/registry/tandrel_zp_clients.h"

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

private:
    struct SocketLayer {
        int requested_version = 2;
        int last_error = 0;
    };

    std::unique_ptr<SocketLayer> socket_layer_;
    mutable std::mutex socket_mutex_;
    std::map<int, std::shared_ptr<tandrel_zp_clients>> devices_;
    std::mutex registry_mutex_;
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
