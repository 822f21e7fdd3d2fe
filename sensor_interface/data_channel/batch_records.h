#pragma once
// The two records a batch handler receives, and the handler signatures. Other
// programs receive these records by pointer, so their field order and sizes
// are fixed; both are valid only during the call.
#include <cstddef>
#include <cstdint>
#include <functional>

struct HVQ5_2_STR_CALLBACK_INFO {
    int32_t width;          // values per frame (the output width)
    int32_t frames;         // frames delivered, after padding and the Y window
    int32_t batch_number;   // batch number of the last frame
    double x_pitch;         // millimetres between neighbouring values
    int32_t first_encoder;  // encoder value of the first frame, 0 without frames
    int32_t constant;       // always 1
    int32_t incomplete;     // -1 when the frame count differs from the announced one, else 0
    int32_t extend_on;      // the enable byte of the extended values
};

static_assert(offsetof(HVQ5_2_STR_CALLBACK_INFO, width) == 0, "");
static_assert(offsetof(HVQ5_2_STR_CALLBACK_INFO, frames) == 4, "");
static_assert(offsetof(HVQ5_2_STR_CALLBACK_INFO, batch_number) == 8, "");
static_assert(offsetof(HVQ5_2_STR_CALLBACK_INFO, x_pitch) == 16, "");
static_assert(offsetof(HVQ5_2_STR_CALLBACK_INFO, first_encoder) == 24, "");
static_assert(offsetof(HVQ5_2_STR_CALLBACK_INFO, constant) == 28, "");
static_assert(offsetof(HVQ5_2_STR_CALLBACK_INFO, incomplete) == 32, "");
static_assert(offsetof(HVQ5_2_STR_CALLBACK_INFO, extend_on) == 36, "");
static_assert(sizeof(HVQ5_2_STR_CALLBACK_INFO) == 40, "");

struct _HVQ5_2_Data {
    int32_t device_id;
    int32_t reserved;  // 0
};

static_assert(offsetof(_HVQ5_2_Data, device_id) == 0, "");
static_assert(sizeof(_HVQ5_2_Data) == 8, "");

// The plain batch callback: int32 profiles, values per frame, frames, notify
// code (0x10000 full batch, 8 short batch), the user value given at open.
using HVQ5_2_BatchCallback = void (*)(int32_t* profiles, uint32_t width, uint32_t frames,
                                      uint32_t notifyCode, int userValue);
// The installed batch handler, as a plain function and as a function object.
using HVQ5_2_BatchHandler = void (*)(const HVQ5_2_STR_CALLBACK_INFO* info, _HVQ5_2_Data* data);
using HVQ5_2_BatchHandlerObject =
    std::function<void(const HVQ5_2_STR_CALLBACK_INFO* info, _HVQ5_2_Data* data)>;
// An entry of the handler list (the cloud filter) that works on the batch in place.
using HVQ5_2_BatchListHandler =
    std::function<bool(const HVQ5_2_STR_CALLBACK_INFO* info, _HVQ5_2_Data* data)>;
