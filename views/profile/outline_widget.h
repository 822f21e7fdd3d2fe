#pragma once
// A painter-based plot of one profile with grid, zoom (wheel), pan (drag)
// and draggable cursor lines and area rectangles. Knows nothing of the
// sensor; its owner sets it up through canvas().
#include <QPoint>
#include <QWidget>

#include "views/profile/outline_canvas.h"

class OutlineWidget : public QWidget {
    Q_OBJECT

public:
    explicit OutlineWidget(QWidget* parent = nullptr);

    OutlineCanvas& canvas() { return canvas_; }
    const OutlineCanvas& canvas() const { return canvas_; }

signals:
    // The two area rectangles, each edge snapped to its nearest profile point.
    void slopeCorrectionLimitChanged(int beginLeftIndex, float beginLeftX, int beginRightIndex, float beginRightX,
                                     int endLeftIndex, float endLeftX, int endRightIndex, float endRightX);
    // The two vertical cursors (their own x, the nearest points' indexes).
    void lineXSlopeCorrectionLimitChanged(int beginIndex, float beginX, int endIndex, float endX);
    // The two horizontal cursors.
    void lineYSlopeCorrectionLimitChanged(float beginY, float endY);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPoint toCanvasPixel(const QPointF& widgetPoint) const;
    // A move with the left button down: drag the selected shape or pan, then
    // report every shape pair.
    void handleMouse(const QPoint& pixel);
    // A move without a button: select what lies under the pointer and show a
    // matching pointer shape.
    void updateHoverCursor(const QPoint& pixel);

    OutlineCanvas canvas_;
    double scale_ = 1.0;
    int xOffset_ = 0;
    int yOffset_ = 0;
    QPoint lastPoint_;
    bool pressed_ = false;
};
