// Batch exports over the command channel: a block of the sensor's batch
// memory copied into caller arrays, and the automatic batch read.
#include <algorithm>
#include <cstring>
#include <vector>

#include "sensor_interface/command/command_batch.h"
#include "sensor_interface/registry/batch_exports.h"
#include "sensor_interface/registry/setting_exports_dispatch.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"
#include "sensor_interface/status_codes.h"

namespace {

constexpr uint32_t kBatchLengthRegister = 138;
constexpr uint32_t kXPitchRegister = 285;
constexpr int kClearedMemory = 0;

// The caller arrays of one block read; a null array is skipped.
struct BlockOutputs {
    HVQ5_BATCH_HEADER* header = nullptr;
    HVQ5_BATCH_PROFILE_INFO* info = nullptr;
    HVQ5_BATCH_FRAME* frames = nullptr;
    void* profiles = nullptr;
    void* intensity = nullptr;
};

// One block as the dispatcher delivers it.
struct BlockRead {
    std::vector<uint8_t> profileBytes;
    std::vector<uint8_t> grayBytes;
    std::vector<uint32_t> batchNumbers;
    std::vector<uint32_t> encoders;
    std::vector<uint64_t> timeStamps;
};

int prepare(SettingDispatcher& dispatcher, const HVQ5_BATCH_REQUEST& request, bool acceptState2) {
    switch (batch_exports::preparationFor(request.kind)) {
        case batch_exports::Preparation::ClearMemory:
            return dispatcher.clearBatchMemory(kClearedMemory) == HVQ5_RC_OK ? HVQ5_RC_OK
                                                                            : HVQ5_RC_COMMAND_FAILED;
        case batch_exports::Preparation::AskMemoryState:
            return batch_exports::memoryStateOutcome(
                dispatcher.batchMemoryStatus(static_cast<uint32_t>(request.value), request.memoryIndex),
                acceptState2);
        case batch_exports::Preparation::None: return HVQ5_RC_OK;
        case batch_exports::Preparation::Refuse: break;
    }
    return HVQ5_RC_BAD_REPLY;
}

// Copies at most `frames` frames of the block into the caller's arrays.
void copyOut(const BlockRead& block, const HVQ5_BATCH_PROFILE_INFO& info, size_t frames,
             const BlockOutputs& out) {
    const size_t points = static_cast<size_t>(std::max<int16_t>(info.pointCount, 0));
    if (out.profiles != nullptr) {
        const size_t bytes = std::min(block.profileBytes.size(), frames * points * sizeof(int32_t));
        if (bytes > 0) std::memcpy(out.profiles, block.profileBytes.data(), bytes);
    }
    if (out.intensity != nullptr && info.hasIntensity == 1) {
        const size_t bytes = std::min(block.grayBytes.size(), frames * points);
        if (bytes > 0) std::memcpy(out.intensity, block.grayBytes.data(), bytes);
    }
    if (out.frames != nullptr) {
        const size_t records = std::min(frames, block.batchNumbers.size());
        for (size_t i = 0; i < records; ++i)
            batch_exports::fillFrameRecord(out.frames[i], block.batchNumbers[i], block.encoders[i],
                                           block.timeStamps[i]);
    }
}

int readBlock(int id, const HVQ5_BATCH_REQUEST* request, const BlockOutputs& outputs, bool acceptState2) {
    return deviceStatusCall(id, [&](tandrel_zp_clients& device) {
        if (request == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        SensorController& controller = device.controller;
        ControllerDispatch dispatcher(controller);
        const int prepared = prepare(*dispatcher, *request, acceptState2);
        if (prepared != HVQ5_RC_OK) return prepared;

        // The point count decides how much of the profile bytes a frame is,
        // so it is read even when the caller does not want the info record.
        HVQ5_BATCH_PROFILE_INFO ownInfo{};
        HVQ5_BATCH_PROFILE_INFO& info = outputs.info != nullptr ? *outputs.info : ownInfo;
        BlockRead block;
        const int status = dispatcher->readBatchBlock(block.profileBytes, block.grayBytes, block.batchNumbers,
                                                      block.encoders, block.timeStamps, &info, outputs.header);
        if (status != HVQ5_RC_OK) return status;
        const size_t frames =
            batch_exports::framesAllowed(controller.getVals(kBatchLengthRegister),
                                         static_cast<uint32_t>(block.batchNumbers.size()));
        copyOut(block, info, frames, outputs);
        return HVQ5_RC_OK;
    });
}

}  // namespace

extern "C" {

HVQ5_API int HVQ5_GetBatchProfile(int id, const HVQ5_BATCH_REQUEST* request, HVQ5_BATCH_HEADER* header,
                                  HVQ5_BATCH_PROFILE_INFO* info, void* profiles) {
    return readBlock(id, request, {header, info, nullptr, profiles, nullptr}, false);
}

HVQ5_API int HVQ5_GetBatchSimpleArray(int id, const HVQ5_BATCH_REQUEST* request, HVQ5_BATCH_HEADER* header,
                                      HVQ5_BATCH_PROFILE_INFO* info, HVQ5_BATCH_FRAME* frames, void* profiles,
                                      void* intensity) {
    return readBlock(id, request, {header, info, frames, profiles, intensity}, false);
}

HVQ5_API int HVQ5_GetBatchSimpleArray_v2(int id, const HVQ5_BATCH_REQUEST* request, HVQ5_BATCH_HEADER* header,
                                         HVQ5_BATCH_PROFILE_INFO* info, HVQ5_BATCH_FRAME* frames,
                                         void* profiles, void* intensity) {
    return readBlock(id, request, {header, info, frames, profiles, intensity}, true);
}

HVQ5_API int HVQ5_2_ReceiveDataAuto(int id, HVQ5_2_STR_CALLBACK_INFO* info) {
    return deviceStatusCall(id, [info](tandrel_zp_clients& device) {
        SensorController& controller = device.controller;
        const int status = controller.receiveDataAuto(*ControllerDispatch(controller));
        if (status != HVQ5_RC_OK) return status;
        if (info == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        const CommandBatch& batch = controller.commandBatch;
        info->width = controller.settings().extwidth(controller.points);
        info->frames = batch.framesReceived;
        info->batch_number = batch.valuesA.empty() ? -1 : static_cast<int32_t>(batch.valuesA.back());
        info->x_pitch = controller.getVals(kXPitchRegister) / 100000.0;
        info->first_encoder = batch.valuesB.empty() ? 0 : static_cast<int32_t>(batch.valuesB.front());
        info->constant = 1;
        info->incomplete = batch.completion == command_batch::kComplete ? 0 : -1;
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_GetBatchTimes(int id) {
    return deviceStatusCall(id, [](tandrel_zp_clients& device) {
        const CommandBatch& batch = device.controller.commandBatch;
        if (batch.framesReceived <= 0 || batch.valuesA.empty()) return -1;
        return static_cast<int>(batch.valuesA.back());
    });
}

}  // extern "C"
