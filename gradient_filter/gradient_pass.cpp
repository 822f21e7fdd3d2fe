#include "gradient_filter/gradient_pass.h"

#include <algorithm>

#include <omp.h>

namespace parvex {

namespace {

// Columns scored together: their window sums advance side by side in SIMD
// lanes while each point's own sum keeps the fixed neighbour order.
constexpr int kTile = 256;

struct Band {
  float low;
  float high;
  bool contains(float mean) const { return low < mean && mean < high; }
};

// An invalid neighbour adds difference * 0, a zero, which leaves a sum
// unchanged bit for bit (a sum that starts at +0 never becomes -0); a valid
// one adds difference * 1 exactly. So the lanes run without a branch and every
// sum still takes its terms in the fixed order. The AVX2 clone only widens
// the lanes (no fused multiply-add), so both clones give the same bits.
__attribute__((target_clones("avx2", "default"))) void accumulateNeighbours(
    const int32_t* __restrict neighbours, const float* __restrict centre, float* __restrict sum,
    int* __restrict count, int columns, int32_t invalid) {
#pragma omp simd
  for (int i = 0; i < columns; ++i) {
    const int32_t u = neighbours[i];
    const int valid = u > invalid ? 1 : 0;
    const float difference = centre[i] - static_cast<float>(u);
    sum[i] += difference * static_cast<float>(valid);
    count[i] += valid;
  }
}

class TileScorer {
 public:
  TileScorer(const int32_t* source, WorkImages& images, int radius, Band band)
      : source_(source), images_(images), radius_(radius), band_(band),
        invalid_(images.invalidValue()) {}

  void score(long long row, long long firstColumn, int columns) {
    const int32_t* centre = source_ + images_.index(row, firstColumn);
    for (int i = 0; i < columns; ++i) {
      centreValue_[i] = static_cast<float>(centre[i]);
      sum_[i] = 0.0f;
      count_[i] = 0;
    }
    for (int dy = -radius_; dy <= radius_; ++dy) {
      const int32_t* windowRow = source_ + images_.index(row + dy, firstColumn);
      for (int dx = -radius_; dx <= radius_; ++dx) {
        if (dy == 0 && dx == 0) continue;
        accumulateNeighbours(windowRow + dx, centreValue_, sum_, count_, columns, invalid_);
      }
    }
    for (int i = 0; i < columns; ++i) {
      if (centre[i] <= invalid_ || count_[i] == 0) continue;
      const float mean = sum_[i] / static_cast<float>(count_[i]);
      if (band_.contains(mean)) images_.remove(images_.index(row, firstColumn + i));
    }
  }

 private:
  const int32_t* source_;
  WorkImages& images_;
  int radius_;
  Band band_;
  int32_t invalid_;
  float centreValue_[kTile];
  float sum_[kTile];
  int count_[kTile];
};

}  // namespace

void removeGradientOutliers(const int32_t* source, WorkImages& images, FilterGeometry geometry,
                            int lowThreshold, int highThreshold) {
  const IndexRange rows = insetRange(images.height(), geometry.margin);
  const IndexRange columns = insetRange(images.width(), geometry.margin);
  if (rows.empty() || columns.empty()) return;
  const Band band{static_cast<float>(lowThreshold), static_cast<float>(highThreshold)};

  // Each thread owns one contiguous block of columns and walks the rows in
  // order; a point's window sum is computed entirely by its owner.
#pragma omp parallel num_threads(kThreadTeam)
  {
    const IndexRange block = staticShare(columns, omp_get_thread_num(), omp_get_num_threads());
    TileScorer scorer(source, images, geometry.radius, band);
    if (!block.empty()) {
      for (long long r = rows.first; r <= rows.last; ++r) {
        for (long long c = block.first; c <= block.last; c += kTile) {
          scorer.score(r, c, static_cast<int>(std::min<long long>(kTile, block.last - c + 1)));
        }
      }
    }
  }
}

}  // namespace parvex
