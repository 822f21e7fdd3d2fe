#pragma once

// Public interface of libParvex.so: one C function that removes gradient
// outliers from a 32-bit height image and keeps its 8-bit grey image in step.

#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(__GNUC__)
#define PARVEX_API __attribute__((visibility("default")))
#else
#define PARVEX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Copies `src` to `dst` and filters `dst` and `gray` (both width x height,
// row-major). A height is valid when it is greater than `invalidValue`;
// removed points get `invalidValue` and grey 0. `reserved` is not read.
PARVEX_API void Parvex(const int32_t* src, int32_t* dst, void* reserved, uint8_t* gray,
                       int width, int height, int lowThreshold, int highThreshold, int window,
                       int invalidValue, bool connectedOn, int minArea, bool openOn,
                       int openKernel, int repairMode);

#ifdef __cplusplus
}
#endif
