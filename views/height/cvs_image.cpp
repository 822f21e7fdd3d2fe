#include "views/height/cvs_image.h"

#include <QDebug>
#include <QImage>

#include <opencv2/core.hpp>

namespace CVS {

QPixmap cvMatToQImage(const cv::Mat& mat) {
    switch (mat.type()) {
    case CV_8UC1: {
        // The image only lays over the matrix's rows; fromImage copies them.
        const QImage image(mat.data, mat.cols, mat.rows, static_cast<int>(mat.step), QImage::Format_Grayscale8);
        return QPixmap::fromImage(image);
    }
    case CV_8UC3: {
        const QImage image(mat.data, mat.cols, mat.rows, static_cast<int>(mat.step), QImage::Format_RGB888);
        return QPixmap::fromImage(image.rgbSwapped());
    }
    case CV_8UC4: {
        const QImage image(mat.data, mat.cols, mat.rows, static_cast<int>(mat.step), QImage::Format_ARGB32);
        return QPixmap::fromImage(image);
    }
    default:
        qWarning() << "CVS::cvMatToQImage() - cv::Mat image type not handled in switch:" << mat.type();
        return QPixmap();
    }
}

}  // namespace CVS
