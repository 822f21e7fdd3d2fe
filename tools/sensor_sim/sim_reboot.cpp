#include "tools/sensor_sim/sim_reboot.h"

#include <chrono>

namespace sensor_sim {
namespace {

constexpr uint8_t kWriteRegister = 160;

}  // namespace

SimReboot::~SimReboot() { stop(); }

void SimReboot::setDowntimeMs(int ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    downtimeMs_ = ms;
}

void SimReboot::holdRegisterUntilReboot(uint32_t address, uint32_t value, int reboots) {
    std::lock_guard<std::mutex> lock(mutex_);
    const uint32_t original = holds_.count(address) ? holds_[address].original : sensor_.reg(address);
    const int until = reboots == kForever ? kForever : controllerReboots_ + reboots;
    holds_[address] = Hold{value, original, until};
    sensor_.setReg(address, value);
}

int SimReboot::controllerReboots() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return controllerReboots_;
}

int SimReboot::headReboots() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return headReboots_;
}

bool SimReboot::waitForControllerReboots(int count, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return controllerReboots_ >= count && !rebooting_ && !pending_; });
}

bool SimReboot::waitUntilDown(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return down_; });
}

void SimReboot::onWriting(uint32_t address) {
    address &= 0xFFFF;
    std::lock_guard<std::mutex> lock(mutex_);
    if (address == kHeadRegister) {
        ++headReboots_;
        changed_.notify_all();
    } else if (address == kControllerRegister && !rebooting_ && !pending_ && !cancelled_) {
        ++controllerReboots_;
        pending_ = true;
    }
}

void SimReboot::onWritten(uint32_t address) {
    if ((address & 0xFFFF) != kControllerRegister) return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!pending_) return;
    pending_ = false;
    // The previous reboot has ended (rebooting_ is false): only its thread's exit is left.
    if (worker_.joinable()) worker_.join();
    rebooting_ = true;
    worker_ = std::thread([this] { reboot(); });
    workerId_ = worker_.get_id();
}

void SimReboot::reboot() {
    sensor_.stop();
    {
        std::unique_lock<std::mutex> lock(mutex_);
        down_ = true;
        changed_.notify_all();
        changed_.wait_for(lock, std::chrono::milliseconds(downtimeMs_), [&] { return cancelled_; });
        if (cancelled_) {
            rebooting_ = false;
            down_ = false;
            changed_.notify_all();
            return;
        }
        for (auto it = holds_.begin(); it != holds_.end();) {
            if (it->second.untilReboot != kForever && controllerReboots_ >= it->second.untilReboot) {
                sensor_.setReg(it->first, it->second.original);
                it = holds_.erase(it);
            } else {
                ++it;
            }
        }
        down_ = false;
    }
    sensor_.start();
    std::lock_guard<std::mutex> lock(mutex_);
    rebooting_ = false;
    changed_.notify_all();
}

void SimReboot::stop() {
    // The reboot itself stops and starts the sensor, and with it this service.
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (std::this_thread::get_id() == workerId_) return;
        cancelled_ = true;
        pending_ = false;  // a write still on its way reboots nothing
        changed_.notify_all();
    }
    joinWorker();
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = false;
}

void SimReboot::joinWorker() {
    std::thread worker;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        worker = std::move(worker_);
    }
    if (worker.joinable()) worker.join();
    std::lock_guard<std::mutex> lock(mutex_);
    if (!worker_.joinable()) workerId_ = std::thread::id();
}

std::shared_ptr<SimReboot> installReboot(SimSensor& sensor) {
    auto reboot = std::make_shared<SimReboot>(sensor);
    const SimSensor::Dispatch write = sensor.dispatchFor(kWriteRegister);
    // The write is answered first: the host sees its echo before the sensor goes away.
    sensor.registerOpcodeHandler(
        kWriteRegister,
        [reboot, write](SimSensor& s, const Request& request, ReplyWriter& reply) {
            reboot->onWriting(request.address);
            if (write.handler) write.handler(s, request, reply);
            reboot->onWritten(request.address);
        },
        write.payloadSize);
    sensor.addService(reboot);
    return reboot;
}

}  // namespace sensor_sim
