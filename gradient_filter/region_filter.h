#pragma once

#include "gradient_filter/work_images.h"

namespace parvex {

// Removes the valid points of every 4-connected region of fewer than
// `minArea` points. Invalid points form no region and are left untouched.
void removeSmallRegions(WorkImages& images, int minArea);

}  // namespace parvex
