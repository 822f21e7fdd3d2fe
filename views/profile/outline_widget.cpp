#include "views/profile/outline_widget.h"

#include <cmath>

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

OutlineWidget::OutlineWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_MouseTracking);
    // Every paint covers the whole widget: a refresh then repaints the plot
    // alone, not the windows under it (a sub-window's title bar included).
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

QPoint OutlineWidget::toCanvasPixel(const QPointF& widgetPoint) const {
    return QPoint(truncatePixel(static_cast<float>(widgetPoint.x() / scale_ - xOffset_)),
                  truncatePixel(static_cast<float>(widgetPoint.y() / scale_ - yOffset_)));
}

void OutlineWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressed_ = true;
    lastPoint_ = toCanvasPixel(event->localPos());
    canvas_.pick(lastPoint_.x(), lastPoint_.y());
}

void OutlineWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) pressed_ = false;
}

void OutlineWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pixel = toCanvasPixel(event->localPos());
    if (pressed_)
        handleMouse(pixel);
    else
        updateHoverCursor(pixel);
}

void OutlineWidget::handleMouse(const QPoint& pixel) {
    const QPoint d = pixel - lastPoint_;
    if (canvas_.selectedShape())
        canvas_.dragSelected(d.x(), d.y());
    else
        canvas_.pan(d.x(), -d.y());
    lastPoint_ = pixel;
    update();

    OutlineCanvas::AreaLimits areas;
    if (canvas_.areaLimits(&areas))
        emit slopeCorrectionLimitChanged(areas.beginLeftIndex, areas.beginLeftX, areas.beginRightIndex,
                                         areas.beginRightX, areas.endLeftIndex, areas.endLeftX, areas.endRightIndex,
                                         areas.endRightX);
    OutlineCanvas::XCursorLimits xCursors;
    if (canvas_.xCursorLimits(&xCursors))
        emit lineXSlopeCorrectionLimitChanged(xCursors.beginIndex, xCursors.beginX, xCursors.endIndex, xCursors.endX);
    OutlineCanvas::ZCursorLimits zCursors;
    if (canvas_.zCursorLimits(&zCursors)) emit lineYSlopeCorrectionLimitChanged(zCursors.beginY, zCursors.endY);
}

void OutlineWidget::updateHoverCursor(const QPoint& pixel) {
    const QString hit = canvas_.pick(pixel.x(), pixel.y());
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (hit == QLatin1String("Line.horizontal") || hit == QLatin1String("Rect.top") ||
        hit == QLatin1String("Rect.bottom"))
        shape = Qt::SizeVerCursor;
    else if (hit == QLatin1String("Line.vertical") || hit == QLatin1String("Rect.left") ||
             hit == QLatin1String("Rect.right"))
        shape = Qt::SizeHorCursor;
    setCursor(shape);
}

void OutlineWidget::wheelEvent(QWheelEvent* event) {
    const double factor = std::pow(1.5, event->angleDelta().y() / -120.0);
    canvas_.zoom(static_cast<float>(factor));
    update();
}

void OutlineWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(rect(), Qt::gray);
    canvas_.render();
    const QImage& image = canvas_.image();
    if (image.isNull() || width() <= 0 || height() <= 0) return;
    scale_ = std::min(static_cast<double>(height()) / image.height(), static_cast<double>(width()) / image.width());
    xOffset_ = static_cast<int>((width() / scale_ - image.width()) * 0.5);
    yOffset_ = static_cast<int>((height() / scale_ - image.height()) * 0.5);
    painter.scale(scale_, scale_);
    painter.drawImage(xOffset_, yOffset_, image);
}

void OutlineWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    canvas_.resize(event->size());
}
