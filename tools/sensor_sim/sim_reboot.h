#pragma once
// Reboots of the simulated sensor. A write of register 227 reboots the
// controller: the write is echoed, then every connection is dropped, nothing
// is accepted for the downtime, and the sensor listens again. A write of
// register 239 reboots the laser head behind the controller: it is counted,
// the controller's channels stay up.
//
// A register can be held at a value until the n-th controller reboot (a laser
// head that answers only after the controller restarted it).
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "tools/sensor_sim/sim_sensor.h"

namespace sensor_sim {

class SimReboot : public SimService, public std::enable_shared_from_this<SimReboot> {
public:
    static constexpr uint32_t kControllerRegister = 227;
    static constexpr uint32_t kHeadRegister = 239;
    static constexpr int kForever = -1;

    explicit SimReboot(SimSensor& sensor) : sensor_(sensor) {}
    ~SimReboot() override;

    // How long a rebooting controller accepts nothing (default 200 ms).
    void setDowntimeMs(int ms);
    // From now on the register reads `value` until the `reboots`-th controller
    // reboot (counted from now; kForever: never), then the value it had.
    void holdRegisterUntilReboot(uint32_t address, uint32_t value, int reboots);

    // Controller reboots begun, and laser-head reboots.
    int controllerReboots() const;
    int headReboots() const;
    // True once `count` controller reboots have begun and the sensor listens
    // again; false after timeoutMs.
    bool waitForControllerReboots(int count, int timeoutMs);
    // True once a controller reboot has dropped the connections and the
    // sensor accepts nothing; false after timeoutMs.
    bool waitUntilDown(int timeoutMs);

    // Called on the connection thread for a register write: counted before
    // its echo goes out (a host that saw the echo sees the count), the
    // controller's reboot begun after it.
    void onWriting(uint32_t address);
    void onWritten(uint32_t address);

    // SimService: nothing to start; stop() (from outside the reboot) ends a
    // reboot in progress without bringing the sensor back.
    bool start(SimSensor&) override { return true; }
    void stop() override;

private:
    struct Hold {
        uint32_t value;
        uint32_t original;
        int untilReboot;  // controller reboot count that releases it; kForever
    };

    void reboot();
    void joinWorker();

    SimSensor& sensor_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int downtimeMs_ = 200;
    int controllerReboots_ = 0;
    int headReboots_ = 0;
    bool rebooting_ = false;
    bool pending_ = false;  // a controller reboot counted, its echo on the way
    bool down_ = false;
    bool cancelled_ = false;
    std::map<uint32_t, Hold> holds_;
    std::thread worker_;
    std::thread::id workerId_;  // kept while the thread object is being joined
};

// Makes register writes of 227 and 239 reboot the sensor; the returned object
// counts reboots and holds registers. The sensor stops a reboot in progress
// when it stops.
std::shared_ptr<SimReboot> installReboot(SimSensor& sensor);

}  // namespace sensor_sim
