#pragma once
// A label that draws its picture centred with the aspect ratio kept; the
// mouse pans it, the wheel zooms it (while zoom is enabled: Ctrl pressed sets
// it, released clears it; on at start).
#include <QLabel>
#include <QPixmap>
#include <QPoint>

#include <mutex>

class PicLabel : public QLabel {
    Q_OBJECT

public:
    explicit PicLabel(QWidget* parent = nullptr);

    // Pictures of 9 pixels width or less, and null ones, are ignored.
    void setPicture(const QPixmap& picture);
    QPixmap picture() const;

    double scale() const { return scale_; }
    int offsetX() const { return offsetX_; }
    int offsetY() const { return offsetY_; }
    bool zoomEnabled() const { return zoomEnabled_; }
    // Where the picture is drawn before the scale: a rectangle centred on the origin.
    QRect drawnRect() const;

signals:
    void SigColor(int r, int g, int b);

public slots:
    void OnZoomInImage();
    void OnZoomOutImage();
    void OnPresetImage();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    // Scale and offsets times factor; a scale that is no longer positive becomes 0.5.
    void zoomBy(double factor);

    QPixmap picture_;
    double scale_ = 1.0;
    int offsetX_ = 0;
    int offsetY_ = 0;
    bool dragging_ = false;
    bool zoomEnabled_ = true;
    QPoint lastPos_;
    QPoint currentPos_;
    mutable std::mutex pictureMutex_;
};
