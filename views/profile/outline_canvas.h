#pragma once
// The off-screen canvas of the profile plot: ranges, data, shapes and the
// rendering of frame, grid, curve, shapes and scale labels into one ARGB32
// image. It knows nothing of the sensor. GUI thread only.
#include <QColor>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPair>
#include <QPointF>
#include <QPolygonF>
#include <QSize>
#include <QString>
#include <QVector>

#include <utility>

#include "views/profile/shapes.h"

class OutlineCanvas {
public:
    struct PlotPoint {
        float x;
        float y;
    };
    // Positions reported for the two area rectangles: each edge snapped to
    // the nearest profile point.
    struct AreaLimits {
        int beginLeftIndex = 0;
        float beginLeftX = 0;
        int beginRightIndex = 0;
        float beginRightX = 0;
        int endLeftIndex = 0;
        float endLeftX = 0;
        int endRightIndex = 0;
        float endRightX = 0;
    };
    struct XCursorLimits {
        int beginIndex = 0;
        float beginX = 0;
        int endIndex = 0;
        float endX = 0;
    };
    struct ZCursorLimits {
        float beginY = 0;
        float endY = 0;
    };

    OutlineCanvas();
    OutlineCanvas(const OutlineCanvas&) = delete;
    OutlineCanvas& operator=(const OutlineCanvas&) = delete;

    void setMargins(float left, float top, float right, float bottom);
    void resize(const QSize& size);

    void setXRange(float min, float max);
    void setYRange(float min, float max);
    // Sets the limit range and pulls the visible range inside it.
    void setXLimits(float min, float max);
    void setYLimits(float min, float max);
    QPair<float, float> xRange() const { return {xmin_, xmax_}; }
    QPair<float, float> yRange() const { return {ymin_, ymax_}; }
    QPair<float, float> xLimits() const { return {limitXmin_, limitXmax_}; }
    QPair<float, float> yLimits() const { return {limitYmin_, limitYmax_}; }
    void toggleYFlip() { yFlip_ = !yFlip_; }
    bool yFlipped() const { return yFlip_; }

    void setData(const QVector<float>& x, const QVector<float>& y, const QString& lineColorName,
                 const QString& pointColorName);
    const QVector<PlotPoint>& points() const { return points_; }

    void addXCursorPair(float a, float b);
    void addZCursorPair(float a, float b);
    void setAreaPair(float a1, float a2, float b1, float b2);
    void clearXCursors();
    void clearZCursors();
    void clearAreas();
    const QList<tevu::Line>& xCursors() const { return xCursors_; }
    const QList<tevu::Line>& zCursors() const { return zCursors_; }
    const QList<tevu::Rectangle>& areas() const { return areas_; }

    // Selects the first shape under the canvas pixel (vertical cursors, then
    // horizontal ones, then areas) and names it: "Line.vertical",
    // "Line.horizontal", "Rect.<handle>", or "" for none.
    QString pick(int px, int py);
    const tevu::Geometry* selectedShape() const;
    QString selectedHandle() const { return selectedHandle_; }
    // Moves the selected shape by a distance in canvas pixels.
    void dragSelected(int dx, int dy);
    // Moves the view; dyArg is the pointer's upward movement.
    void pan(int dx, int dyArg);
    void zoom(float factor);

    bool areaLimits(AreaLimits* out) const;
    bool xCursorLimits(XCursorLimits* out) const;
    bool zCursorLimits(ZCursorLimits* out) const;

    void render();
    // The canvas pixels of the curve's points that survive the three-pixel
    // thinning, in drawing order, one polyline per stretch of valid heights:
    // an invalid height (-9999.0) ends a stretch and is drawn nowhere.
    QVector<QPolygonF> curveRuns() const;
    const QImage& image() const { return image_; }

    // Plot rectangle in canvas pixels.
    float plotLeft() const { return left_; }
    float plotTop() const { return top_; }
    float plotRight() const { return right_; }
    float plotBottom() const { return bottom_; }
    float plotWidth() const { return width_; }
    float plotHeight() const { return height_; }

    // Data to canvas pixel and back, with the visible ranges.
    float toPixelX(float x) const;
    float toPixelY(float y) const;
    float toDataX(float px) const;
    float toDataY(float py) const;
    // False when a range or the plot has no extent: nothing can be mapped.
    bool canMap() const;

private:
    // What the layer under the curve (background, frame, grid, ticks and
    // their labels) depends on: it is drawn again only when one changes.
    struct UnderLayerKey {
        QSize size;
        float margins[4];
        float ranges[4];
        bool yFlip;
        QRgb background;
        bool operator==(const UnderLayerKey& other) const;
    };
    UnderLayerKey underLayerKey() const;
    void paintUnderLayer();
    // Makes the image the layer beneath again: whole, or where the last
    // frame drew over it when it lay on the same layer.
    void putBackUnderLayer();
    // Notes that a frame draws inside rect (within clip).
    void markDrawnOver(const QRect& rect, const QRect& clip);
    void paintGrid();
    void paintCurve(const QVector<QPolygonF>& runs);
    // The plot rectangle in whole pixels, which the curve and shapes keep to.
    QRect plotClip() const;
    void paintShapes();
    void paintScaleLabels();
    void updatePlotRect();
    // Index of the first point whose x is strictly nearest to v (0 without
    // points), and that point's x (v itself without points).
    std::pair<int, float> nearestPoint(float v) const;
    float marginSum() const { return marginLeft_ + marginTop_ + marginRight_ + marginBottom_; }

    QImage image_;
    QPainter painter_;
    QImage underLayer_;
    UnderLayerKey underLayerKey_{};
    bool imageOverUnderLayer_ = false;  // image_ is underLayer_ but for drawnOver_
    QVector<QRect> drawnOver_;
    float marginLeft_ = 0, marginTop_ = 0, marginRight_ = 0, marginBottom_ = 0;
    float left_ = 0, top_ = 0, right_ = 0, bottom_ = 0, width_ = 0, height_ = 0;
    bool yFlip_ = false;
    float xmin_ = 0, xmax_ = 1, ymin_ = 0, ymax_ = 1;
    float limitXmin_, limitXmax_, limitYmin_, limitYmax_;
    QColor background_;
    QList<tevu::Rectangle> areas_;
    QList<tevu::Line> xCursors_;
    QList<tevu::Line> zCursors_;
    // The selection is kept as list and index, not as a pointer into a list
    // that a clear could free.
    enum class ShapeList { None, XCursors, ZCursors, Areas };
    tevu::Geometry* selectedMutable();
    void clearSelection();
    ShapeList selectedList_ = ShapeList::None;
    int selectedIndex_ = -1;
    QString selectedHandle_;
    QVector<PlotPoint> points_;
    QColor lineColor_;
    QColor pointColor_;
};

// Truncates toward zero like a cast to int, but saturates values far outside
// any image (and NaN) instead of leaving them undefined.
int truncatePixel(float v);

// Paints two-pixel point marks as an aliased QPainter::drawPoints with a pen
// of that colour and width 2 paints them (each mark on whole pixel
// coordinates covers the 2 x 2 block up and left of it), clipped to clip;
// an opaque colour is written straight into the pixels.
void paintPointMarks(QImage& image, const QRect& clip, const QVector<QPolygonF>& runs, const QColor& color);
