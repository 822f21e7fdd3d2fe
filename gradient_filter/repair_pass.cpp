#include "gradient_filter/repair_pass.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

namespace parvex {

namespace {

constexpr int kMedianReach = 5;  // valid points taken above and below
constexpr int kMedianRowInset = 5;

// Up to 11 heights and greys of one column, sorted separately.
class ColumnSample {
 public:
  void add(int32_t height, uint8_t grey) {
    heights_[size_] = height;
    greys_[size_] = grey;
    ++size_;
  }
  int32_t medianHeight() {
    std::sort(heights_.begin(), heights_.begin() + size_);
    return heights_[size_ / 2];
  }
  uint8_t medianGrey() {
    std::sort(greys_.begin(), greys_.begin() + size_);
    return greys_[size_ / 2];
  }

 private:
  std::array<int32_t, 2 * kMedianReach + 1> heights_{};
  std::array<uint8_t, 2 * kMedianReach + 1> greys_{};
  int size_ = 0;
};

// Reads the heights and greys as they were before the median pass wrote any.
class MedianPass {
 public:
  MedianPass(WorkImages& images, FilterGeometry geometry)
      : images_(images), margin_(geometry.margin),
        heights_(images.heights(), images.heights() + images.pixelCount()),
        greys_(images.gray(), images.gray() + images.pixelCount()) {}

  void run() {
    const IndexRange rows = insetRange(images_.height(), margin_ + kMedianRowInset);
    const IndexRange columns = insetRange(images_.width(), margin_);
    if (rows.empty() || columns.empty()) return;
    // Every point reads only the copies and writes only itself, so rows can
    // be shared out without changing any result.
#pragma omp parallel for num_threads(kThreadTeam) schedule(static)
    for (long long r = rows.first; r <= rows.last; ++r) {
      for (long long c = columns.first; c <= columns.last; ++c) {
        if (nextToRemoved(r, c) && images_.isValidHeight(heights_[images_.index(r, c)])) smooth(r, c);
      }
    }
  }

 private:
  bool nextToRemoved(long long r, long long c) const {
    const uint8_t* removed = images_.removed();
    return removed[images_.index(r - 2, c)] == 1 || removed[images_.index(r, c - 2)] == 1 ||
           removed[images_.index(r, c + 2)] == 1 || removed[images_.index(r + 2, c)] == 1;
  }

  void smooth(long long r, long long c) {
    ColumnSample sample;
    collect(sample, r - 1, margin_, -1, c);
    sample.add(heights_[images_.index(r, c)], greys_[images_.index(r, c)]);
    collect(sample, r + 1, images_.height() - margin_ - 1LL, +1, c);
    const std::size_t i = images_.index(r, c);
    images_.heights()[i] = sample.medianHeight();
    images_.gray()[i] = sample.medianGrey();
  }

  void collect(ColumnSample& sample, long long from, long long to, int step, long long c) const {
    int taken = 0;
    for (long long r = from; taken < kMedianReach && (step < 0 ? r >= to : r <= to); r += step) {
      const std::size_t i = images_.index(r, c);
      if (!images_.isValidHeight(heights_[i])) continue;
      sample.add(heights_[i], greys_[i]);
      ++taken;
    }
  }

  WorkImages& images_;
  long long margin_;
  std::vector<int32_t> heights_;
  std::vector<uint8_t> greys_;
};

// Each removed point takes the mean of its valid neighbours as they are at
// that moment, so left and upper neighbours may already have been filled.
void fillRemovedPoints(WorkImages& images, FilterGeometry geometry) {
  const IndexRange rows = insetRange(images.height(), geometry.margin + 1LL);
  const IndexRange columns = insetRange(images.width(), geometry.margin + 1LL);
  if (columns.empty()) return;
  int32_t* heights = images.heights();
  uint8_t* gray = images.gray();
  const std::size_t width = static_cast<std::size_t>(images.width());
  for (long long r = rows.first; r <= rows.last; ++r) {
    for (long long c = columns.first; c <= columns.last; ++c) {
      const std::size_t i = images.index(r, c);
      if (images.removed()[i] != 1) continue;
      const std::size_t neighbours[4] = {i - 1, i + 1, i - width, i + width};
      int64_t heightSum = 0;
      int heightCount = 0;
      int greySum = 0;
      int greyCount = 0;
      for (std::size_t n : neighbours) {
        if (images.isValidHeight(heights[n])) {
          heightSum += heights[n];
          ++heightCount;
        }
        if (gray[n] != 0) {
          greySum += gray[n];
          ++greyCount;
        }
      }
      if (heightCount > 0) heights[i] = truncatedMeanHeight(heightSum, heightCount);
      if (greyCount > 0) {
        gray[i] = static_cast<uint8_t>(static_cast<float>(greySum) / static_cast<float>(greyCount));
      }
    }
  }
}

}  // namespace

int32_t truncatedMeanHeight(int64_t sum, int count) {
  const float mean = static_cast<float>(sum) / static_cast<float>(count);
  // 2^31 is the first float above the int32 range; four heights near the top
  // of the range round up to it.
  constexpr float kLimit = 2147483648.0f;
  if (mean >= kLimit) return std::numeric_limits<int32_t>::max();
  if (mean < -kLimit) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(mean);
}

void repairRemovedPoints(WorkImages& images, FilterGeometry geometry) {
  MedianPass(images, geometry).run();
  fillRemovedPoints(images, geometry);
}

}  // namespace parvex
