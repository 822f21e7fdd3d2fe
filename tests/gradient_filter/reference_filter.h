#pragma once

// A plain single-threaded gradient outlier filter written straight from the
// description of the passes, with its own labelling and opening, so that the
// library's parallel, tiled and OpenCV-backed passes can be checked bit for
// bit against it.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "tests/gradient_filter/test_image.h"

namespace parvex_test {

class ReferenceFilter {
 public:
  ReferenceFilter(const TestImage& input, const FilterCall& call)
      : src_(input), out_(input), call_(call), removed_(input.heights.size(), 0) {
    rh_ = call.window / 2;
    m_ = std::max(rh_, 10);
  }

  TestImage run() {
    gradientPass();
    if (call_.connectedOn) regionPass();
    if (call_.openOn && call_.openKernel >= 1) openingPass();
    if (call_.repairMode == 2) {
      medianPass();
      fillPass();
    }
    return out_;
  }

 private:
  bool valid(int32_t h) const { return h > call_.invalidValue; }
  int w() const { return src_.width; }
  int h() const { return src_.height; }

  void remove(int r, int c) {
    out_.heightAt(r, c) = call_.invalidValue;
    out_.greyAt(r, c) = 0;
    removed_[out_.index(r, c)] = 1;
  }

  void gradientPass() {
    for (int r = m_; r <= h() - m_ - 1; ++r) {
      for (int c = m_; c <= w() - m_ - 1; ++c) {
        const int32_t v = src_.heightAt(r, c);
        if (!valid(v)) continue;
        float sum = 0.0f;
        int count = 0;
        for (int dy = -rh_; dy <= rh_; ++dy) {
          for (int dx = -rh_; dx <= rh_; ++dx) {
            if (dy == 0 && dx == 0) continue;
            const int32_t u = src_.heightAt(r + dy, c + dx);
            if (valid(u)) {
              sum += (float)v - (float)u;
              ++count;
            }
          }
        }
        if (count == 0) continue;
        const float mean = sum / (float)count;
        if ((float)call_.lowThreshold < mean && mean < (float)call_.highThreshold) remove(r, c);
      }
    }
  }

  // 4-connected flood fill of the valid points; invalid points form no region.
  void regionPass() {
    std::vector<int> label(out_.heights.size(), -1);
    std::vector<int> area;
    std::vector<std::pair<int, int>> stack;
    for (int r = 0; r < h(); ++r) {
      for (int c = 0; c < w(); ++c) {
        if (!valid(out_.heightAt(r, c)) || label[out_.index(r, c)] >= 0) continue;
        const int id = static_cast<int>(area.size());
        area.push_back(0);
        stack.push_back({r, c});
        label[out_.index(r, c)] = id;
        while (!stack.empty()) {
          const auto [y, x] = stack.back();
          stack.pop_back();
          ++area[id];
          const int ny[4] = {y - 1, y + 1, y, y};
          const int nx[4] = {x, x, x - 1, x + 1};
          for (int k = 0; k < 4; ++k) {
            if (ny[k] < 0 || ny[k] >= h() || nx[k] < 0 || nx[k] >= w()) continue;
            const std::size_t i = out_.index(ny[k], nx[k]);
            if (label[i] >= 0 || !valid(out_.heights[i])) continue;
            label[i] = id;
            stack.push_back({ny[k], nx[k]});
          }
        }
      }
    }
    for (int r = 0; r < h(); ++r)
      for (int c = 0; c < w(); ++c) {
        const int id = label[out_.index(r, c)];
        if (id >= 0 && area[id] < call_.minArea) remove(r, c);
      }
  }

  // Erosion then dilation over the same k x k window anchored at k / 2;
  // pixels outside the image take no part (the edge does not erode).
  std::vector<uint8_t> windowed(const std::vector<uint8_t>& in, bool all) const {
    const int k = call_.openKernel, a = k / 2;
    std::vector<uint8_t> result(in.size(), 0);
    for (int r = 0; r < h(); ++r)
      for (int c = 0; c < w(); ++c) {
        bool every = true, any = false;
        for (int y = std::max(0, r - a); y <= std::min(h() - 1, r - a + k - 1); ++y)
          for (int x = std::max(0, c - a); x <= std::min(w() - 1, c - a + k - 1); ++x) {
            every = every && in[out_.index(y, x)];
            any = any || in[out_.index(y, x)];
          }
        result[out_.index(r, c)] = all ? every : any;
      }
    return result;
  }

  void openingPass() {
    std::vector<uint8_t> validImage(out_.heights.size());
    for (std::size_t i = 0; i < validImage.size(); ++i) validImage[i] = valid(out_.heights[i]);
    const std::vector<uint8_t> opened = windowed(windowed(validImage, true), false);
    for (int r = 0; r < h(); ++r)
      for (int c = 0; c < w(); ++c)
        if (valid(out_.heightAt(r, c)) && !opened[out_.index(r, c)]) remove(r, c);
  }

  bool removedAt(int r, int c) const { return removed_[out_.index(r, c)] == 1; }

  void medianPass() {
    const TestImage before = out_;
    for (int r = m_ + 5; r <= h() - m_ - 6; ++r) {
      for (int c = m_; c <= w() - m_ - 1; ++c) {
        const bool near = removedAt(r - 2, c) || removedAt(r, c - 2) || removedAt(r, c + 2) || removedAt(r + 2, c);
        if (!near || !valid(before.heightAt(r, c))) continue;
        std::vector<int32_t> heights;
        std::vector<int> greys;
        int taken = 0;
        for (int y = r - 1; y >= m_ && taken < 5; --y) {
          if (!valid(before.heightAt(y, c))) continue;
          heights.push_back(before.heightAt(y, c));
          greys.push_back(before.greyAt(y, c));
          ++taken;
        }
        heights.push_back(before.heightAt(r, c));
        greys.push_back(before.greyAt(r, c));
        taken = 0;
        for (int y = r + 1; y <= h() - m_ - 1 && taken < 5; ++y) {
          if (!valid(before.heightAt(y, c))) continue;
          heights.push_back(before.heightAt(y, c));
          greys.push_back(before.greyAt(y, c));
          ++taken;
        }
        std::sort(heights.begin(), heights.end());
        std::sort(greys.begin(), greys.end());
        out_.heightAt(r, c) = heights[heights.size() / 2];
        out_.greyAt(r, c) = static_cast<uint8_t>(greys[greys.size() / 2]);
      }
    }
  }

  void fillPass() {
    for (int r = m_ + 1; r <= h() - m_ - 2; ++r) {
      for (int c = m_ + 1; c <= w() - m_ - 2; ++c) {
        if (!removedAt(r, c)) continue;
        const int32_t hs[4] = {out_.heightAt(r, c - 1), out_.heightAt(r, c + 1), out_.heightAt(r - 1, c),
                               out_.heightAt(r + 1, c)};
        const int gs[4] = {out_.greyAt(r, c - 1), out_.greyAt(r, c + 1), out_.greyAt(r - 1, c),
                           out_.greyAt(r + 1, c)};
        int64_t sum = 0;
        int k = 0, greySum = 0, greyCount = 0;
        for (int n = 0; n < 4; ++n) {
          if (valid(hs[n])) sum += hs[n], ++k;
          if (gs[n] != 0) greySum += gs[n], ++greyCount;
        }
        if (k > 0) {
          const float mean = (float)sum / (float)k;
          out_.heightAt(r, c) = mean >= 2147483648.0f ? std::numeric_limits<int32_t>::max() : (int32_t)mean;
        }
        if (greyCount > 0) out_.greyAt(r, c) = (uint8_t)((float)greySum / (float)greyCount);
      }
    }
  }

  const TestImage& src_;
  TestImage out_;
  FilterCall call_;
  std::vector<uint8_t> removed_;
  int rh_;
  int m_;
};

inline TestImage referenceFilter(const TestImage& input, const FilterCall& call) {
  return ReferenceFilter(input, call).run();
}

}  // namespace parvex_test
