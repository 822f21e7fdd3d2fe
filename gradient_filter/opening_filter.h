#pragma once

#include "gradient_filter/work_images.h"

namespace parvex {

// The kernel side that opens the valid image the way `openKernel` asks:
// 0 when there is nothing to open (a side below 1); sides beyond the image
// are cut to the smallest side whose window still spans the whole image from
// every pixel, which opens identically without a giant structuring element.
int effectiveOpenKernel(int openKernel, int width, int height);

// Removes every valid point that a morphological opening of the valid image
// with a square `kernel` x `kernel` element clears. The image edge does not
// erode. A kernel of 0 does nothing.
void removeThinStructures(WorkImages& images, int kernel);

}  // namespace parvex
