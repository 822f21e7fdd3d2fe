// The frame kernels built for processors with AVX2 (chosen at run time). Only
// AVX2 is enabled: fused multiply-adds would round differently.
#include <cmath>
#include <cstring>

#include "sensor_interface/processing/frame_kernels.h"
#include "sensor_interface/processing/processing_types.h"

#pragma GCC diagnostic ignored "-Wpsabi"

#if defined(__x86_64__)
// Everything defined below is built for AVX2; the headers above keep their
// baseline code. (clang takes the same as an attribute of every function.)
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC target("avx2")
#endif

namespace frame_kernels_avx2 {
namespace {
constexpr const char* kKernelName = "avx2";
#define FRAME_KERNELS_AVX2 1
#include "sensor_interface/processing/frame_kernels_body.h"
}  // namespace
#if defined(__clang__)
#pragma clang attribute pop
#endif

const FrameKernels* kernels() { return &kKernels; }
}  // namespace frame_kernels_avx2
#else
namespace frame_kernels_avx2 {
const FrameKernels* kernels() { return nullptr; }
}  // namespace frame_kernels_avx2
#endif
