#include "views/profile/shapes.h"

#include <cmath>

#include "views/profile/named_colors.h"

namespace tevu {

namespace {

bool strictlyBetween(float lo, float v, float hi) { return lo < v && v < hi; }

}  // namespace

QString Line::hitTest(float x, float y, float ex, float ey, float lx, float ly) {
    if (strictlyBetween(x1 - ex, x, x1 + ex) && strictlyBetween(y1 - ey, y, y1 + ey)) return QStringLiteral("begin");
    if (strictlyBetween(x2 - ex, x, x2 + ex) && strictlyBetween(y2 - ey, y, y2 + ey)) return QStringLiteral("end");
    if (orientation == QLatin1String("vertical") && strictlyBetween(x1 - lx, x, x2 + lx)) return QStringLiteral("center");
    if (orientation == QLatin1String("horizontal") && strictlyBetween(y1 - ly, y, y2 + ly))
        return QStringLiteral("center");
    return QString();
}

void Line::moveBy(float dx, float dy, const QString& handle) {
    if (!handle.isEmpty()) {
        if (orientation.contains(QLatin1String("horizontal"))) dx = 0;
        if (orientation.contains(QLatin1String("vertical"))) dy = 0;
    }
    x1 = clampBound(x1 + dx, xmin, xmax);
    y1 = clampBound(y1 + dy, ymin, ymax);
    x2 = clampBound(x2 + dx, xmin, xmax);
    y2 = clampBound(y2 + dy, ymin, ymax);
}

Rectangle::Rectangle(float boundXMin, float boundXMax, float boundYMin, float boundYMax, float left_, float top_,
                     float right_, float bottom_, const QString& colorName, const QStringList& handles_)
    : handles(handles_) {
    xmin = boundXMin;
    xmax = boundXMax;
    ymin = boundYMin;
    ymax = boundYMax;
    color = namedColorMap[colorName];
    selected = false;
    setRect(left_, top_, right_, bottom_);
}

void Rectangle::setRect(float left_, float top_, float right_, float bottom_) {
    top = top_;
    bottom = bottom_;
    left = std::max(xmin, left_);
    right = std::min(xmax, right_);
    const float xs[4] = {left, right, right, left};
    const float ys[4] = {top, top, bottom, bottom};
    for (int i = 0; i < 4; ++i) corners[i] = Corner{xs[i], ys[i], xs[i], ys[i]};
}

QString Rectangle::hitTest(float x, float y, float cx, float cy, float ex, float ey) {
    static const char* const cornerNames[4] = {"left_top", "right_top", "right_bottom", "left_bottom"};
    for (int i = 0; i < 4; ++i) {
        const Corner& c = corners[i];
        if (strictlyBetween(c.x1 - cx, x, c.x2 + cx) && strictlyBetween(c.y1 - cy, y, c.y2 + cy))
            return QLatin1String(cornerNames[i]);
    }
    const bool withinHeight = strictlyBetween(top, y, bottom);
    if (std::fabs(x - left) < ex && withinHeight) return QStringLiteral("left");
    if (std::fabs(x - right) < ex && withinHeight) return QStringLiteral("right");
    if (strictlyBetween(left, x, right)) {
        if (std::fabs(y - top) < ey) return QStringLiteral("top");
        if (std::fabs(y - bottom) < ey) return QStringLiteral("bottom");
        if (withinHeight) return QStringLiteral("center");
    }
    return QString();
}

void Rectangle::moveBy(float dx, float dy, const QString& handle) {
    auto movesPart = [&](const char* part) {
        return handle.contains(QLatin1String(part)) && handles.contains(QLatin1String(part));
    };
    float l = left, t = top, r = right, b = bottom;
    if (movesPart("left")) l = std::min(r, l + dx);
    if (movesPart("right")) r = std::max(left, r + dx);
    if (movesPart("top")) t = std::min(bottom, t + dy);
    if (movesPart("bottom")) b = std::max(top, b + dy);
    if (movesPart("center")) {
        if (xmin > l + dx)
            dx = xmin - l;
        else if (xmax < r + dx)
            dx = xmax - r;
        if (ymin > t + dy)
            dy = ymin - t;
        else if (ymax < b + dy)
            dy = ymax - b;
        l += dx;
        r += dx;
        t += dy;
        b += dy;
    }
    setRect(std::max(xmin, l), std::max(ymin, t), std::min(xmax, r), std::min(ymax, b));
}

}  // namespace tevu
