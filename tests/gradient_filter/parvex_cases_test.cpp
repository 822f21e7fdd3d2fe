#include <climits>
#include <string>

#include <gtest/gtest.h>
#include <omp.h>

#include "tests/gradient_filter/run_filter.h"

namespace parvex_test {
namespace {

constexpr uint8_t kGrey = 100;

FilterCall bandCall(int low, int high, int window = 15) {
  FilterCall call;
  call.lowThreshold = low;
  call.highThreshold = high;
  call.window = window;
  return call;
}

bool isRemoved(const TestImage& out, int r, int c) {
  return out.heightAt(r, c) == kInvalid && out.greyAt(r, c) == 0;
}

int countInvalid(const TestImage& image) {
  int count = 0;
  for (int32_t h : image.heights) count += h <= kInvalid;
  return count;
}

// --- Gradient pass --------------------------------------------------------

struct SpikeCase {
  int offset;
  bool removed;
};

TEST(ParvexGradientPass, RemovesOnlyPointsWhoseMeanDifferenceLiesInsideTheBand) {
  const SpikeCase cases[] = {{-5000, true}, {5000, false}, {-500, false}};
  for (const auto& s : cases) {
    TestImage image(60, 60, 1000, kGrey);
    image.heightAt(30, 30) = 1000 + s.offset;
    const TestImage out = runFilter(image, bandCall(-40000, -1000));
    EXPECT_EQ(isRemoved(out, 30, 30), s.removed) << "offset " << s.offset;
    EXPECT_EQ(countInvalid(out), s.removed ? 1 : 0) << "offset " << s.offset;
  }
}

TEST(ParvexGradientPass, FlatImageLosesItsInteriorOnlyWhenTheBandHoldsZero) {
  struct Case {
    int low, high, window, removed;
  };
  // The interior of a 60 x 60 image is 40 x 40 for every window up to 21.
  const Case cases[] = {{-10, 10, 15, 40 * 40}, {0, 10, 15, 0}, {-10, 0, 15, 0},
                        {-10, 10, 1, 0},         {-10, 10, 30, 30 * 30}};
  for (const auto& c : cases) {
    const TestImage out = runFilter(TestImage(60, 60), bandCall(c.low, c.high, c.window));
    EXPECT_EQ(countInvalid(out), c.removed) << c.low << " < mean < " << c.high << ", window " << c.window;
  }
}

TEST(ParvexGradientPass, PointWithoutValidNeighboursInItsWindowStays) {
  TestImage image(60, 60, kInvalid);
  image.heightAt(30, 30) = 1000;
  image.heightAt(30, 38) = 9000;  // just outside the 15 x 15 window
  const TestImage out = runFilter(image, bandCall(INT_MIN, INT_MAX));
  EXPECT_EQ(out.heightAt(30, 30), 1000);
  EXPECT_EQ(out.greyAt(30, 30), kGrey);
}

TEST(ParvexGradientPass, ImageSmallerThanTheFrameIsUntouchedByGradientAndRepair) {
  TestImage image(20, 20, 1000, kGrey);
  image.heightAt(10, 10) = 90000;
  FilterCall call = bandCall(-100000, 100000);
  call.repairMode = 2;
  const TestImage out = runFilter(image, call);
  EXPECT_EQ(out.heights, image.heights);
  EXPECT_EQ(out.gray, image.gray);
}

// --- Small regions ----------------------------------------------------------

TEST(ParvexRegionPass, CoversEveryPixelOfASmallImage) {
  FilterCall call;
  call.connectedOn = true;
  call.minArea = 401;
  const TestImage out = runFilter(TestImage(20, 20, 1000, kGrey), call);
  EXPECT_EQ(countInvalid(out), 400);
  for (uint8_t g : out.gray) EXPECT_EQ(g, 0);
}

TEST(ParvexRegionPass, RemovesRegionsBelowTheAreaLimitWithFourConnectivity) {
  struct Case {
    const char* name;
    int points;
    bool removed;
  };
  const Case cases[] = {{"199 points", 199, true}, {"200 points", 200, false}};
  for (const auto& c : cases) {
    TestImage image(60, 60, kInvalid, kGrey);
    image.fillRect(20, 20, 10, 20, 1000);
    if (c.points == 199) image.heightAt(20, 20) = kInvalid;
    FilterCall call;
    call.connectedOn = true;
    call.minArea = 200;
    const TestImage out = runFilter(image, call);
    EXPECT_EQ(isRemoved(out, 25, 25), c.removed) << c.name;
    EXPECT_EQ(countInvalid(out), c.removed ? 3600 : 3600 - 200) << c.name;
  }

  // Two 10 x 10 squares touching only at a corner are two regions.
  TestImage image(60, 60, kInvalid, kGrey);
  image.fillRect(10, 10, 10, 10, 1000);
  image.fillRect(20, 20, 10, 10, 1000);
  FilterCall call;
  call.connectedOn = true;
  call.minArea = 150;
  EXPECT_EQ(countInvalid(runFilter(image, call)), 3600);
}

TEST(ParvexRegionPass, LeavesInvalidPointsAloneSoTheRepairInventsNothing) {
  TestImage image(60, 60, 1000, 77);
  image.heightAt(30, 30) = kInvalid;
  image.heightAt(30, 31) = kInvalid;
  image.heightAt(40, 20) = kInvalid;
  FilterCall call;
  call.connectedOn = true;
  call.minArea = 200;
  call.repairMode = 2;
  const TestImage out = runFilter(image, call);
  EXPECT_EQ(out.heights, image.heights);
  EXPECT_EQ(out.gray, image.gray);
}

// --- Opening ----------------------------------------------------------------

TEST(ParvexOpeningPass, RemovesOnePixelLinesAndKeepsWiderBands) {
  TestImage image(60, 60, kInvalid, kGrey);
  image.fillRect(10, 5, 1, 50, 1000);   // horizontal line
  image.fillRect(20, 40, 30, 1, 1000);  // vertical line
  image.fillRect(30, 5, 3, 30, 2000);   // three rows wide
  image.fillRect(0, 0, 1, 60, 3000);    // line on the image edge
  FilterCall call;
  call.openOn = true;
  call.openKernel = 3;
  const TestImage out = runFilter(image, call);
  EXPECT_TRUE(isRemoved(out, 10, 30));
  EXPECT_TRUE(isRemoved(out, 35, 40));
  EXPECT_TRUE(isRemoved(out, 0, 30));
  for (int r = 30; r < 33; ++r)
    for (int c = 5; c < 35; ++c) ASSERT_EQ(out.heightAt(r, c), 2000) << r << "," << c;
  EXPECT_EQ(countInvalid(out), 3600 - 90);
}

TEST(ParvexOpeningPass, ImageEdgeDoesNotErode) {
  FilterCall call;
  call.openOn = true;
  call.openKernel = 5;
  const TestImage image(30, 20, 1000, kGrey);
  EXPECT_EQ(runFilter(image, call).heights, image.heights);
}

TEST(ParvexOpeningPass, KernelBelowOneOpensNothing) {
  TestImage image(30, 30, kInvalid, kGrey);
  image.fillRect(10, 5, 1, 20, 1000);
  for (int kernel : {0, -3}) {
    FilterCall call;
    call.openOn = true;
    call.openKernel = kernel;
    EXPECT_EQ(runFilter(image, call).heights, image.heights) << "kernel " << kernel;
  }
}

TEST(ParvexOpeningPass, KernelLargerThanTheImageKeepsAllOrNothing) {
  FilterCall call;
  call.openOn = true;
  call.openKernel = INT_MAX;
  TestImage image(30, 20, 1000, kGrey);
  EXPECT_EQ(runFilter(image, call).heights, image.heights);
  image.heightAt(19, 29) = kInvalid;
  EXPECT_EQ(countInvalid(runFilter(image, call)), 600);
}

// --- Repair -----------------------------------------------------------------

// A flat 60 x 60 image with an upward spike that the band (50000, 200000)
// removes.
TestImage spikedImage() {
  TestImage image(60, 60, 1000, kGrey);
  image.heightAt(30, 30) = 101000;
  image.greyAt(30, 30) = 200;
  return image;
}

FilterCall spikeCall(int repairMode) {
  FilterCall call = bandCall(50000, 200000);
  call.repairMode = repairMode;
  return call;
}

TEST(ParvexRepairPass, OnlyModeTwoRepairs) {
  for (int mode : {0, 1, 3}) EXPECT_TRUE(isRemoved(runFilter(spikedImage(), spikeCall(mode)), 30, 30)) << mode;
  const TestImage repaired = runFilter(spikedImage(), spikeCall(2));
  EXPECT_EQ(repaired.heightAt(30, 30), 1000);
  EXPECT_EQ(repaired.greyAt(30, 30), kGrey);
}

TEST(ParvexRepairPass, FillSpreadsIntoRemovedBlocksFromTheirValidNeighbours) {
  TestImage image = spikedImage();
  image.fillRect(29, 29, 3, 3, 101000);
  image.heightAt(40, 40) = 121000;  // removed, neighbours 1000 and 1000 + 20 * 4
  image.heightAt(41, 40) = 1080;
  image.heightAt(40, 39) = 1080;
  image.heightAt(40, 41) = 1080;
  image.heightAt(39, 40) = 1080;
  const TestImage out = runFilter(image, spikeCall(2));
  for (int r = 29; r < 32; ++r)
    for (int c = 29; c < 32; ++c) EXPECT_EQ(out.heightAt(r, c), 1000) << r << "," << c;
  EXPECT_EQ(out.heightAt(40, 40), 1080);
}

TEST(ParvexRepairPass, RemovedPointsOutsideTheFillRangeStayRemoved) {
  TestImage image(60, 60, 1000, kGrey);
  image.heightAt(10, 30) = 101000;  // row m: removed by the gradient pass, not filled
  const TestImage out = runFilter(image, spikeCall(2));
  EXPECT_TRUE(isRemoved(out, 10, 30));
}

TEST(ParvexRepairPass, MedianSmoothsPointsTwoAwayFromARemovedPoint) {
  TestImage image = spikedImage();
  image.heightAt(32, 30) = 1300;  // two rows below the spike
  image.greyAt(32, 30) = 250;
  image.heightAt(30, 33) = 1300;  // three columns to its right: not touched
  image.greyAt(30, 33) = 250;
  const TestImage out = runFilter(image, spikeCall(2));
  EXPECT_EQ(out.heightAt(32, 30), 1000);
  EXPECT_EQ(out.greyAt(32, 30), kGrey);
  EXPECT_EQ(out.heightAt(30, 33), 1300);
  EXPECT_EQ(out.greyAt(30, 33), 250);
}

TEST(ParvexRepairPass, FillOfLargeHeightsNeitherOverflowsNorWraps) {
  struct Case {
    int32_t surface;
    int32_t filled;
  };
  const Case cases[] = {{2000000000, 2000000000}, {INT32_MAX, INT32_MAX}};
  for (const auto& c : cases) {
    TestImage image(60, 60, c.surface, kGrey);
    image.heightAt(30, 30) = 1000000000;
    FilterCall call = bandCall(-2000000000, -1000000);
    call.repairMode = 2;
    EXPECT_EQ(runFilter(image, call).heightAt(30, 30), c.filled) << c.surface;
  }
}

// --- Calls --------------------------------------------------------------------

TEST(ParvexCall, NullBuffersAreReportedAndNothingIsTouched) {
  TestImage image = spikedImage();
  std::vector<int32_t> dst(image.heights.size(), 7);
  const std::vector<uint8_t> grayBefore = image.gray;
  struct Case {
    const int32_t* src;
    int32_t* dst;
    uint8_t* gray;
    std::string printed;
  };
  const Case cases[] = {
      {nullptr, dst.data(), image.gray.data(), "the src_tiff is NULL\n"},
      {image.heights.data(), nullptr, image.gray.data(), "the dst_tiff is NULL\n"},
      {nullptr, nullptr, image.gray.data(), "the src_tiff is NULL\nthe dst_tiff is NULL\n"},
      {image.heights.data(), dst.data(), nullptr, "the gray is NULL\n"},
  };
  for (const auto& c : cases) {
    testing::internal::CaptureStdout();
    Parvex(c.src, c.dst, nullptr, c.gray, 60, 60, 50000, 200000, 15, kInvalid, true, 10, true, 3, 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed);
    EXPECT_EQ(dst, std::vector<int32_t>(dst.size(), 7));
    EXPECT_EQ(image.gray, grayBefore);
  }
}

TEST(ParvexCall, NonPositiveSizesTouchNothing) {
  std::vector<int32_t> src(16, 1), dst(16, 7);
  std::vector<uint8_t> gray(16, 9);
  for (auto [w, h] : {std::pair{0, 4}, std::pair{4, 0}, std::pair{-4, -4}}) {
    Parvex(src.data(), dst.data(), nullptr, gray.data(), w, h, -10, 10, 3, kInvalid, true, 5, true, 3, 2);
    EXPECT_EQ(dst, std::vector<int32_t>(16, 7));
    EXPECT_EQ(gray, std::vector<uint8_t>(16, 9));
  }
}

TEST(ParvexCall, FilteringInPlaceMatchesSeparateBuffers) {
  TestImage image = syntheticScene(90, 70, 5);
  FilterCall call = bandCall(1000, 100000, 7);
  call.connectedOn = true;
  call.minArea = 6;
  call.repairMode = 2;
  const TestImage expected = runFilter(image, call);
  Parvex(image.heights.data(), image.heights.data(), nullptr, image.gray.data(), image.width, image.height,
         call.lowThreshold, call.highThreshold, call.window, call.invalidValue, call.connectedOn, call.minArea,
         call.openOn, call.openKernel, call.repairMode);
  EXPECT_EQ(image.heights, expected.heights);
  EXPECT_EQ(image.gray, expected.gray);
}

TEST(ParvexCall, LeavesTheCallersThreadSettingAsItWas) {
  const int before = omp_get_max_threads();
  omp_set_num_threads(3);
  runFilter(syntheticScene(60, 40, 1), bandCall(1000, 100000, 5));
  EXPECT_EQ(omp_get_max_threads(), 3);
  omp_set_num_threads(before);
}

}  // namespace
}  // namespace parvex_test
