#include "views/profile/outline_canvas.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <iterator>

#include <QFont>
#include <QFontMetrics>
#include <QPen>

#include "views/profile/named_colors.h"

namespace {

// Far outside any image, yet small enough that the few pixels added or
// subtracted around a coordinate never overflow an int.
constexpr float kPixelLimit = 16777216.0f;

const QString kPlotFontFamily = QStringLiteral("Microsoft YaHei");

// A height without a measurement.
constexpr float kInvalidHeight = -9999.0f;

// Every pixel of the canvas is opaque (the background covers it first), so the
// premultiplied form holds the same pixels as plain ARGB32; Qt blends into it
// several times faster.
constexpr QImage::Format kImageFormat = QImage::Format_ARGB32_Premultiplied;

bool usableSpan(float min, float max) {
    const float span = max - min;
    return std::isfinite(span) && span != 0.0f;
}

QPen solidPen(const QColor& color, qreal width) { return QPen(QBrush(color), width, Qt::SolidLine); }

}  // namespace

int truncatePixel(float v) {
    if (std::isnan(v)) return 0;
    if (v >= kPixelLimit) return static_cast<int>(kPixelLimit);
    if (v <= -kPixelLimit) return -static_cast<int>(kPixelLimit);
    return static_cast<int>(v);
}

OutlineCanvas::OutlineCanvas()
    : image_(600, 400, kImageFormat),
      limitXmin_(FLT_MAX),
      limitXmax_(-FLT_MAX),
      limitYmin_(FLT_MAX),
      limitYmax_(-FLT_MAX),
      background_(namedColorMap[QStringLiteral("black")]) {
    updatePlotRect();
}

void OutlineCanvas::updatePlotRect() {
    left_ = marginLeft_;
    top_ = marginTop_;
    right_ = image_.width() - marginRight_;
    bottom_ = image_.height() - marginBottom_;
    width_ = right_ - left_;
    height_ = bottom_ - top_;
}

void OutlineCanvas::setMargins(float left, float top, float right, float bottom) {
    marginLeft_ = left;
    marginTop_ = top;
    marginRight_ = right;
    marginBottom_ = bottom;
    updatePlotRect();
}

void OutlineCanvas::resize(const QSize& size) {
    image_ = QImage(size, kImageFormat);
    imageOverUnderLayer_ = false;  // a new image holds nothing yet
    // Left x and top y stay as they are; the rest follows the new size.
    right_ = image_.width() - marginRight_;
    bottom_ = image_.height() - marginBottom_;
    width_ = right_ - left_;
    height_ = bottom_ - top_;
}

void OutlineCanvas::setXRange(float min, float max) {
    xmin_ = min;
    xmax_ = max;
}

void OutlineCanvas::setYRange(float min, float max) {
    ymin_ = min;
    ymax_ = max;
}

void OutlineCanvas::setXLimits(float min, float max) {
    limitXmin_ = min;
    limitXmax_ = max;
    if (xmin_ < limitXmin_) xmin_ = limitXmin_;
    if (xmax_ > limitXmax_) xmax_ = limitXmax_;
}

void OutlineCanvas::setYLimits(float min, float max) {
    limitYmin_ = min;
    limitYmax_ = max;
    if (ymin_ < limitYmin_) ymin_ = limitYmin_;
    if (ymax_ > limitYmax_) ymax_ = limitYmax_;
}

void OutlineCanvas::setData(const QVector<float>& x, const QVector<float>& y, const QString& lineColorName,
                            const QString& pointColorName) {
    points_.clear();
    const int n = std::min(x.size(), y.size());
    points_.reserve(n);
    for (int i = 0; i < n; ++i) points_.append(PlotPoint{x[i], y[i]});
    lineColor_ = namedColorMap[lineColorName];
    pointColor_ = namedColorMap[pointColorName];
}

bool OutlineCanvas::canMap() const {
    return width_ > 0 && height_ > 0 && usableSpan(xmin_, xmax_) && usableSpan(ymin_, ymax_);
}

float OutlineCanvas::toPixelX(float x) const { return (x - xmin_) / (xmax_ - xmin_) * width_ + left_; }

float OutlineCanvas::toPixelY(float y) const {
    const float fromMin = (y - ymin_) / (ymax_ - ymin_) * height_;
    return yFlip_ ? bottom_ - fromMin : fromMin;
}

float OutlineCanvas::toDataX(float px) const { return (xmax_ - xmin_) * ((px - left_) / width_) + xmin_; }

float OutlineCanvas::toDataY(float py) const {
    if (yFlip_) return (bottom_ - py) / height_ * (ymax_ - ymin_) + ymin_;
    return py / height_ * (ymax_ - ymin_) + ymin_;
}

void OutlineCanvas::addXCursorPair(float a, float b) {
    float minX = FLT_MAX, maxX = -FLT_MAX, minY = FLT_MAX, maxY = -FLT_MAX;
    for (const PlotPoint& p : points_) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    const std::pair<float, const char*> pair[2] = {{a, "red"}, {b, "purple"}};
    for (const auto& [position, colorName] : pair) {
        tevu::Line line;
        line.xmin = minX;
        line.xmax = maxX;
        line.ymin = minY;
        line.ymax = maxY;
        line.color = namedColorMap[QLatin1String(colorName)];
        line.orientation = QStringLiteral("vertical");
        line.selected = false;
        line.x1 = line.x2 = tevu::clampBound(position, minX, maxX);
        line.y1 = tevu::clampBound(minY, minY, maxY);
        line.y2 = tevu::clampBound(maxY, minY, maxY);
        xCursors_.append(line);
    }
}

void OutlineCanvas::addZCursorPair(float a, float b) {
    const std::pair<float, const char*> pair[2] = {{a, "red"}, {b, "purple"}};
    for (const auto& [position, colorName] : pair) {
        tevu::Line line;
        line.xmin = limitXmin_;
        line.xmax = limitXmax_;
        line.ymin = limitYmin_;
        line.ymax = limitYmax_;
        line.color = namedColorMap[QLatin1String(colorName)];
        line.orientation = QStringLiteral("horizontal");
        line.selected = false;
        line.x1 = tevu::clampBound(xmin_, limitXmin_, limitXmax_);
        line.x2 = tevu::clampBound(xmax_, limitXmin_, limitXmax_);
        line.y1 = line.y2 = tevu::clampBound(position, limitYmin_, limitYmax_);
        zCursors_.append(line);
    }
}

void OutlineCanvas::setAreaPair(float a1, float a2, float b1, float b2) {
    clearAreas();
    const QStringList handles = {QStringLiteral("center"), QStringLiteral("left"), QStringLiteral("right")};
    areas_.append(tevu::Rectangle(limitXmin_, limitXmax_, limitYmin_, limitYmax_, a1, limitYmin_, a2, limitYmax_,
                                  QStringLiteral("red"), handles));
    areas_.append(tevu::Rectangle(limitXmin_, limitXmax_, limitYmin_, limitYmax_, b1, limitYmin_, b2, limitYmax_,
                                  QStringLiteral("purple"), handles));
}

void OutlineCanvas::clearXCursors() {
    if (selectedList_ == ShapeList::XCursors) clearSelection();
    xCursors_.clear();
}

void OutlineCanvas::clearZCursors() {
    if (selectedList_ == ShapeList::ZCursors) clearSelection();
    zCursors_.clear();
}

void OutlineCanvas::clearAreas() {
    if (selectedList_ == ShapeList::Areas) clearSelection();
    areas_.clear();
}

tevu::Geometry* OutlineCanvas::selectedMutable() {
    switch (selectedList_) {
    case ShapeList::XCursors:
        return &xCursors_[selectedIndex_];
    case ShapeList::ZCursors:
        return &zCursors_[selectedIndex_];
    case ShapeList::Areas:
        return &areas_[selectedIndex_];
    case ShapeList::None:
        break;
    }
    return nullptr;
}

const tevu::Geometry* OutlineCanvas::selectedShape() const {
    switch (selectedList_) {
    case ShapeList::XCursors:
        return &xCursors_.at(selectedIndex_);
    case ShapeList::ZCursors:
        return &zCursors_.at(selectedIndex_);
    case ShapeList::Areas:
        return &areas_.at(selectedIndex_);
    case ShapeList::None:
        break;
    }
    return nullptr;
}

void OutlineCanvas::clearSelection() {
    selectedList_ = ShapeList::None;
    selectedIndex_ = -1;
    selectedHandle_.clear();
}

QString OutlineCanvas::pick(int px, int py) {
    for (tevu::Line& line : xCursors_) line.selected = false;
    for (tevu::Line& line : zCursors_) line.selected = false;
    for (tevu::Rectangle& rect : areas_) rect.selected = false;
    clearSelection();
    if (!canMap()) return QString();

    const float x = toDataX(static_cast<float>(px));
    const float y = toDataY(static_cast<float>(py));
    const float tx = (xmax_ - xmin_) * (3 / width_);
    const float ty = (ymax_ - ymin_) * (3 / height_);

    auto select = [&](ShapeList list, int index, tevu::Geometry& shape, const QString& handle) {
        shape.selected = true;
        selectedList_ = list;
        selectedIndex_ = index;
        selectedHandle_ = handle;
    };
    for (ShapeList list : {ShapeList::XCursors, ShapeList::ZCursors}) {
        QList<tevu::Line>& lines = list == ShapeList::XCursors ? xCursors_ : zCursors_;
        for (int i = 0; i < lines.size(); ++i) {
            const QString handle = lines[i].hitTest(x, y, tx, ty, tx, ty);
            if (handle.isEmpty()) continue;
            select(list, i, lines[i], handle);
            return QStringLiteral("Line.") + lines[i].orientation;
        }
    }
    for (int i = 0; i < areas_.size(); ++i) {
        const QString handle = areas_[i].hitTest(x, y, tx, ty, tx, ty);
        if (handle.isEmpty()) continue;
        select(ShapeList::Areas, i, areas_[i], handle);
        return QStringLiteral("Rect.") + handle;
    }
    return QString();
}

void OutlineCanvas::dragSelected(int dx, int dy) {
    tevu::Geometry* shape = selectedMutable();
    if (!shape || !canMap()) return;
    const float mx = dx / width_ * (xmax_ - xmin_);
    const float my = static_cast<float>(yFlip_ ? -dy : dy) / height_ * (ymax_ - ymin_);
    shape->moveBy(mx, my, selectedHandle_);
}

void OutlineCanvas::pan(int dx, int dyArg) {
    if (!canMap()) return;
    const float f = dx / width_ * (xmax_ - xmin_);
    xmin_ -= f;
    xmax_ -= f;
    const float g = static_cast<float>(yFlip_ ? -dyArg : dyArg) / height_ * (ymax_ - ymin_);
    ymin_ += g;
    ymax_ += g;
}

void OutlineCanvas::zoom(float factor) {
    if (!canMap()) return;
    const float cx = (xmin_ + xmax_) * 0.5f;
    const float nxmax = (xmax_ - cx) * factor + cx;
    const float nxmin = (xmin_ - cx) * factor + cx;
    if (nxmax - nxmin > limitXmax_ - limitXmin_) {
        // Zooming out past the limits resets the view.
        xmin_ = limitXmin_;
        xmax_ = limitXmax_;
        ymin_ = limitYmin_;
        ymax_ = limitYmax_;
        return;
    }
    const float cy = (ymin_ + ymax_) * 0.5f;
    ymax_ = (ymax_ - cy) * factor + cy;
    ymin_ = (ymin_ - cy) * factor + cy;
    xmin_ = nxmin;
    xmax_ = nxmax;
}

std::pair<int, float> OutlineCanvas::nearestPoint(float v) const {
    if (points_.isEmpty()) return {0, v};
    int best = 0;
    float bestDistance = std::fabs(points_[0].x - v);
    for (int i = 1; i < points_.size(); ++i) {
        const float distance = std::fabs(points_[i].x - v);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return {best, points_[best].x};
}

bool OutlineCanvas::areaLimits(AreaLimits* out) const {
    if (areas_.size() < 2) return false;
    const tevu::Rectangle& a = areas_[0];
    const tevu::Rectangle& b = areas_[1];
    std::tie(out->beginLeftIndex, out->beginLeftX) = nearestPoint(a.left);
    std::tie(out->beginRightIndex, out->beginRightX) = nearestPoint(a.right);
    std::tie(out->endLeftIndex, out->endLeftX) = nearestPoint(b.left);
    std::tie(out->endRightIndex, out->endRightX) = nearestPoint(b.right);
    return true;
}

bool OutlineCanvas::xCursorLimits(XCursorLimits* out) const {
    if (xCursors_.size() < 2) return false;
    out->beginX = xCursors_[0].x1;
    out->endX = xCursors_[1].x2;
    out->beginIndex = nearestPoint(out->beginX).first;
    out->endIndex = nearestPoint(out->endX).first;
    return true;
}

bool OutlineCanvas::zCursorLimits(ZCursorLimits* out) const {
    if (zCursors_.size() < 2) return false;
    out->beginY = zCursors_[0].y1;
    out->endY = zCursors_[1].y2;
    return true;
}

bool OutlineCanvas::UnderLayerKey::operator==(const UnderLayerKey& other) const {
    return size == other.size && std::equal(std::begin(margins), std::end(margins), std::begin(other.margins)) &&
           std::equal(std::begin(ranges), std::end(ranges), std::begin(other.ranges)) && yFlip == other.yFlip &&
           background == other.background;
}

OutlineCanvas::UnderLayerKey OutlineCanvas::underLayerKey() const {
    return UnderLayerKey{image_.size(),
                         {marginLeft_, marginTop_, marginRight_, marginBottom_},
                         {xmin_, xmax_, ymin_, ymax_},
                         yFlip_,
                         background_.rgba()};
}

void OutlineCanvas::paintUnderLayer() {
    const UnderLayerKey key = underLayerKey();
    if (!underLayer_.isNull() && key == underLayerKey_) return;
    underLayerKey_ = key;
    imageOverUnderLayer_ = false;
    if (underLayer_.size() != image_.size()) underLayer_ = QImage(image_.size(), kImageFormat);
    painter_.begin(&underLayer_);
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(QBrush(background_, Qt::SolidPattern));
    painter_.fillRect(underLayer_.rect(), background_);
    if (canMap() && marginSum() > 1) paintGrid();
    painter_.end();
}

void OutlineCanvas::render() {
    if (image_.isNull()) return;
    // Background, frame, grid and tick labels change only with the size,
    // the margins or the ranges: drawn once, then copied under every frame.
    // Where the last frame lay on the same layer, only what it drew over is
    // put back.
    paintUnderLayer();
    putBackUnderLayer();
    // A range or plot without extent cannot be mapped: the background only.
    if (!canMap()) return;
    const QVector<QPolygonF> runs = curveRuns();
    // The marks lie under the line, as if each were painted when kept.
    paintPointMarks(image_, plotClip(), runs, pointColor_);
    painter_.begin(&image_);
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(QBrush(background_, Qt::SolidPattern));
    paintCurve(runs);
    paintShapes();
    if (marginSum() > 1) paintScaleLabels();
    painter_.end();
}

void OutlineCanvas::putBackUnderLayer() {
    if (!imageOverUnderLayer_) {
        std::memcpy(image_.bits(), underLayer_.constBits(), static_cast<size_t>(image_.sizeInBytes()));
    } else {
        for (const QRect& rect : drawnOver_) {
            const size_t bytes = static_cast<size_t>(rect.width()) * sizeof(QRgb);
            for (int row = rect.top(); row <= rect.bottom(); ++row)
                std::memcpy(image_.scanLine(row) + rect.left() * sizeof(QRgb),
                            underLayer_.constScanLine(row) + rect.left() * sizeof(QRgb), bytes);
        }
    }
    drawnOver_.clear();
    imageOverUnderLayer_ = true;
}

void OutlineCanvas::markDrawnOver(const QRect& rect, const QRect& clip) {
    // A pixel or two around what is drawn: antialiased edges, square caps,
    // the point marks up and left of their points, italic overhangs.
    const QRect area = rect.adjusted(-4, -4, 4, 4).intersected(clip).intersected(image_.rect());
    if (!area.isEmpty()) drawnOver_.append(area);
}

void OutlineCanvas::paintGrid() {
    painter_.save();
    const QPen white = solidPen(Qt::white, 1);
    const QPen dashed(QBrush(QColor(50, 50, 50, 200)), 1, Qt::DashLine);
    // The frame's inside would be filled with the background brush, which at
    // this point lies on the same opaque background: only the outline shows.
    painter_.setBrush(Qt::NoBrush);
    painter_.setPen(solidPen(Qt::white, 1.5));
    painter_.drawRect(QRect(truncatePixel(left_), truncatePixel(top_), truncatePixel(width_), truncatePixel(height_)));

    const QFont font(kPlotFontFamily, 8, QFont::Normal, true);
    const QFontMetrics metrics(font);
    painter_.setFont(font);
    const int textHeight = metrics.height();
    const int ileft = truncatePixel(left_), iright = truncatePixel(right_);
    const int itop = truncatePixel(top_), ibottom = truncatePixel(bottom_);

    for (int i = 0; i < 8; ++i) {
        const float tick = i * (ymax_ - ymin_) / 7 + ymin_;
        // The grid measures up from the plot's bottom whatever the flip flag.
        const int py = truncatePixel(bottom_ - (tick - ymin_) / (ymax_ - ymin_) * height_);
        if (i > 0 && i < 7) {
            painter_.setPen(dashed);
            painter_.drawLine(ileft, py, iright, py);
        }
        painter_.setPen(white);
        painter_.drawLine(truncatePixel(left_ - 5), py, ileft, py);
        const QString label = QString::number(tick, 'f', 2);
        const int textWidth = metrics.horizontalAdvance(label);
        painter_.drawText(truncatePixel(left_ - 5 - (textWidth + 8)), py + textHeight / 4, label);
    }
    for (int i = 0; i < 8; ++i) {
        const float tick = i * (xmax_ - xmin_) / 7 + xmin_;
        const int ix = truncatePixel(toPixelX(tick));
        if (i > 0 && i < 7) {
            painter_.setPen(dashed);
            painter_.drawLine(ix, itop, ix, ibottom);
        }
        painter_.setPen(white);
        painter_.drawLine(ix, ibottom, ix, truncatePixel(bottom_ + 5));
        const QString label = QString::number(tick, 'f', 2);
        const int textWidth = metrics.horizontalAdvance(label);
        // Centred under its tick, but the last labels stay inside the image:
        // the right margin is narrower than half a label (and italics lean
        // out of their advance by a pixel or two).
        const int textX = std::min(ix - textWidth / 2, image_.width() - textWidth - 3);
        painter_.drawText(textX, truncatePixel(bottom_ + 5 + textHeight), label);
    }
    painter_.restore();
}

QVector<QPolygonF> OutlineCanvas::curveRuns() const {
    // Points closer than three pixels to the last drawn one in both
    // directions are skipped: dense stretches cost only a few vertices.
    const float sx = (xmax_ - xmin_) * (3 / width_);
    const float sy = (ymax_ - ymin_) * (3 / height_);
    float lastX = FLT_MAX, lastY = FLT_MAX;
    QVector<QPolygonF> runs;
    bool inRun = false;
    for (const PlotPoint& p : points_) {
        // A point without a measurement is a gap in the line, not a drop to
        // the bottom and back; the first point after it starts a new stretch.
        if (p.y == kInvalidHeight) {
            inRun = false;
            lastX = lastY = FLT_MAX;
            continue;
        }
        if (p.x < xmin_ || p.x > xmax_) continue;
        if (std::fabs(p.x - lastX) < sx && std::fabs(p.y - lastY) < sy) continue;
        lastX = p.x;
        lastY = p.y;
        if (!inRun) {
            runs.append(QPolygonF());
            inRun = true;
        }
        runs.last().append(QPointF(truncatePixel(toPixelX(p.x)), truncatePixel(toPixelY(p.y))));
    }
    return runs;
}

QRect OutlineCanvas::plotClip() const {
    return QRect(truncatePixel(left_), truncatePixel(top_), truncatePixel(width_), truncatePixel(height_));
}

void paintPointMarks(QImage& image, const QRect& clip, const QVector<QPolygonF>& runs, const QColor& color) {
    const bool direct = color.alpha() == 255 && (image.format() == QImage::Format_ARGB32_Premultiplied ||
                                                 image.format() == QImage::Format_ARGB32 ||
                                                 image.format() == QImage::Format_RGB32);
    if (!direct) {
        QPainter painter(&image);
        painter.setClipRect(clip);
        painter.setPen(solidPen(color, 2));
        for (const QPolygonF& run : runs) painter.drawPoints(run);
        return;
    }
    const QRect area = clip.intersected(image.rect());
    if (area.isEmpty()) return;
    // Opaque: the same 32-bit value in all three formats.
    const QRgb value = color.rgba();
    for (const QPolygonF& run : runs) {
        for (const QPointF& point : run) {
            const int x = static_cast<int>(point.x());
            const int y = static_cast<int>(point.y());
            const int x0 = std::max(x - 1, area.left()), x1 = std::min(x, area.right());
            const int y0 = std::max(y - 1, area.top()), y1 = std::min(y, area.bottom());
            for (int row = y0; row <= y1; ++row) {
                QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(row));
                for (int column = x0; column <= x1; ++column) line[column] = value;
            }
        }
    }
}

void OutlineCanvas::paintCurve(const QVector<QPolygonF>& runs) {
    for (const QPolygonF& run : runs) markDrawnOver(run.boundingRect().toAlignedRect(), plotClip());
    painter_.save();
    painter_.setClipRect(plotClip(), Qt::ReplaceClip);
    // Each stretch of valid heights is one polyline, stroked as a path of it
    // would be, without building the path.
    painter_.setPen(solidPen(lineColor_, 1));
    painter_.setBrush(Qt::NoBrush);
    for (const QPolygonF& run : runs) painter_.drawPolyline(run);
    painter_.restore();
}

void OutlineCanvas::paintShapes() {
    painter_.save();
    painter_.setClipRect(plotClip(), Qt::ReplaceClip);
    const int itop = truncatePixel(top_), iheight = truncatePixel(height_);
    for (const tevu::Rectangle& rect : areas_) {
        const int a = truncatePixel(toPixelX(rect.left));
        const int b = truncatePixel(toPixelX(rect.right));
        QRect drawn = QRect(QPoint(a, itop), QPoint(b, itop + iheight)).normalized();
        for (const auto& corner : rect.corners) {
            const int x = truncatePixel(toPixelX(corner.x1));
            drawn |= QRect(x, itop, 1, iheight);
        }
        markDrawnOver(drawn, plotClip());
        QColor fill = rect.color;
        fill.setAlpha(50);
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(QBrush(fill, Qt::SolidPattern));
        painter_.drawRect(QRect(a, itop, b - a, iheight));
        painter_.setBrush(Qt::NoBrush);
        painter_.setPen(solidPen(rect.color, 1));
        painter_.drawRect(QRect(a, itop, b - a, iheight));
        if (rect.selected) {
            painter_.setBrush(QBrush(rect.color, Qt::SolidPattern));
            for (int i = 0; i < 4; ++i) {
                const float y = i < 2 ? top_ : bottom_;
                painter_.drawRect(QRectF(truncatePixel(toPixelX(rect.corners[i].x1)) - 2, y - 2, 5, 5));
            }
        }
    }
    for (const QList<tevu::Line>* list : {&xCursors_, &zCursors_}) {
        for (const tevu::Line& line : *list) {
            painter_.setBrush(Qt::NoBrush);
            painter_.setPen(solidPen(line.color, 1));
            const bool vertical = line.orientation == QLatin1String("vertical");
            QPointF ends[2];
            if (vertical) {
                ends[0] = QPointF(truncatePixel(toPixelX(line.x1)), top_);
                ends[1] = QPointF(truncatePixel(toPixelX(line.x2)), bottom_);
            } else {
                ends[0] = QPointF(left_, truncatePixel(toPixelY(line.y1)));
                ends[1] = QPointF(right_, truncatePixel(toPixelY(line.y2)));
            }
            markDrawnOver(QRectF(ends[0], ends[1]).normalized().toAlignedRect(), plotClip());
            painter_.drawLine(ends[0], ends[1]);
            if (line.selected) {
                painter_.setPen(Qt::NoPen);
                painter_.setBrush(QBrush(line.color, Qt::SolidPattern));
                for (const QPointF& end : ends) painter_.drawRect(QRectF(end.x() - 2, end.y() - 2, 5, 5));
            }
        }
    }
    painter_.restore();
}

void OutlineCanvas::paintScaleLabels() {
    painter_.save();
    painter_.setPen(solidPen(Qt::white, 1));
    const QFont font(kPlotFontFamily, 16, QFont::Light, true);
    painter_.setFont(font);
    const QFontMetrics metrics(font);
    const QString xText =
        QStringLiteral("X:%1 mm/div").arg(QString::number(std::fabs(xmin_ - xmax_) / 7, 'f', 2));
    const QString yText =
        QStringLiteral("Y:%1 mm/div").arg(QString::number(std::fabs(ymin_ - ymax_) / 7, 'f', 2));
    const int w = metrics.horizontalAdvance(xText);
    const int h = metrics.height();
    const int x = truncatePixel(right_ - (w + 20));
    const QPoint at[2] = {QPoint(x, truncatePixel(h + top_)), QPoint(x, truncatePixel(2 * h + top_))};
    const QString* texts[2] = {&xText, &yText};
    for (int i = 0; i < 2; ++i) {
        const QRect advance(at[i].x(), at[i].y() - metrics.ascent(), metrics.horizontalAdvance(*texts[i]),
                            metrics.height());
        markDrawnOver(advance | metrics.boundingRect(*texts[i]).translated(at[i]), image_.rect());
        painter_.drawText(at[i], *texts[i]);
    }
    painter_.restore();
}
