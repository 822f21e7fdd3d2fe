#include "sensor_interface/processing/frame_kernels.h"

#include <cmath>
#include <cstring>

#include "sensor_interface/processing/processing_types.h"

// Vectors of four doubles are passed only between inlined helpers.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace frame_kernels_baseline {
constexpr const char* kKernelName = "baseline";
#define FRAME_KERNELS_AVX2 0
#include "sensor_interface/processing/frame_kernels_body.h"
}  // namespace frame_kernels_baseline

namespace frame_kernels_avx2 {
// Null when the compiler could not build them.
const FrameKernels* kernels();
}  // namespace frame_kernels_avx2

const FrameKernels& baseline_frame_kernels() { return frame_kernels_baseline::kKernels; }

const FrameKernels* avx2_frame_kernels() {
#if defined(__x86_64__)
    static const FrameKernels* const kernels =
        __builtin_cpu_supports("avx2") ? frame_kernels_avx2::kernels() : nullptr;
    return kernels;
#else
    return nullptr;
#endif
}

const FrameKernels& frame_kernels() {
    static const FrameKernels& kernels =
        avx2_frame_kernels() ? *avx2_frame_kernels() : baseline_frame_kernels();
    return kernels;
}
