#include <climits>

#include <gtest/gtest.h>

#include "gradient_filter/filter_geometry.h"
#include "gradient_filter/opening_filter.h"
#include "gradient_filter/repair_pass.h"

namespace parvex {
namespace {

struct WindowCase {
  int window;
  int radius;
  int margin;
};

TEST(ParvexGeometry, WindowGivesRadiusAndMargin) {
  const WindowCase cases[] = {{15, 7, 10}, {30, 15, 15}, {1, 0, 10}, {0, 0, 10},
                              {21, 10, 10}, {23, 11, 11}, {-7, 0, 10}};
  for (const auto& c : cases) {
    const FilterGeometry g = geometryForWindow(c.window);
    EXPECT_EQ(g.radius, c.radius) << "window " << c.window;
    EXPECT_EQ(g.margin, c.margin) << "window " << c.window;
  }
}

TEST(ParvexGeometry, InsetRangeIsEmptyWhenTheFrameCoversTheAxis) {
  const IndexRange inner = insetRange(100, 10);
  EXPECT_EQ(inner.first, 10);
  EXPECT_EQ(inner.last, 89);
  EXPECT_FALSE(insetRange(21, 10).empty());
  EXPECT_TRUE(insetRange(20, 10).empty());
  EXPECT_TRUE(insetRange(INT_MAX, 1LL << 40).empty());
}

TEST(ParvexGeometry, StaticSharesAreContiguousAndCoverTheRange) {
  for (const IndexRange range : {IndexRange{10, 3189}, IndexRange{0, 2}, IndexRange{5, 5}}) {
    long long next = range.first;
    for (int t = 0; t < 8; ++t) {
      const IndexRange share = staticShare(range, t, 8);
      if (share.empty()) continue;
      EXPECT_EQ(share.first, next);
      next = share.last + 1;
    }
    EXPECT_EQ(next, range.last + 1);
  }
  EXPECT_TRUE(staticShare(IndexRange{3, 2}, 0, 8).empty());
}

TEST(ParvexOpenKernel, BelowOneMeansNoOpeningAndHugeSidesAreCutToTheImage) {
  struct Case {
    int requested;
    int expected;
  };
  const Case cases[] = {{-5, 0}, {0, 0}, {1, 1}, {3, 3}, {61, 61}, {62, 61}, {INT_MAX, 61}};
  for (const auto& c : cases) EXPECT_EQ(effectiveOpenKernel(c.requested, 20, 30), c.expected) << c.requested;
}

TEST(ParvexTruncatedMean, TruncatesTowardZeroAndStaysInRange) {
  struct Case {
    int64_t sum;
    int count;
    int32_t expected;
  };
  const Case cases[] = {
      {7, 2, 3},
      {-7, 2, -3},
      {3000, 4, 750},
      {8000000000LL, 4, 2000000000},            // sum beyond int32
      {4LL * INT32_MAX, 4, INT32_MAX},          // rounds up to 2^31 in float
      {4LL * INT32_MIN, 4, INT32_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(truncatedMeanHeight(c.sum, c.count), c.expected) << c.sum << "/" << c.count;
}

}  // namespace
}  // namespace parvex
