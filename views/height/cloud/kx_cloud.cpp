#include "views/height/cloud/kx_common.h"

#include <utility>

namespace kx::common {

kxCloud::kxCloud() = default;
kxCloud::kxCloud(const kxCloud& other) = default;

kxCloud::kxCloud(kxCloud&& other) noexcept
    : name(std::move(other.name)),
      z(std::move(other.z)),
      intensity(std::move(other.intensity)),
      color(std::move(other.color)),
      xPitch(other.xPitch),
      yPitch(other.yPitch),
      zMin(other.zMin),
      zMax(other.zMax),
      invalidValue(other.invalidValue),
      xOrigin(other.xOrigin),
      yOrigin(other.yOrigin),
      extraFlag(other.extraFlag) {}

kxCloud& kxCloud::operator=(kxCloud&& other) noexcept {
    if (this != &other) {
        name = std::move(other.name);
        z = std::move(other.z);
        intensity = std::move(other.intensity);
        color = std::move(other.color);
    }
    xPitch = other.xPitch;
    yPitch = other.yPitch;
    zMin = other.zMin;
    zMax = other.zMax;
    invalidValue = other.invalidValue;
    xOrigin = other.xOrigin;
    yOrigin = other.yOrigin;
    extraFlag = other.extraFlag;
    return *this;
}

kxCloud& kxCloud::operator=(const kxCloud& other) {
    if (this != &other) name = other.name;
    z = other.z;
    intensity = other.intensity;
    color = other.color;
    xPitch = other.xPitch;
    yPitch = other.yPitch;
    zMin = other.zMin;
    zMax = other.zMax;
    invalidValue = other.invalidValue;
    xOrigin = other.xOrigin;
    yOrigin = other.yOrigin;
    extraFlag = other.extraFlag;
    return *this;
}

kxCloud::~kxCloud() = default;

kxCloud::kxCloud(const cv::Mat& z_, const cv::Mat& intensity_, float xPitch_, float yPitch_, float zMin_,
                 float zMax_, float invalidValue_)
    : z(z_),
      intensity(intensity_),
      xPitch(xPitch_),
      yPitch(yPitch_),
      zMin(zMin_),
      zMax(zMax_),
      invalidValue(invalidValue_) {}

kxCloud::kxCloud(const cv::Mat& z_, float xPitch_, float yPitch_, float zMin_, float zMax_, float invalidValue_)
    : z(z_), xPitch(xPitch_), yPitch(yPitch_), zMin(zMin_), zMax(zMax_), invalidValue(invalidValue_) {}

kxCloud::kxCloud(const float* z_, float xPitch_, float yPitch_, float zMin_, float zMax_, int rows, int cols,
                 float invalidValue_)
    : xPitch(xPitch_), yPitch(yPitch_), zMin(zMin_), zMax(zMax_), invalidValue(invalidValue_) {
    cv::Mat(rows, cols, CV_32FC1, const_cast<float*>(z_)).copyTo(z);
}

kxCloud::kxCloud(const float* z_, const uchar* intensity_, float xPitch_, float yPitch_, float zMin_, float zMax_,
                 int rows, int cols, float invalidValue_)
    : kxCloud(z_, xPitch_, yPitch_, zMin_, zMax_, rows, cols, invalidValue_) {
    cv::Mat(rows, cols, CV_8UC1, const_cast<uchar*>(intensity_)).copyTo(intensity);
}

}  // namespace kx::common
