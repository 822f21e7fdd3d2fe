#include <algorithm>
#include <climits>
#include <ostream>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "tests/gradient_filter/reference_filter.h"
#include "tests/gradient_filter/run_filter.h"

namespace parvex_test {
namespace {

struct SceneCase {
  std::string name;
  int width;
  int height;
  uint32_t seed;
  FilterCall call;
  int noise = 300;
};

void PrintTo(const SceneCase& c, std::ostream* os) { *os << c.name; }

FilterCall makeCall(int low, int high, int window, bool connectedOn, int minArea, bool openOn, int openKernel,
                    int repairMode, int invalidValue = kInvalid) {
  return FilterCall{low, high, window, invalidValue, connectedOn, minArea, openOn, openKernel, repairMode};
}

class ParvexAgainstReference : public testing::TestWithParam<SceneCase> {};

TEST_P(ParvexAgainstReference, GivesBitIdenticalHeightsAndGreys) {
  const SceneCase& c = GetParam();
  const TestImage scene = syntheticScene(c.width, c.height, c.seed, c.noise);
  const TestImage expected = referenceFilter(scene, c.call);
  const TestImage actual = runFilter(scene, c.call);
  ASSERT_EQ(actual.heights.size(), expected.heights.size());
  int firstDifference = -1;
  for (std::size_t i = 0; i < expected.heights.size() && firstDifference < 0; ++i) {
    if (actual.heights[i] != expected.heights[i] || actual.gray[i] != expected.gray[i]) firstDifference = int(i);
  }
  EXPECT_EQ(firstDifference, -1) << "at row " << firstDifference / c.width << ", column "
                                 << firstDifference % c.width;
  // The scene must give every pass something to do.
  EXPECT_NE(actual.heights, scene.heights);
}

INSTANTIATE_TEST_SUITE_P(
    RandomScenes, ParvexAgainstReference,
    testing::Values(
        SceneCase{"UpSpikes", 120, 90, 1, makeCall(1000, 100000, 15, false, 0, false, 3, 1)},
        SceneCase{"DownSpikesRepaired", 120, 90, 2, makeCall(-100000, -1000, 15, false, 0, false, 3, 2)},
        SceneCase{"WideBandAllPasses", 101, 87, 3, makeCall(-400, 400, 5, true, 8, true, 3, 2)},
        SceneCase{"LargeWindow", 130, 110, 4, makeCall(800, 90000, 30, true, 20, true, 2, 2)},
        SceneCase{"WindowOne", 80, 60, 5, makeCall(-1000000, 1000000, 1, true, 5, true, 4, 2)},
        SceneCase{"EvenKernel", 97, 83, 6, makeCall(-90000, -900, 9, false, 0, true, 2, 2)},
        SceneCase{"LargeKernel", 97, 83, 7, makeCall(1000, 90000, 7, true, 3, true, 5, 2)},
        SceneCase{"MidInvalidValue", 110, 95, 8, makeCall(-3000, 3000, 11, true, 12, false, 3, 2, 102000)},
        SceneCase{"TiledRows", 2100, 40, 9, makeCall(-100000, -500, 5, true, 4, true, 3, 2)},
        SceneCase{"NarrowerThanTheTeam", 25, 120, 10, makeCall(-100000, 100000, 3, false, 0, false, 3, 2)},
        SceneCase{"RoundingSums", 140, 100, 11, makeCall(1000000, 100000000, 15, false, 0, false, 3, 2), 5000000},
        SceneCase{"RoundingSumsBothPasses", 140, 100, 12,
                  makeCall(-100000000, -1000000, 21, true, 6, true, 3, 2), 5000000}),
    [](const testing::TestParamInfo<SceneCase>& info) { return info.param.name; });

// Mean difference of the centre of `image` to its 15 x 15 window, summed in
// single precision with the columns of each row taken left to right or right
// to left.
float windowMean(const TestImage& image, int r, int c, bool rightToLeft) {
  const int rh = 7;
  float sum = 0.0f;
  for (int dy = -rh; dy <= rh; ++dy) {
    for (int step = -rh; step <= rh; ++step) {
      const int dx = rightToLeft ? -step : step;
      if (dy == 0 && dx == 0) continue;
      sum += (float)image.heightAt(r, c) - (float)image.heightAt(r + dy, c + dx);
    }
  }
  return sum / 224.0f;
}

// Large differences make the window sum round, so a threshold placed between
// the means of two summation orders tells which order the filter used.
TEST(ParvexWindowSum, KeepsRowsTopDownAndColumnsLeftToRight) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> neighbour(0, 1000000);
  std::uniform_int_distribution<int> centre(9000000, 11000000);
  for (int attempt = 0; attempt < 1000; ++attempt) {
    TestImage image(40, 40);
    for (int32_t& h : image.heights) h = neighbour(random);
    image.heightAt(20, 20) = centre(random);
    const float inOrder = windowMean(image, 20, 20, false);
    const float reversed = windowMean(image, 20, 20, true);
    if (inOrder == reversed) continue;
    FilterCall call;
    call.lowThreshold = static_cast<int>(std::min(inOrder, reversed));
    call.highThreshold = INT_MAX;
    ASSERT_EQ(static_cast<float>(call.lowThreshold), std::min(inOrder, reversed));
    const bool removedInOrder = inOrder > reversed;
    EXPECT_EQ(runFilter(image, call).heightAt(20, 20) == kInvalid, removedInOrder);
    EXPECT_EQ(referenceFilter(image, call).heightAt(20, 20) == kInvalid, removedInOrder);
    return;
  }
  FAIL() << "no window whose sum depends on the order";
}

}  // namespace
}  // namespace parvex_test
