#pragma once

#include "gradient_filter/parvex.h"
#include "tests/gradient_filter/test_image.h"

namespace parvex_test {

using ParvexFunction = decltype(&Parvex);

// Filters a copy of `input` with `filter` (the linked function by default,
// or one looked up in the shared library) and returns heights and greys.
inline TestImage runFilter(const TestImage& input, const FilterCall& call, ParvexFunction filter = &Parvex) {
  TestImage output = input;
  filter(input.heights.data(), output.heights.data(), nullptr, output.gray.data(), input.width, input.height,
         call.lowThreshold, call.highThreshold, call.window, call.invalidValue, call.connectedOn, call.minArea,
         call.openOn, call.openKernel, call.repairMode);
  return output;
}

}  // namespace parvex_test
