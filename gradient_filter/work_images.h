#pragma once

#include <cstddef>
#include <cstdint>

#include <opencv2/core/mat.hpp>

namespace parvex {

// Every OpenMP region of the filter runs on a team of this size, requested
// per region so that the caller's own thread setting is left as it was.
constexpr int kThreadTeam = 8;

// The images one call filters: the output heights, the grey image kept in
// step with them and the mask of points this call removed.
class WorkImages {
 public:
  WorkImages(int32_t* heights, uint8_t* gray, uint8_t* removed, int width, int height,
             int32_t invalidValue)
      : heights_(heights), gray_(gray), removed_(removed), width_(width), height_(height),
        invalid_(invalidValue) {}

  int width() const { return width_; }
  int height() const { return height_; }
  std::size_t pixelCount() const { return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_); }
  std::size_t index(long long row, long long column) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(column);
  }
  int32_t invalidValue() const { return invalid_; }
  bool isValidHeight(int32_t value) const { return value > invalid_; }
  bool isValid(std::size_t i) const { return heights_[i] > invalid_; }

  void remove(std::size_t i) {
    heights_[i] = invalid_;
    gray_[i] = 0;
    removed_[i] = 1;
  }

  int32_t* heights() { return heights_; }
  uint8_t* gray() { return gray_; }
  const uint8_t* removed() const { return removed_; }

  // 1 where the current height is valid, else 0.
  cv::Mat validImage() const;

 private:
  int32_t* heights_;
  uint8_t* gray_;
  uint8_t* removed_;
  int width_;
  int height_;
  int32_t invalid_;
};

}  // namespace parvex
