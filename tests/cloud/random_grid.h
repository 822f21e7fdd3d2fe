#pragma once
// A small grid of random heights, intensities and colours for the cloud-file
// tests, with an invalid height and a NaN among the heights.
#include <limits>

#include <opencv2/core.hpp>

#include "views/height/cloud/kx_common.h"

namespace cloud_test {

inline kx::common::kxCloud randomGrid(float xPitch, float yPitch) {
    kx::common::kxCloud cloud;
    cloud.z = cv::Mat(4, 5, CV_32FC1);
    cloud.intensity = cv::Mat(4, 5, CV_8UC1);
    cloud.color = cv::Mat(4, 5, CV_8UC3);
    cv::randu(cloud.z, -5.0f, 5.0f);
    cv::randu(cloud.intensity, 0, 256);
    cv::randu(cloud.color, 0, 256);
    cloud.z.at<float>(1, 2) = -9999.0f;
    cloud.z.at<float>(3, 4) = std::numeric_limits<float>::quiet_NaN();
    cloud.xPitch = xPitch;
    cloud.yPitch = yPitch;
    cloud.zMin = -4.0f;
    cloud.zMax = 4.0f;
    return cloud;
}

}  // namespace cloud_test
