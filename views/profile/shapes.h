#pragma once
// Shapes the user drags on the profile plot: cursor lines and area
// rectangles. They work in data units (millimetres); the canvas converts
// pointer positions and tolerances before calling them, and paints them.
#include <algorithm>

#include <QColor>
#include <QString>
#include <QStringList>

namespace tevu {

// Both kinds are held by value in the canvas lists and never deleted through
// this base, which therefore has no virtual destructor.
class Geometry {
public:
    // The handle name under (x, y), "" for no hit.
    virtual QString hitTest(float x, float y, float tolX1, float tolY1, float tolX2, float tolY2) = 0;
    // Moves by (dx, dy) as dragging the handle that hitTest named.
    virtual void moveBy(float dx, float dy, const QString& handle) = 0;

    bool selected = false;
    float xmin = 0, xmax = 0, ymin = 0, ymax = 0;  // the shape never leaves these bounds
    QColor color;

protected:
    Geometry() = default;
    Geometry(const Geometry&) = default;
    Geometry& operator=(const Geometry&) = default;
    ~Geometry() = default;
};

// A cursor: "vertical" (x1 == x2) or "horizontal" (y1 == y2).
class Line : public Geometry {
public:
    Line() = default;
    Line(const Line&) = default;
    Line& operator=(const Line&) = default;

    // "begin" or "end" near an end (tolerance ex, ey), "center" across the
    // line (tolerance lx for vertical, ly for horizontal), else "".
    QString hitTest(float x, float y, float ex, float ey, float lx, float ly) override;
    // Non-empty handle: moves only across its own direction; each coordinate
    // is clamped into the bounds on its own.
    void moveBy(float dx, float dy, const QString& handle) override;

    QString orientation;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// An axis-aligned rectangle; top is the smaller y. Handles are drawn from
// "left", "right", "top", "bottom", "center".
class Rectangle : public Geometry {
public:
    struct Corner {
        float x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // one point held twice
    };

    Rectangle(float boundXMin, float boundXMax, float boundYMin, float boundYMax, float left, float top,
              float right, float bottom, const QString& colorName, const QStringList& handles);
    Rectangle(const Rectangle&) = default;
    Rectangle& operator=(const Rectangle&) = default;

    // Stores top and bottom as given, clamps left and right into the x bounds
    // and places the corner boxes.
    void setRect(float left, float top, float right, float bottom);

    // Corners first ("left_top", "right_top", "right_bottom", "left_bottom"),
    // then the edges, then "center".
    QString hitTest(float x, float y, float cx, float cy, float ex, float ey) override;
    void moveBy(float dx, float dy, const QString& handle) override;

    QStringList handles;
    float left = 0, top = 0, right = 0, bottom = 0;
    Corner corners[4];  // (left, top), (right, top), (right, bottom), (left, bottom)
};

// max(lo, min(hi, v)): the upper bound first, so lo wins when lo > hi.
inline float clampBound(float v, float lo, float hi) { return std::max(lo, std::min(hi, v)); }

}  // namespace tevu
