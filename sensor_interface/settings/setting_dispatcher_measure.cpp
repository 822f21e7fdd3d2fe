// Measurement controls of the dispatcher: start and stop, the sensor's batch
// memory, the trigger-counter wait and the command-channel batch read.
#include <algorithm>
#include <chrono>
#include <thread>

#include "sensor_interface/settings/setting_dispatcher.h"
#include "sensor_interface/settings/setting_dispatcher_rules.h"

namespace {

class SteadyDispatchClock : public DispatchClock {
public:
    int64_t nowMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void sleepMs(int ms) override {
        if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
};

constexpr uint32_t kBatchMemoryRegister = 277;
constexpr uint32_t kTriggerCounterRegister = 294;
constexpr int kTriggerPollMs = 20;

}  // namespace

DispatchClock& DispatchClock::steady() {
    static SteadyDispatchClock clock;
    return clock;
}

SettingDispatcher::SettingDispatcher(SettingTransport& transport, DispatchClock& clock)
    : transport_(transport), clock_(clock) {}

int SettingDispatcher::batchMemoryStatus(uint32_t value, int block) {
    uint32_t state = value;
    const int status = transport_.queryRegister(static_cast<uint16_t>(block),
                                                static_cast<uint16_t>(kBatchMemoryRegister), state, 3);
    if (status != HVQ5_RC_OK) return HVQ5_RC_COMMAND_FAILED;
    if (state == 0) return HVQ5_RC_OK;
    return state == 2 ? HVQ5_RC_MEMORY_STATE_2 : HVQ5_RC_MEMORY_NOT_READY;
}

int SettingDispatcher::clearBatchMemory(int block) {
    const uint32_t reg = (static_cast<uint32_t>(block) << 16) + kBatchMemoryRegister;
    return write(reg, 0) == HVQ5_RC_OK ? HVQ5_RC_OK : HVQ5_RC_COMMAND_FAILED;
}

int SettingDispatcher::startStop(bool start) {
    const int status = start ? write(141, 1) : write(142, 1);
    return status == HVQ5_RC_OK ? HVQ5_RC_OK : HVQ5_RC_COMMAND_FAILED;
}

int SettingDispatcher::waitTriggerCount(int timeoutMs, int* count) {
    const auto readCounter = [this](int32_t& counter) {
        uint32_t value = 0;
        if (read(kTriggerCounterRegister, value) != HVQ5_RC_OK) return false;
        counter = static_cast<int32_t>(value);
        return true;
    };
    int32_t counter = 0;
    if (transport_.triggerCount() < 0) {
        if (!readCounter(counter)) return HVQ5_RC_NO_SOCKET;
        transport_.setTriggerCount(counter);
    }
    int64_t started = clock_.nowMs();
    int64_t waited = 0;
    clock_.sleepMs(kTriggerPollMs);
    if (!readCounter(counter)) return HVQ5_RC_NO_SOCKET;
    for (;;) {
        const int32_t previous = transport_.triggerCount();
        if (counter != previous) {
            const int32_t next = setting_rules::nextTriggerCount(previous, counter);
            transport_.setTriggerCount(next);
            if (count != nullptr) *count = next;
            return HVQ5_RC_OK;
        }
        if (timeoutMs > 0) {
            const int64_t now = clock_.nowMs();
            waited += now - started;
            started = now;
            if (waited >= timeoutMs) return HVQ5_RC_TIMEOUT;
        }
        clock_.sleepMs(kTriggerPollMs);
        clock_.sleepMs(kTriggerPollMs);
        if (!readCounter(counter)) return HVQ5_RC_NO_SOCKET;
    }
}

int SettingDispatcher::readBatchBlock(std::vector<uint8_t>& profiles, std::vector<uint8_t>& gray,
                                      std::vector<uint32_t>& batchNumbers,
                                      std::vector<uint32_t>& encoders,
                                      std::vector<uint64_t>& timeStamps,
                                      HVQ5_BATCH_PROFILE_INFO* info, HVQ5_BATCH_HEADER* header) {
    profiles.clear();
    gray.clear();
    batchNumbers.clear();
    encoders.clear();
    timeStamps.clear();
    if (transport_.cachedRegister(149) != 1) return HVQ5_RC_BATCH_NOT_ENABLED;

    std::vector<uint8_t> data;
    BatchStatus status;
    const int readStatus = transport_.readBatchStatusBlock(data, status);
    if (readStatus != HVQ5_RC_OK && readStatus != HVQ5_RC_MEMORY_NOT_READY) return readStatus;
    if (info != nullptr) fillBatchProfileInfo(status, *info);
    if (header != nullptr) fillBatchHeader(status, *header);
    if (status.frameCount == 0) return HVQ5_RC_OK;
    if (readStatus == HVQ5_RC_MEMORY_NOT_READY) return readStatus;

    if (info != nullptr) info->pointCount = kPlaceholderPointCount;
    const size_t frames = status.frameCount;
    batchNumbers.assign(frames, 0);
    encoders.assign(frames, 0);
    timeStamps.assign(frames, 0);
    const int overrunThreshold = std::max(100, static_cast<int>(frames * 0.2));

    BatchFrameProcessor* processor = transport_.batchFrameProcessor();
    if (processor == nullptr) return HVQ5_RC_NOT_ALLOWED;
    // The processor holds one frame of the model's columns; a frame reaching
    // past them is not a frame this sensor can send.
    if (static_cast<int>(status.firstColumn) + status.pointsPerFrame > processor->columns()) {
        return HVQ5_RC_BAD_BLOCK;
    }

    BatchDataReader reader(data.data(), data.size(), status);
    if (!reader.hasStartMarker()) return HVQ5_RC_BAD_BLOCK;
    // Room for the frames the block can hold, not for the count the sensor
    // announces: a wrong count must not make us reserve a gigabyte.
    const size_t reservedFrames = std::min(frames, reader.mostFrames());
    BatchFrame frame;
    size_t index = 0;
    while (!reader.atEnd()) {
        const BatchDataReader::Step step = reader.next(frame);
        if (step == BatchDataReader::Step::End) return HVQ5_RC_OK;
        if (step == BatchDataReader::Step::Malformed) return HVQ5_RC_BAD_BLOCK;
        if (index >= frames) return HVQ5_RC_BAD_BLOCK;  // more frames than announced

        const bool firstOfBatch = status.framesBefore == 0 && index == 0;
        const int points = processor->process(frame, status.firstColumn, firstOfBatch);
        if (points < 0) return HVQ5_RC_NOT_ALLOWED;
        if (info != nullptr) info->pointCount = static_cast<int16_t>(points);
        batchNumbers[index] = frame.batchNumber;
        encoders[index] = frame.encoder;
        timeStamps[index] = frame.timeStamp;
        if (status.overrunCount > overrunThreshold) transport_.setPendingStatus(HVQ5_RC_ENCODER_TOO_FAST);

        const size_t profileAt = profiles.size();
        const size_t grayAt = gray.size();
        if (index == 0) {
            profiles.reserve(reservedFrames * 4u * static_cast<size_t>(points));
            gray.reserve(reservedFrames * static_cast<size_t>(points));
        }
        profiles.resize(profileAt + 4u * static_cast<size_t>(points));
        gray.resize(grayAt + static_cast<size_t>(points));
        processor->exportLast(profiles.data() + profileAt, gray.data() + grayAt, points);
        ++index;
    }
    return HVQ5_RC_OK;
}
