#include "views/height/cv_mat_to_qimage.h"

#include <QDebug>
#include <QImage>

namespace CVS {

QPixmap cvMatToQImage(const cv::Mat& mat) {
    const int step = static_cast<int>(mat.step);
    switch (mat.type()) {
    case CV_8UC1: {
        const QImage image(mat.data, mat.cols, mat.rows, step, QImage::Format_Grayscale8);
        return QPixmap::fromImage(image);
    }
    case CV_8UC3: {
        const QImage image(mat.data, mat.cols, mat.rows, step, QImage::Format_RGB888);
        return QPixmap::fromImage(image.rgbSwapped());
    }
    case CV_8UC4: {
        const QImage image(mat.data, mat.cols, mat.rows, step, QImage::Format_ARGB32);
        return QPixmap::fromImage(image);
    }
    default:
        qWarning() << "CVS::cvMatToQImage() - cv::Mat image type not handled in switch:" << mat.type();
        return QPixmap();
    }
}

}  // namespace CVS
