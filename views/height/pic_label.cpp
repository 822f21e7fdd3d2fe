#include "views/height/pic_label.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

PicLabel::PicLabel(QWidget* parent) : QLabel(parent) { setMouseTracking(true); }

void PicLabel::setPicture(const QPixmap& picture) {
    if (picture.isNull() || picture.width() <= 9) return;
    {
        std::lock_guard<std::mutex> lock(pictureMutex_);
        picture_ = picture.copy();
    }
    update();
}

QPixmap PicLabel::picture() const {
    std::lock_guard<std::mutex> lock(pictureMutex_);
    return picture_;
}

QRect PicLabel::drawnRect() const {
    std::lock_guard<std::mutex> lock(pictureMutex_);
    if (picture_.isNull()) return QRect();
    const double pw = picture_.width();
    const double ph = picture_.height();
    const double aspect = pw / ph;
    const int h = std::min(static_cast<int>(std::min(pw, static_cast<double>(width())) / aspect), height());
    const int w = static_cast<int>(aspect * h);
    return QRect(-w / 2, -h / 2, w, h);
}

void PicLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    const QRect target = drawnRect();
    std::lock_guard<std::mutex> lock(pictureMutex_);
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.translate(width() / 2 + offsetX_, height() / 2 + offsetY_);
    painter.scale(scale_, scale_);
    painter.drawPixmap(target, picture_);
}

void PicLabel::zoomBy(double factor) {
    scale_ *= factor;
    offsetX_ = static_cast<int>(offsetX_ * factor);
    offsetY_ = static_cast<int>(offsetY_ * factor);
    if (scale_ <= 0) scale_ = 0.5;
}

void PicLabel::OnZoomInImage() {
    zoomBy(1.1);
    update();
}

void PicLabel::OnZoomOutImage() {
    scale_ *= 0.9;
    offsetX_ = static_cast<int>(offsetX_ * 0.9);
    offsetY_ = static_cast<int>(offsetY_ * 0.9);
    if (scale_ <= 0) {
        scale_ = 0.5;
        return;
    }
    update();
}

void PicLabel::OnPresetImage() {
    scale_ = 1.0;
    offsetX_ = 0;
    offsetY_ = 0;
    update();
}

void PicLabel::mousePressEvent(QMouseEvent* event) {
    lastPos_ = event->pos();
    dragging_ = true;
}

void PicLabel::mouseMoveEvent(QMouseEvent* event) {
    currentPos_ = event->pos();
    if (!dragging_) {
        QLabel::mouseMoveEvent(event);
        return;
    }
    setCursor(Qt::SizeAllCursor);
    offsetX_ += currentPos_.x() - lastPos_.x();
    offsetY_ += currentPos_.y() - lastPos_.y();
    lastPos_ = currentPos_;
    update();
}

void PicLabel::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
    setCursor(Qt::ArrowCursor);
}

void PicLabel::wheelEvent(QWheelEvent* event) {
    if (!zoomEnabled_) return;
    zoomBy(event->angleDelta().y() > 0 ? 1.1 : 0.9);
    update();
}

void PicLabel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Control) zoomEnabled_ = true;
    QLabel::keyPressEvent(event);
}

void PicLabel::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Control) zoomEnabled_ = false;
    QLabel::keyReleaseEvent(event);
}
