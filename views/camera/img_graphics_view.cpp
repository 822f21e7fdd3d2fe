#include "views/camera/img_graphics_view.h"

#include <QMouseEvent>
#include <QWheelEvent>

ImgGraphicsView::ImgGraphicsView(QWidget* parent)
    : QGraphicsView(parent), scene(std::make_shared<showfullimg>(this)) {}

ImgGraphicsView::~ImgGraphicsView() = default;

QPointF ImgGraphicsView::imagePosition(QPoint viewportPos) const {
    return mapToScene(viewportPos) / camera_scene::kScale;
}

void ImgGraphicsView::mousePressEvent(QMouseEvent* event) {
    QGraphicsView::mousePressEvent(event);
    scenePos = imagePosition(event->pos());
    if (rectMode == 1) {
        dragState = 2;
        // A press beside the image starts the rectangle at its edge.
        const QPoint corner = camera_scene::clampFirstCorner(scenePos, scene->imageWidth(), scene->imageHeight());
        scene->setRectStart(corner);
        scene->setRectEnd(corner);
    } else {
        dragState = 1;
    }
}

void ImgGraphicsView::mouseMoveEvent(QMouseEvent* event) {
    scenePos = imagePosition(event->pos());
    emit signal_realxy(scenePos);
    switch (dragState) {
    case 1:
        scene->scrollVertical(lastMousePos.y() - event->pos().y());
        scene->scrollHorizontal(lastMousePos.x() - event->pos().x());
        break;
    case 2:
        scene->setRectEnd(camera_scene::clampSecondCorner(scene->rectStart(), scenePos, scene->imageWidth(),
                                                          scene->imageHeight()));
        break;
    default:
        scene->showPixelInfo(event->globalPos(), scenePos);
        break;
    }
    lastMousePos = event->pos();
}

void ImgGraphicsView::mouseReleaseEvent(QMouseEvent* event) {
    QGraphicsView::mouseReleaseEvent(event);
    if (rectMode == 1) {
        rectMode = 0;
        const QPoint a = scene->rectStart();
        const QPoint b = scene->rectEnd();
        emit signal_add_rect_end(a.x(), a.y(), b.x(), b.y());
    }
    dragState = 0;
}

void ImgGraphicsView::wheelEvent(QWheelEvent* event) {
    if (event->angleDelta().y() > 0)
        scene->zoomIn();
    else
        scene->zoomOut();
    event->accept();
}
