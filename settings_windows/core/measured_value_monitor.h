#pragma once
// The PLC page's measured-value monitor: a thread that polls the sensor's 2.5D
// measured values, keeps the sensor interface's live reads off the command
// channel while a PLC link is requested or the sensor measures in 2.5D mode,
// reports the link state, records the values in measured-value files and hands
// each result on. It touches no widget: it reports through callbacks, which
// the page turns into queued signals.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "settings_windows/core/measured_value_file.h"
#include "settings_windows/core/measured_values.h"

// How often the monitor polls and how long a measured-value file grows.
struct MeasuredValueTiming {
    int workModePollMs = measured::kWorkModePollMs;
    int idlePollMs = measured::kIdlePollMs;
    uint32_t fileLineLimit = measured::kFileLineLimit;
};

class MeasuredValueMonitor {
public:
    // Run states: 0 ends the thread, 1 polls the values, 2 also reports the link.
    enum RunState { Stop = 0, Run = 1, RunWithStatus = 2 };

    using Timing = MeasuredValueTiming;

    struct Callbacks {
        // Registers 842, 838, 840, 839 of a pass in run state 2 (monitor thread).
        std::function<void(uint32_t, uint32_t, uint32_t, uint32_t)> status;
        // The caption, the value text and the rest of a result; called with the
        // monitor's lock held, from the monitor thread or from publishName.
        std::function<void(const std::string& name, const std::string& value, const measured::Frame& frame)> data;
        // Whether the measured values are to be recorded (any thread).
        std::function<bool()> savingEnabled;
    };

    // deviceMutex, when given, is held around each exchange with the sensor,
    // as the program's other polling threads (live profile, heartbeat) hold it,
    // so that the monitor's block reads never fall into a live-profile stream.
    MeasuredValueMonitor(int deviceId, Callbacks callbacks, Timing timing = Timing{},
                         std::filesystem::path folder = "2.5D", std::mutex* deviceMutex = nullptr);
    // Stops and joins the thread, closes the file.
    ~MeasuredValueMonitor();
    MeasuredValueMonitor(const MeasuredValueMonitor&) = delete;
    MeasuredValueMonitor& operator=(const MeasuredValueMonitor&) = delete;

    // Starts the thread in run state 1 (once).
    void start();
    // Run state 0, wakes a waiting pass and joins the thread.
    void stop();
    bool started() const { return thread_.joinable(); }

    void setRunState(int state);
    int runState() const { return runState_.load(std::memory_order_acquire); }
    // Register 837 / 860 as the page shows it: how the values are formatted.
    void setDataType(int type) { dataType_.store(type, std::memory_order_release); }
    int dataType() const { return dataType_.load(std::memory_order_acquire); }
    // Register 843: Modbus RTU reads its output value from register 861.
    void setProtocol(int protocol) { protocol_.store(protocol, std::memory_order_release); }

    // Replaces the caption and hands the last value text on at once, with
    // boundary, offsets and lengths -1.
    void publishName(const std::string& name);
    // Closes the open measured-value file and opens a new one when the sensor
    // is in 2.5D work mode (or no sensor is open) and recording is enabled.
    void reopenFile();

    // The open file's path (empty when none) and its line count.
    std::filesystem::path filePath() const;
    uint32_t fileLines() const;

private:
    void run();
    void pollOnce();
    // False when the monitor was stopped during the wait.
    bool waitFor(int ms);
    uint32_t cachedOr(int reg, uint32_t fallback) const;
    uint32_t readOr(int reg, uint32_t fallback) const;
    // Holds the device mutex (when there is one) for one exchange.
    std::unique_lock<std::mutex> deviceTurn() const;

    const int deviceId_;
    const Callbacks callbacks_;
    const Timing timing_;
    const std::filesystem::path folder_;
    std::mutex* const deviceMutex_;

    std::atomic<int> runState_{Run};
    std::atomic<int> dataType_{measured::Int16};
    std::atomic<int> protocol_{0};

    // Guards the caption, the value text and the file.
    mutable std::recursive_mutex lock_;
    std::string name_;
    std::string valueText_;
    MeasuredValueFile file_;

    std::mutex wakeMutex_;
    std::condition_variable wake_;
    std::thread thread_;
};
