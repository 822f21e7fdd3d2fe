#pragma once

#include <cstdint>

#include "gradient_filter/filter_geometry.h"
#include "gradient_filter/work_images.h"

namespace parvex {

// Removes every valid point inside the margin whose mean single-precision
// difference to the valid points of its window lies strictly between the two
// thresholds. Reads only `source`, so the result does not depend on the order
// in which points are visited.
void removeGradientOutliers(const int32_t* source, WorkImages& images, FilterGeometry geometry,
                            int lowThreshold, int highThreshold);

}  // namespace parvex
