// Batch exports over the data channel's batch buffers: the wait for a batch
// end, pointers into the buffers, copies, continuous and rolling moves.
#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>

#include "sensor_interface/data_channel/batch_buffers.h"
#include "sensor_interface/processing/height_conversion.h"
#include "sensor_interface/registry/batch_exports.h"
#include "sensor_interface/registry/model_info.h"
#include "sensor_interface/registry/model_table.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"
#include "sensor_interface/status_codes.h"

namespace {

constexpr uint32_t kBatchLengthRegister = 138;
constexpr uint32_t kCodeStepRegister = 353;
constexpr uint32_t kOutputWidthRegister = 752;
constexpr uint32_t kRoiWidthRegister = 358;

int clampToInt(uint32_t count) { return static_cast<int>(std::min<uint32_t>(count, INT_MAX)); }

size_t outputWidthOf(tandrel_zp_clients& device) {
    return static_cast<size_t>(std::max(device.receiver.outputWidth(), 0));
}

// Frames a caller array without a size may take (see the public header).
size_t framesForSizelessCopy(tandrel_zp_clients& device) {
    return batch_exports::framesAllowed(device.controller.getVals(kBatchLengthRegister),
                                        device.receiver.announcedFrames());
}

bool mergedHeads(tandrel_zp_clients& device) {
    return sensorHeadCount(model_info::model_text(device.controller.laserParams)) == 2;
}

// Copies at most limit elements of a buffer view, under the buffer lock.
template <typename T, typename View>
void copyCapped(tandrel_zp_clients& device, View view, size_t limit, T* out) {
    if (out == nullptr) return;
    data_channel::BatchBuffers& buffers = device.receiver.batchBuffers();
    std::lock_guard<data_channel::BatchBuffers> lock(buffers);
    const data_channel::BufferView<T> all = (buffers.*view)(0);
    const size_t n = std::min(all.count, limit);
    if (n > 0) std::memcpy(out, all.data, n * sizeof(T));
}

// Start of a buffer for the pointer getters, from the Y window's first frame.
template <typename T, typename View>
T* windowPointer(tandrel_zp_clients& device, View view, size_t elementsPerFrame) {
    const size_t first = batch_exports::pointerWindowFirstFrame(*device.controller.settings().get_sdk_extend());
    return (device.receiver.batchBuffers().*view)(first * elementsPerFrame).data;
}

template <typename T, typename Operation>
T* pointerCall(const _HVQ5_2_Data* data, Operation&& operation) noexcept {
    if (data == nullptr) return nullptr;
    return deviceValueCall<T*>(data->device_id, nullptr, std::forward<Operation>(operation));
}

int rollRead(tandrel_zp_clients& device, int* batchNumber, int32_t* profiles, uint8_t* intensity,
             uint32_t* encoders, uint64_t* aux, uint64_t* timeStamps, uint32_t count) {
    uint32_t number = 0;
    // The frame numbers land in the front half of aux and are widened there,
    // so a rolling read needs no scratch array of the caller's size.
    uint32_t* frameNumbers = aux != nullptr ? reinterpret_cast<uint32_t*>(aux) : nullptr;
    const int frames = device.receiver.takeRollFrames(batchNumber != nullptr ? &number : nullptr, profiles,
                                                      intensity, encoders, frameNumbers, timeStamps,
                                                      clampToInt(count));
    batch_exports::widenFrameNumbers(aux, static_cast<size_t>(std::max(frames, 0)), clampToInt(count));
    if (frames > 0 && batchNumber != nullptr) *batchNumber = static_cast<int>(number);
    return frames;
}

}  // namespace

extern "C" {

HVQ5_API int HVQ5_2_ReceiveData(int id) {
    return deviceStatusCall(id, [id](tandrel_zp_clients& device) {
        return batch_exports::waitForBatchEnd(device.receiver, batch_exports::kBatchEndSliceMs,
                                              [id, &device] {
                                                  return device.receiver.running() &&
                                                         sdkManager().find(id).get() == &device;
                                              });
    });
}

HVQ5_API int32_t* HVQ5_2_GetBatchProfilePoint(const _HVQ5_2_Data* data) {
    return pointerCall<int32_t>(data, [](tandrel_zp_clients& device) -> int32_t* {
        if (mergedHeads(device)) {
            tandrel_zp_manager& manager = sdkManager();
            std::lock_guard<std::mutex> lock(manager.merge_mutex);
            return manager.merged_profile.data();
        }
        return windowPointer<int32_t>(device, &data_channel::BatchBuffers::profiles, outputWidthOf(device));
    });
}

HVQ5_API uint8_t* HVQ5_2_GetBatchIntensityPoint(const _HVQ5_2_Data* data) {
    return pointerCall<uint8_t>(data, [](tandrel_zp_clients& device) -> uint8_t* {
        if (mergedHeads(device)) {
            tandrel_zp_manager& manager = sdkManager();
            std::lock_guard<std::mutex> lock(manager.merge_mutex);
            return manager.merged_intensity.data();
        }
        return windowPointer<uint8_t>(device, &data_channel::BatchBuffers::intensity, outputWidthOf(device));
    });
}

HVQ5_API uint32_t* HVQ5_2_GetBatchEncoderPoint(const _HVQ5_2_Data* data) {
    return pointerCall<uint32_t>(data, [](tandrel_zp_clients& device) {
        return windowPointer<uint32_t>(device, &data_channel::BatchBuffers::encoders, 1);
    });
}

HVQ5_API uint64_t* HVQ5_2_GetBatchTimestamps(const _HVQ5_2_Data* data) {
    return pointerCall<uint64_t>(data, [](tandrel_zp_clients& device) {
        return windowPointer<uint64_t>(device, &data_channel::BatchBuffers::timestamps, 1);
    });
}

HVQ5_API int16_t* HVQ5_2_GetBatchProfilePoint16(const _HVQ5_2_Data* data, int, double* zStep) {
    return pointerCall<int16_t>(data, [zStep](tandrel_zp_clients& device) {
        if (zStep != nullptr) *zStep = 256.0 * res16_step(static_cast<int>(device.controller.getVals(kCodeStepRegister)));
        return windowPointer<int16_t>(device, &data_channel::BatchBuffers::codes, outputWidthOf(device));
    });
}

HVQ5_API int HVQ5_2_GetProfileData(int id, void*, int32_t* out) {
    return deviceStatusCall(id, [out](tandrel_zp_clients& device) {
        copyCapped(device, &data_channel::BatchBuffers::profiles, framesForSizelessCopy(device) * outputWidthOf(device), out);
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_GetIntensityData(int id, void*, uint8_t* out) {
    return deviceStatusCall(id, [out](tandrel_zp_clients& device) {
        copyCapped(device, &data_channel::BatchBuffers::intensity, framesForSizelessCopy(device) * outputWidthOf(device),
                   out);
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_GetEncoder(int id, void*, uint32_t* out) {
    return deviceStatusCall(id, [out](tandrel_zp_clients& device) {
        copyCapped(device, &data_channel::BatchBuffers::encoders, framesForSizelessCopy(device), out);
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_GetTimestamps(int id, void*, uint64_t* out) {
    return deviceStatusCall(id, [out](tandrel_zp_clients& device) {
        copyCapped(device, &data_channel::BatchBuffers::timestamps, framesForSizelessCopy(device), out);
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_GetProfileContiuneData(int id, void*, int32_t* out, int frames) {
    return deviceValueCall(id, HVQ5_RC_NOT_OPEN_VALUE, [out, frames](tandrel_zp_clients& device) {
        return device.receiver.takeProfileFrames(out, frames);
    });
}

HVQ5_API int HVQ5_2_GetIntensityContiuneData(int id, void*, uint8_t* out, int frames) {
    return deviceValueCall(id, HVQ5_RC_NOT_OPEN_VALUE, [out, frames](tandrel_zp_clients& device) {
        return device.receiver.takeIntensityFrames(out, frames);
    });
}

HVQ5_API int HVQ5_2_GetEncoderContiune(int id, void*, uint32_t* out, int count) {
    return deviceValueCall(id, HVQ5_RC_NOT_OPEN_VALUE, [out, count](tandrel_zp_clients& device) {
        return device.receiver.takeEncoders(out, count);
    });
}

HVQ5_API int HVQ5_2_GetBatchRollData(int id, void*, int32_t* profiles, uint8_t* intensity, uint32_t* encoders,
                                     uint64_t* aux, void*, uint32_t count) {
    return deviceStatusCall(id, [&](tandrel_zp_clients& device) {
        return rollRead(device, nullptr, profiles, intensity, encoders, aux, nullptr, count);
    });
}

HVQ5_API int HVQ5_2_GetBatchRollData_Ex(int id, void*, int* batchNumber, int32_t* profiles, uint8_t* intensity,
                                        uint32_t* encoders, uint64_t* aux, uint64_t* timeStamps, void*,
                                        uint32_t count) {
    return deviceStatusCall(id, [&](tandrel_zp_clients& device) {
        return rollRead(device, batchNumber, profiles, intensity, encoders, aux, timeStamps, count);
    });
}

HVQ5_API int HVQ5_2_ProfilePointCount(int id) {
    return deviceValueCall(id, HVQ5_RC_NOT_OPEN_VALUE,
                           [](tandrel_zp_clients& device) { return device.receiver.framesReceived(); });
}

HVQ5_API HVQ5_2_OUTLINE16_RESULT HVQ5_2_EXTEND_Outline16bit(int id, const int32_t* profiles, int count,
                                                            int16_t* out) {
    HVQ5_2_OUTLINE16_RESULT result{};
    result.status = deviceStatusCall(id, [&](tandrel_zp_clients& device) {
        hvq5_settings& settings = device.controller.settings();
        const int window = settings.extwidth(2 * static_cast<int>(settings.get_vals(kRoiWidthRegister)));
        const int width = batch_exports::outline16Width(settings.get_vals(kOutputWidthRegister), window);
        batch_exports::copyOutline16(profiles, count, width, out);
        return HVQ5_RC_OK;
    });
    return result;
}

}  // extern "C"

HVQ5_API int HVQ5_2_TakeBatchData(int id, _HVQ5_2_Data* const, int start, int& batchNumber, int* profiles,
                                  uint8_t* intensity, uint32_t* encoders, uint32_t* aux, uint32_t*,
                                  uint64_t* timeStamps, uint32_t maxFrames) {
    return deviceStatusCall(id, [&](tandrel_zp_clients& device) {
        uint32_t number = 0;
        const int frames = device.receiver.takeBatch(start, &number, profiles, intensity, encoders, aux, timeStamps,
                                                     clampToInt(maxFrames));
        batchNumber = static_cast<int>(number);
        return frames;
    });
}

HVQ5_API double HVQ5_2_Res16(int id) {
    return deviceValueCall(id, 4097.0, [](tandrel_zp_clients& device) {
        return res16_step(static_cast<int>(device.controller.getVals(kCodeStepRegister)));
    });
}
