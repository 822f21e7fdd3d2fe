#include "settings_windows/core/measured_value_monitor.h"

#include <chrono>
#include <vector>

#include "platform/thread_start.h"
#include "sensor_interface/log/log_manager.h"
#include "sensor_interface/registry/device_functions.h"

namespace {

constexpr int kWorkModeRegister = 842;
constexpr int kLinkRequestRegister = 838;
constexpr int kLinkStateRegister = 840;
constexpr int kLinkCodeRegister = 839;
constexpr int kOutputRegister = 829;
constexpr int kRtuOutputRegister = 861;
constexpr int kModbusRtu = 3;

}  // namespace

MeasuredValueMonitor::MeasuredValueMonitor(int deviceId, Callbacks callbacks, Timing timing,
                                           std::filesystem::path folder, std::mutex* deviceMutex)
    : deviceId_(deviceId),
      callbacks_(std::move(callbacks)),
      timing_(timing),
      folder_(std::move(folder)),
      deviceMutex_(deviceMutex) {}

MeasuredValueMonitor::~MeasuredValueMonitor() {
    stop();
    std::lock_guard<std::recursive_mutex> lock(lock_);
    file_.close();
}

void MeasuredValueMonitor::start() {
    if (thread_.joinable()) return;
    thread_ = mirevo::platform::startThread([this] { run(); });
}

void MeasuredValueMonitor::stop() {
    setRunState(Stop);
    if (thread_.joinable()) thread_.join();
}

void MeasuredValueMonitor::setRunState(int state) {
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        runState_.store(state, std::memory_order_release);
    }
    wake_.notify_all();
}

bool MeasuredValueMonitor::waitFor(int ms) {
    std::unique_lock<std::mutex> lock(wakeMutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return runState() == Stop; });
    return runState() != Stop;
}

uint32_t MeasuredValueMonitor::cachedOr(int reg, uint32_t fallback) const {
    uint32_t value = 0;
    return hvq5_get_cached_register(deviceId_, reg, &value) == 0 ? value : fallback;
}

std::unique_lock<std::mutex> MeasuredValueMonitor::deviceTurn() const {
    return deviceMutex_ ? std::unique_lock<std::mutex>(*deviceMutex_) : std::unique_lock<std::mutex>();
}

uint32_t MeasuredValueMonitor::readOr(int reg, uint32_t fallback) const {
    uint32_t value = 0;
    const auto turn = deviceTurn();
    return hvq5_read_register(deviceId_, reg, &value) == 0 ? value : fallback;
}

void MeasuredValueMonitor::run() {
    while (runState() != Stop) pollOnce();
}

void MeasuredValueMonitor::pollOnce() {
    const uint32_t workMode = cachedOr(kWorkModeRegister, 1);
    if (!waitFor(workMode == 1 ? timing_.workModePollMs : timing_.idlePollMs)) return;

    const uint32_t linkRequest = readOr(kLinkRequestRegister, 0);
    const bool allowed = measured::liveReadsAllowed(linkRequest, workMode);
    if (hvq5_get_link_paused(deviceId_) != allowed) hvq5_set_link_paused(deviceId_, allowed ? 1 : 0);

    if (runState() > Run && callbacks_.status) {
        const uint32_t linked = readOr(kLinkStateRegister, 0);
        const uint32_t code = readOr(kLinkCodeRegister, 0);
        callbacks_.status(workMode, linkRequest, linked, code);
    }

    std::vector<int32_t> words(measured::kBlockWords, 0);
    measured::Frame frame;
    const int type = dataType();

    std::lock_guard<std::recursive_mutex> lock(lock_);
    valueText_.clear();
    uint32_t firmware135 = 0;
    uint32_t version166 = 0;
    bool fromBlock = false;
    if (hvq5_get_firmware_versions(deviceId_, 1, &firmware135, &version166) == 0 &&
        measured::hasValueBlock(hvq5_is_series4(deviceId_), version166)) {
        {
            const auto turn = deviceTurn();
            fromBlock = hvq5_read_block_190(deviceId_, &words) == 0 && words.size() >= 3;
        }
        if (fromBlock) frame = measured::frameFromBlock(words, type);
    }
    if (!fromBlock) {
        const int reg = protocol_.load(std::memory_order_acquire) == kModbusRtu ? kRtuOutputRegister : kOutputRegister;
        uint32_t value = 0;
        bool read = false;
        {
            const auto turn = deviceTurn();
            read = hvq5_read_register(deviceId_, reg, &value) == 0;
        }
        if (read) frame = measured::frameFromRegister(value, type);
    }
    valueText_ = frame.valueText;

    if (file_.isOpen()) {
        file_.write(measured::csvLine(LogManager::timeStampText(), valueText_, words));
        if (file_.lineCount() >= timing_.fileLineLimit) reopenFile();
    }
    if (callbacks_.data) callbacks_.data(name_, valueText_, frame);
}

void MeasuredValueMonitor::publishName(const std::string& name) {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    name_ = name;
    if (callbacks_.data) callbacks_.data(name_, valueText_, measured::Frame{valueText_, -1, -1, -1, -1, -1});
}

void MeasuredValueMonitor::reopenFile() {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    file_.close();
    const uint32_t workMode = cachedOr(kWorkModeRegister, 1);
    const bool saving = callbacks_.savingEnabled && callbacks_.savingEnabled();
    if (workMode != 0 && saving) file_.open(folder_, LogManager::timeStampText());
}

std::filesystem::path MeasuredValueMonitor::filePath() const {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    return file_.isOpen() ? file_.path() : std::filesystem::path();
}

uint32_t MeasuredValueMonitor::fileLines() const {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    return file_.lineCount();
}
