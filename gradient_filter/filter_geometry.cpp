#include "gradient_filter/filter_geometry.h"

#include <algorithm>

namespace parvex {

namespace {
constexpr int kMinimumMargin = 10;
}

FilterGeometry geometryForWindow(int window) {
  // A negative window has no neighbours, exactly like a window of 1.
  const int radius = std::max(window / 2, 0);
  return FilterGeometry{radius, std::max(radius, kMinimumMargin)};
}

IndexRange insetRange(int extent, long long inset) {
  return IndexRange{inset, static_cast<long long>(extent) - inset - 1};
}

IndexRange staticShare(IndexRange range, int thread, int threads) {
  if (range.empty() || threads <= 0) return IndexRange{0, -1};
  const long long count = range.last - range.first + 1;
  const long long chunk = (count + threads - 1) / threads;
  const long long first = range.first + chunk * thread;
  const long long last = std::min(first + chunk - 1, range.last);
  return IndexRange{first, last};
}

}  // namespace parvex
