#pragma once
// OpenCV's image files (cv::imwrite, cv::imread) through its codecs library,
// loaded when first used: that library brings some hundred more with it (an
// image format library of geodata and all it needs), whose loading would
// otherwise take about half of the program's start.
#include <string>
#include <vector>

#include <opencv2/core/mat.hpp>

namespace mirevo::platform {

// cv::imwrite itself (a file of unknown type throws as it does); false also
// when the codecs library cannot be loaded.
bool imageWrite(const std::string& path, const cv::Mat& image, const std::vector<int>& params = {});

// cv::imread itself; an empty matrix also when the codecs library cannot be
// loaded.
cv::Mat imageRead(const std::string& path, int flags);

}  // namespace mirevo::platform
