#pragma once

// Height and grey images for exercising the gradient outlier filter, the
// parameters of one call, and a synthetic scene with spikes and holes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace parvex_test {

constexpr int32_t kInvalid = -1000000000;

struct FilterCall {
  int lowThreshold = 0;
  int highThreshold = 0;
  int window = 15;
  int invalidValue = kInvalid;
  bool connectedOn = false;
  int minArea = 0;
  bool openOn = false;
  int openKernel = 3;
  int repairMode = 1;
};

struct TestImage {
  TestImage(int w, int h, int32_t height = 1000, uint8_t grey = 100)
      : width(w), height(h), heights(std::size_t(w) * std::size_t(h), height),
        gray(std::size_t(w) * std::size_t(h), grey) {}

  std::size_t index(int r, int c) const { return std::size_t(r) * std::size_t(width) + std::size_t(c); }
  int32_t& heightAt(int r, int c) { return heights[index(r, c)]; }
  uint8_t& greyAt(int r, int c) { return gray[index(r, c)]; }
  int32_t heightAt(int r, int c) const { return heights[index(r, c)]; }
  uint8_t greyAt(int r, int c) const { return gray[index(r, c)]; }

  void fillRect(int r0, int c0, int rows, int columns, int32_t value) {
    for (int r = r0; r < r0 + rows; ++r)
      for (int c = c0; c < c0 + columns; ++c) heightAt(r, c) = value;
  }

  int width;
  int height;
  std::vector<int32_t> heights;
  std::vector<uint8_t> gray;
};

// A tilted plane with noise, narrow up and down spikes, scattered holes,
// invalid patches with small valid islands in them, and thin lines. A large
// `noise` gives window sums that single precision has to round.
inline TestImage syntheticScene(int width, int height, uint32_t seed, int noise = 300) {
  TestImage image(width, height);
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> jitter(-noise, noise);
  std::uniform_int_distribution<int> percent(0, 999);
  std::uniform_int_distribution<int> spike(20000, 60000);
  std::uniform_int_distribution<int> grey(0, 255);
  for (int r = 0; r < height; ++r) {
    for (int c = 0; c < width; ++c) {
      const int roll = percent(random);
      int32_t value = 100000 + 30 * r + 20 * c + jitter(random);
      if (roll < 6) value += spike(random);
      else if (roll < 12) value -= spike(random);
      else if (roll < 30) value = kInvalid;
      image.heightAt(r, c) = value;
      image.greyAt(r, c) = static_cast<uint8_t>(roll < 40 ? 0 : grey(random));
    }
  }
  std::uniform_int_distribution<int> row(0, height - 1);
  std::uniform_int_distribution<int> column(0, width - 1);
  std::uniform_int_distribution<int> side(3, 14);
  const int patches = std::max(1, width * height / 1500);
  for (int p = 0; p < patches; ++p) {
    const int r0 = row(random), c0 = column(random);
    const int rows = std::min(side(random), height - r0), columns = std::min(side(random), width - c0);
    image.fillRect(r0, c0, rows, columns, kInvalid);
    if (rows > 4 && columns > 4) image.fillRect(r0 + 2, c0 + 2, 2, 2, 100000 + jitter(random));
  }
  for (int l = 0; l < patches / 2 + 1; ++l) {
    const int r0 = row(random), c0 = column(random);
    const int length = std::min(side(random), width - c0);
    if (r0 > 0) image.fillRect(r0 - 1, c0, 1, length, kInvalid);
    if (r0 + 1 < height) image.fillRect(r0 + 1, c0, 1, length, kInvalid);
  }
  return image;
}

}  // namespace parvex_test
