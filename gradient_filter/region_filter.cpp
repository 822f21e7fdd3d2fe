#include "gradient_filter/region_filter.h"

#include <opencv2/imgproc.hpp>

namespace parvex {

namespace {
// connectedComponentsWithStats gives all zero pixels this label.
constexpr int kBackgroundLabel = 0;
}

void removeSmallRegions(WorkImages& images, int minArea) {
  if (minArea <= 1) return;  // every region has at least one point
  cv::Mat labels, stats, centroids;
  cv::connectedComponentsWithStats(images.validImage(), labels, stats, centroids, 4, CV_32S);
  const int* areas = stats.ptr<int>(0) + cv::CC_STAT_AREA;
  const int statsStride = stats.cols;

  // The background is all invalid points, not a measured region: treating it
  // as one would mark them removed and let the repair invent heights there.
#pragma omp parallel for num_threads(kThreadTeam) schedule(static)
  for (int r = 0; r < images.height(); ++r) {
    const int* rowLabels = labels.ptr<int>(r);
    for (int c = 0; c < images.width(); ++c) {
      const int label = rowLabels[c];
      if (label != kBackgroundLabel && areas[label * statsStride] < minArea) {
        images.remove(images.index(r, c));
      }
    }
  }
}

}  // namespace parvex
