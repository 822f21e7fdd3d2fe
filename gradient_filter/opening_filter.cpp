#include "gradient_filter/opening_filter.h"

#include <algorithm>

#include <opencv2/imgproc.hpp>

namespace parvex {

int effectiveOpenKernel(int openKernel, int width, int height) {
  if (openKernel < 1) return 0;
  const long long spanning = 2LL * std::max(width, height) + 1;
  return static_cast<int>(std::min<long long>(openKernel, spanning));
}

void removeThinStructures(WorkImages& images, int kernel) {
  if (kernel < 1) return;
  const cv::Mat element = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(kernel, kernel));
  cv::Mat opened;
  // The default border value means "no effect" for both the erosion and the
  // dilation, so points on the image edge are judged by the image alone.
  cv::morphologyEx(images.validImage(), opened, cv::MORPH_OPEN, element, cv::Point(-1, -1), 1,
                   cv::BORDER_CONSTANT, cv::morphologyDefaultBorderValue());
  for (int r = 0; r < images.height(); ++r) {
    const uint8_t* keep = opened.ptr<uint8_t>(r);
    for (int c = 0; c < images.width(); ++c) {
      const std::size_t i = images.index(r, c);
      if (keep[c] == 0 && images.isValid(i)) images.remove(i);
    }
  }
}

}  // namespace parvex
