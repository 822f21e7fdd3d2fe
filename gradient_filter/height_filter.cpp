#include "gradient_filter/height_filter.h"

#include <cstring>
#include <functional>
#include <vector>

#include "gradient_filter/filter_geometry.h"
#include "gradient_filter/gradient_pass.h"
#include "gradient_filter/opening_filter.h"
#include "gradient_filter/region_filter.h"
#include "gradient_filter/repair_pass.h"
#include "gradient_filter/work_images.h"

namespace parvex {

namespace {

constexpr int kRepairMode = 2;

bool overlaps(const int32_t* a, const int32_t* b, std::size_t count) {
  std::less<const int32_t*> before;
  return before(a, b + count) && before(b, a + count);
}

}  // namespace

void filterHeightImage(const int32_t* source, int32_t* heights, uint8_t* gray, int width, int height,
                       const FilterSettings& settings) {
  if (width <= 0 || height <= 0) return;
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);

  // The gradient pass must see the input while the output changes; a caller
  // filtering in place gets a private copy of the input.
  std::vector<int32_t> sourceCopy;
  if (overlaps(source, heights, pixels)) {
    sourceCopy.assign(source, source + pixels);
    source = sourceCopy.data();
  }
  std::memmove(heights, source, pixels * sizeof(int32_t));

  std::vector<uint8_t> removed(pixels, 0);
  WorkImages images(heights, gray, removed.data(), width, height, settings.invalidValue);
  const FilterGeometry geometry = geometryForWindow(settings.window);

  removeGradientOutliers(source, images, geometry, settings.lowThreshold, settings.highThreshold);
  if (settings.connectedOn) removeSmallRegions(images, settings.minArea);
  if (settings.openOn) removeThinStructures(images, effectiveOpenKernel(settings.openKernel, width, height));
  if (settings.repairMode == kRepairMode) repairRemovedPoints(images, geometry);
}

}  // namespace parvex
