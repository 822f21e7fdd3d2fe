#pragma once
// The camera image's view: panning with a held button, zoom with the wheel,
// the grey value under the mouse, and one rectangle per armed gesture.
#include <QGraphicsView>
#include <QPoint>
#include <QPointF>

#include <memory>

#include "views/camera/image_scene.h"

class ImgGraphicsView : public QGraphicsView {
    Q_OBJECT
public:
    explicit ImgGraphicsView(QWidget* parent = nullptr);
    ~ImgGraphicsView() override;

    std::shared_ptr<showfullimg> scene;
    QPointF scenePos;      // last mouse position in image pixels
    QPoint lastMousePos;   // viewport position of the last move
    int rectMode = 0;      // 1 while a rectangle is armed
    int dragState = 0;     // 0 none, 1 panning, 2 dragging the second corner

signals:
    void signal_realxy(QPointF pos);
    void signal_add_rect_end(int x, int y, int x1, int y1);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QPointF imagePosition(QPoint viewportPos) const;
};
