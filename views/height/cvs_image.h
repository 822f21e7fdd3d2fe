#pragma once
// Matrices of the camera and height pages turned into pictures.
#include <QPixmap>

namespace cv {
class Mat;
}

namespace CVS {

// CV_8UC1 as a grey image, CV_8UC3 (blue, green, red) as RGB, CV_8UC4 as
// ARGB32, each of the matrix's size; any other type gives a null pixmap and a
// warning in the Qt log. The matrix may be a region of a larger one.
QPixmap cvMatToQImage(const cv::Mat& mat);

}  // namespace CVS
