#pragma once
// 8-bit OpenCV matrices to pixmaps, for the height view, the gray image form
// and the camera image page.
#include <QPixmap>

#include <opencv2/core/mat.hpp>

namespace CVS {

// CV_8UC1 as Grayscale8, CV_8UC3 as RGB888 with red and blue swapped (OpenCV
// keeps BGR), CV_8UC4 as ARGB32. Any other type gives a null pixmap and a
// warning in the Qt log.
QPixmap cvMatToQImage(const cv::Mat& mat);

}  // namespace CVS
