#pragma once

namespace parvex {

// Radius of the gradient window and the frame of rows and columns that the
// gradient pass and the repair leave alone.
struct FilterGeometry {
  int radius;  // window / 2, rounded toward zero; never below 0
  int margin;  // max(radius, 10)
};

FilterGeometry geometryForWindow(int window);

// Closed index range [first, last]; empty when last < first. Kept in 64 bits
// so that a huge margin cannot wrap around the image extent.
struct IndexRange {
  long long first;
  long long last;
  bool empty() const { return last < first; }
};

// Indexes inset ... extent - inset - 1 of an axis of `extent` pixels.
IndexRange insetRange(int extent, long long inset);

// The contiguous share of `range` that OpenMP's static schedule gives to
// thread `thread` of `threads`.
IndexRange staticShare(IndexRange range, int thread, int threads);

}  // namespace parvex
