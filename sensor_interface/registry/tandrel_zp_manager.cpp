#include "sensor_interface/registry/tandrel_zp_manager.h"

#include <cstdio>

#include "sensor_interface/command/search.h"
#include "sensor_interface/log/log_manager.h"

namespace {
std::atomic<bool> g_firstCall{true};
}  // namespace

tandrel_zp_manager::~tandrel_zp_manager() {
    stop_merge();
    // Devices end outside the registry mutex: their consumer threads may look
    // an id up (the cloud filter) before they can be joined.
    std::map<int, std::shared_ptr<tandrel_zp_clients>> leaving;
    {
        std::lock_guard<std::mutex> lock(registry_mutex_);
        leaving.swap(devices_);
    }
}

std::shared_ptr<tandrel_zp_clients> tandrel_zp_manager::find(int id) {
    std::lock_guard<std::mutex> lock(registry_mutex_);
    auto it = devices_.find(id);
    return it == devices_.end() ? nullptr : it->second;
}

int tandrel_zp_manager::open_count() {
    std::lock_guard<std::mutex> lock(registry_mutex_);
    return static_cast<int>(devices_.size());
}

bool tandrel_zp_manager::connect(int id, const char* ipText, int port) {
    std::lock_guard<std::mutex> lock(registry_mutex_);
    if (ipText == nullptr || devices_.count(id) != 0) return false;
    auto device = std::make_shared<tandrel_zp_clients>();
    if (!device->controller.connect(id, ipText, port)) return false;
    devices_.emplace(id, std::move(device));
    return true;
}

void tandrel_zp_manager::close(int id) {
    std::shared_ptr<tandrel_zp_clients> leaving;
    {
        std::lock_guard<std::mutex> lock(registry_mutex_);
        auto it = devices_.find(id);
        if (it == devices_.end()) return;
        leaving = std::move(it->second);
        devices_.erase(it);
    }
    // The last reference may tear the device down (threads joined, sockets
    // closed): not under the registry mutex.
}

void tandrel_zp_manager::finalize() {
    // No head is left to merge.
    stop_merge();
    std::map<int, std::shared_ptr<tandrel_zp_clients>> leaving;
    {
        std::lock_guard<std::mutex> lock(registry_mutex_);
        leaving.swap(devices_);
    }
}

void tandrel_zp_manager::init_socket() {
    std::lock_guard<std::mutex> lock(socket_mutex_);
    if (socket_layer_) return;
    socket_layer_ = std::make_unique<SocketLayer>();
    std::fputs("Socket2.0 init suc!\n", stdout);
    std::fflush(stdout);
}

bool tandrel_zp_manager::socket_started() const {
    std::lock_guard<std::mutex> lock(socket_mutex_);
    return socket_layer_ != nullptr;
}

const uint32_t* tandrel_zp_manager::search_online(int* count, int timeoutMs) {
    return ::search_online(count, timeoutMs);
}

tandrel_zp_manager& sdkManager() {
    static tandrel_zp_manager manager;
    return manager;
}

bool takeFirstCall() { return g_firstCall.exchange(false); }

bool runFirstCallStep() {
    if (!takeFirstCall()) return false;
    sdkManager().init_socket();
    if (sdkManager().open_count() == 0) LogManager::instance();
    return true;
}

namespace registry_testing {
void resetFirstCall() { g_firstCall = true; }
}  // namespace registry_testing
