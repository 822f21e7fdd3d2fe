#include "gradient_filter/work_images.h"

namespace parvex {

cv::Mat WorkImages::validImage() const {
  cv::Mat valid(height_, width_, CV_8U);
#pragma omp parallel for num_threads(kThreadTeam) schedule(static)
  for (int r = 0; r < height_; ++r) {
    const int32_t* row = heights_ + index(r, 0);
    uint8_t* out = valid.ptr<uint8_t>(r);
    for (int c = 0; c < width_; ++c) out[c] = row[c] > invalid_ ? 1 : 0;
  }
  return valid;
}

}  // namespace parvex
