#pragma once

#include <cstdint>

#include "gradient_filter/filter_geometry.h"
#include "gradient_filter/work_images.h"

namespace parvex {

// Single-precision mean of `count` (> 0) heights whose sum is `sum`,
// truncated toward zero and kept inside the int32 range. The sum is 64-bit
// because four large heights overflow 32 bits.
int32_t truncatedMeanHeight(int64_t sum, int count);

// Smooths valid points two rows or columns away from a removed point with the
// median of their column, then fills removed points from their valid
// 4-neighbours, left to right and top to bottom.
void repairRemovedPoints(WorkImages& images, FilterGeometry geometry);

}  // namespace parvex
