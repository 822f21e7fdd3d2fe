#include <algorithm>
#include <cstring>

#include "sensor_interface/data_channel/profile_receiver.h"
#include "sensor_interface/registry/batch_exports.h"
#include "sensor_interface/status_codes.h"

namespace batch_exports {

Preparation preparationFor(uint8_t kind) {
    switch (kind) {
        case 0: return Preparation::ClearMemory;
        case 2: return Preparation::AskMemoryState;
        case 5: return Preparation::None;
        default: return Preparation::Refuse;
    }
}

int memoryStateOutcome(int status, bool acceptState2) {
    if (status == HVQ5_RC_OK) return HVQ5_RC_OK;
    if (status == HVQ5_RC_MEMORY_STATE_2 && acceptState2) return HVQ5_RC_OK;
    return HVQ5_RC_COMMAND_FAILED;
}

size_t framesAllowed(uint32_t configuredFrames, uint32_t announcedFrames) {
    if (configuredFrames == 0) return announcedFrames;
    if (announcedFrames == 0) return configuredFrames;
    return std::min(configuredFrames, announcedFrames);
}

void fillFrameRecord(HVQ5_BATCH_FRAME& record, uint32_t batchNumber, uint32_t encoder, uint64_t timeStamp) {
    record.zero0 = 0;
    record.batchNumber = batchNumber;
    record.encoder = encoder;
    record.timeStamp = timeStamp;
    record.zero24 = 0;
}

size_t pointerWindowFirstFrame(const HVQ5_2_EXTEND& extend) {
    if (extend.enable == 0) return 0;
    if (extend.y_roi_first == 0 && extend.y_roi_last == 0) return 0;
    return static_cast<size_t>(std::max(extend.y_roi_first, 0));
}

int outline16Width(uint32_t register752, int windowWidth) {
    const int32_t width = static_cast<int32_t>(register752);
    if (width != 0) return std::max(width, 0);
    return std::max(windowWidth, 0);
}

size_t copyOutline16(const int32_t* profiles, int count, int width, int16_t* out) {
    if (profiles == nullptr || out == nullptr || count <= 0 || width <= 0) return 0;
    const size_t values = static_cast<size_t>(count / width) * static_cast<size_t>(width);
    for (size_t i = 0; i < values; ++i) out[i] = static_cast<int16_t>(static_cast<uint32_t>(profiles[i]) & 0xFFFFu);
    return values;
}

void widenFrameNumbers(uint64_t* aux, size_t moved, size_t count) {
    if (aux == nullptr) return;
    // Slot i of the uint32 view lies in the first half of aux[i / 2]; going
    // backwards, every value is read before its slot is overwritten.
    unsigned char* bytes = reinterpret_cast<unsigned char*>(aux);
    for (size_t i = moved; i-- > 0;) {
        uint32_t number = 0;
        std::memcpy(&number, bytes + i * sizeof(uint32_t), sizeof number);
        const uint64_t wide = number;
        std::memcpy(bytes + i * sizeof(uint64_t), &wide, sizeof wide);
    }
    std::fill(aux + std::min(moved, count), aux + count, uint64_t{0});
}

int waitForBatchEnd(ProfileReceiver& receiver, int sliceMs, const std::function<bool()>& stillOpen) {
    const auto ended = [&receiver] { return receiver.announcedFrames() != 0 && receiver.batchFinished(); };
    for (;;) {
        // Closing the id also ends the batch being assembled; that end is no
        // batch for the caller, whose data went with the id.
        if (receiver.waitBatchState(ended, sliceMs)) return stillOpen() ? HVQ5_RC_OK : HVQ5_RC_NOT_OPEN;
        if (receiver.framesReceived() > 0) return HVQ5_RC_TIMEOUT;
        if (!stillOpen()) return HVQ5_RC_NOT_OPEN;
    }
}

}  // namespace batch_exports
