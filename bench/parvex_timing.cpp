// Times the gradient outlier filter on a 3200 x 10000 height image with its
// grey image (a synthetic scene with spikes and holes): the library's
// parallel passes against the plain single-threaded reference of the tests.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "gradient_filter/parvex.h"
#include "tests/gradient_filter/reference_filter.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

parvex_test::TestImage runLibrary(const parvex_test::TestImage& scene, const parvex_test::FilterCall& call,
                                  double& milliseconds) {
  parvex_test::TestImage out = scene;
  const auto start = Clock::now();
  Parvex(scene.heights.data(), out.heights.data(), nullptr, out.gray.data(), scene.width, scene.height,
         call.lowThreshold, call.highThreshold, call.window, call.invalidValue, call.connectedOn, call.minArea,
         call.openOn, call.openKernel, call.repairMode);
  milliseconds = millisecondsSince(start);
  return out;
}

}  // namespace

int main() {
  constexpr int kWidth = 3200;
  constexpr int kHeight = 10000;
  constexpr int kRuns = 5;
  const parvex_test::TestImage scene = parvex_test::syntheticScene(kWidth, kHeight, 2024);
  const parvex_test::FilterCall call{1000, 100000, 15, parvex_test::kInvalid, true, 20, true, 3, 2};

  std::vector<double> times;
  parvex_test::TestImage filtered = scene;
  for (int run = 0; run < kRuns; ++run) {
    double ms = 0;
    filtered = runLibrary(scene, call, ms);
    times.push_back(ms);
  }
  std::sort(times.begin(), times.end());
  const double libraryMs = times[times.size() / 2];

  const auto start = Clock::now();
  const parvex_test::TestImage reference = parvex_test::referenceFilter(scene, call);
  const double referenceMs = millisecondsSince(start);

  const bool identical = reference.heights == filtered.heights && reference.gray == filtered.gray;
  std::printf("image %d x %d, window %d, all passes\n", kWidth, kHeight, call.window);
  std::printf("Parvex (team of 8): median %.1f ms, best %.1f ms of %d runs\n", libraryMs, times.front(), kRuns);
  std::printf("single-threaded reference: %.1f ms\n", referenceMs);
  std::printf("speed-up: %.1fx, results %s\n", referenceMs / libraryMs, identical ? "identical" : "DIFFER");
  return identical ? 0 : 1;
}
