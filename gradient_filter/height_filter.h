#pragma once

#include <cstdint>

namespace parvex {

struct FilterSettings {
  int lowThreshold;
  int highThreshold;
  int window;
  int invalidValue;
  bool connectedOn;
  int minArea;
  bool openOn;
  int openKernel;
  int repairMode;
};

// Copies `source` to `heights` and runs the passes in order: gradient
// outliers, small regions, opening, repair. Buffers are width x height,
// row-major, and non-null; `source` may overlap `heights`.
void filterHeightImage(const int32_t* source, int32_t* heights, uint8_t* gray, int width, int height,
                       const FilterSettings& settings);

}  // namespace parvex
