#include "views/height/cloud/kx_common.h"

#include <utility>

namespace kx::common {

KxImage::KxImage() = default;

KxImage::KxImage(const KxImage& other)
    : name(other.name),
      kind(other.kind),
      mat(other.mat),
      posX(other.posX),
      posY(other.posY),
      extra(other.extra),
      extraFlag(other.extraFlag) {}

KxImage::KxImage(KxImage&& other) noexcept
    : name(std::move(other.name)),
      kind(other.kind),
      mat(std::move(other.mat)),
      posX(other.posX),
      posY(other.posY),
      extra(other.extra),
      extraFlag(other.extraFlag) {
    // A moved-from string or matrix is only "valid"; callers rely on empty.
    other.name.clear();
    other.mat.release();
}

KxImage& KxImage::operator=(KxImage&& other) noexcept {
    if (this != &other) {
        name = std::move(other.name);
        mat = std::move(other.mat);
        other.name.clear();
        other.mat.release();
    }
    kind = other.kind;
    posX = other.posX;
    posY = other.posY;
    extra = other.extra;
    extraFlag = other.extraFlag;
    return *this;
}

KxImage& KxImage::operator=(const KxImage& other) {
    if (this != &other) name = other.name;
    mat = other.mat;
    kind = other.kind;
    posX = other.posX;
    posY = other.posY;
    extra = other.extra;
    extraFlag = other.extraFlag;
    return *this;
}

KxImage::~KxImage() = default;

KxImage::KxImage(const uchar* data, int rows, int cols) : KxImage(data, rows, cols, 1) {}

KxImage::KxImage(const uchar* data, int rows, int cols, int channels) {
    if (channels < 1 || channels > 4) return;
    mat.create(rows, cols, CV_8UC(channels));
    const size_t rowBytes = static_cast<size_t>(cols) * static_cast<size_t>(channels);
    for (int r = 0; r < rows; ++r) std::copy_n(data + rowBytes * static_cast<size_t>(r), rowBytes, mat.ptr<uchar>(r));
}

KxImage::KxImage(const uchar* plane0, const uchar* plane1, const uchar* plane2, int rows, int cols) {
    mat.create(rows, cols, CV_8UC3);
    size_t k = 0;
    for (int r = 0; r < rows; ++r) {
        uchar* pixel = mat.ptr<uchar>(r);
        for (int c = 0; c < cols; ++c, ++k, pixel += 3) {
            pixel[0] = plane0[k];
            pixel[1] = plane1[k];
            pixel[2] = plane2[k];
        }
    }
}

KxImage::KxImage(const KxImage& source, const cv::Rect& roi) : posX(source.posX), posY(source.posY) {
    if (!source.mat.empty()) mat = source.mat(roi);
}

KxImage KxImage::clone() const {
    KxImage copy;
    copy.mat = mat.clone();
    copy.posX = posX;
    copy.posY = posY;
    return copy;
}

void KxImage::copyTo(KxImage& target) const {
    mat.copyTo(target.mat);
    target.posX = posX;
    target.posY = posY;
}

void KxImage::copyTo(KxImage& target, const cv::Mat& mask) const {
    mat.copyTo(target.mat, mask);
    target.posX = posX;
    target.posY = posY;
}

void KxImage::copyTo(KxImage& target, uchar* mask) const {
    if (!mask) {
        copyTo(target);
        return;
    }
    copyTo(target, cv::Mat(mat.rows, mat.cols, CV_8UC1, mask));
}

}  // namespace kx::common
