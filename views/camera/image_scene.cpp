#include "views/camera/image_scene.h"

#include <QGraphicsLineItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPainter>
#include <QPainterPathStroker>
#include <QScrollBar>
#include <QStyleOptionGraphicsItem>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <type_traits>

PenSetting::PenSetting(const QColor& color, uint16_t initialWidth)
    : pen(color), baseWidth(initialWidth), width(initialWidth), appliedWidth(initialWidth) {
    pen.setWidth(initialWidth);
}

bool PenSetting::applyPendingWidth() {
    changed = false;
    if (width != appliedWidth) {
        changed = true;
        appliedWidth = width;
        pen.setWidth(appliedWidth);
    }
    return changed;
}

namespace camera_scene {

int zoomedPenWidth(PenKind kind, int baseWidth, int level, bool zoomingIn) {
    if (kind == PenKind::Peak && zoomingIn && level == kMaxZoomLevel) return baseWidth / (6 * level + 1);
    return baseWidth / (2 * level + 1);
}

QRectF rectangleGeometry(QPoint first, QPoint second) {
    const int x1 = kScale * first.x();
    const int y1 = kScale * first.y();
    const int x2 = kScale * second.x();
    const int y2 = kScale * second.y();
    return QRectF(x1, y1, std::abs(x1 - x2), std::abs(y2 - y1));
}

QPoint clampFirstCorner(QPointF pos, int imageWidth, int imageHeight) {
    const int x = std::clamp(static_cast<int>(pos.x()), 0, std::max(0, imageWidth - 1));
    const int y = std::clamp(static_cast<int>(pos.y()), 0, std::max(0, imageHeight - 1));
    return QPoint(x, y);
}

QPoint clampSecondCorner(QPoint first, QPointF pos, int imageWidth, int imageHeight) {
    int x = std::max(first.x(), std::max(1, static_cast<int>(pos.x())));
    if (x >= imageWidth) x = imageWidth - 1;
    int y = std::max(first.y(), std::max(1, static_cast<int>(pos.y())));
    if (y >= imageHeight) y = imageHeight - 1;
    return QPoint(x, y);
}

int readoutGray(QRgb rgb) { return (5 * qBlue(rgb) + 16 * qGreen(rgb) + 11 * qRed(rgb)) / 32; }

std::optional<QString> pixelReadout(const QImage& image, QPointF imagePos) {
    const int x = static_cast<int>(imagePos.x());
    const int y = static_cast<int>(imagePos.y());
    if (image.isNull() || !image.valid(x, y)) return std::nullopt;
    return showfullimg::tr("X:%1 灰度:%2").arg(x + kHiddenColumns).arg(readoutGray(image.pixel(x, y)));
}

}  // namespace camera_scene

using namespace camera_scene;

namespace {

// A peak line whose bounding rectangle costs no stroking: the plain line item
// strokes its whole shape for every bounding-rectangle query, and the view
// asks for each of the two thousand lines on every paint.
class PeakLineItem : public QGraphicsLineItem {
public:
    QRectF boundingRect() const override {
        // Half the pen width to each side, times sqrt(2) for square caps at
        // any angle, stays within one pen width.
        const qreal margin = pen().widthF();
        const QLineF l = line();
        return QRectF(l.p1(), l.p2()).normalized().adjusted(-margin, -margin, margin, margin);
    }
};

// A peak square painted as the plain rectangle item paints it (brush, then
// the pen's outline), with the outline stroked once per pen and reused: all
// squares have the same size, so their outlines differ only in place.
class PeakSquareItem : public QGraphicsRectItem {
public:
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override {
        const qreal deviceWidth = pen().widthF() * std::sqrt(std::abs(painter->transform().determinant()));
        // Thin pens take the engine's fast line path: nothing to stroke.
        if (deviceWidth <= 1.0 || pen().style() != Qt::SolidLine) {
            QGraphicsRectItem::paint(painter, option, widget);
            return;
        }
        const QRectF r = rect();
        // A pen at least as wide as the square covers its inside.
        if (pen().widthF() < std::min(r.width(), r.height())) painter->fillRect(r, brush());
        // Back to the very transform it came with, not one moved there and back.
        const QTransform before = painter->transform();
        painter->translate(r.topLeft());
        painter->fillPath(outline(r.size()), pen().brush());
        painter->setTransform(before);
    }

    // The pen's outline of a square of this size at the origin.
    const QPainterPath& outline(QSizeF size) {
        if (outline_.isEmpty() || outlinePen_ != pen() || outlineSize_ != size) {
            QPainterPathStroker stroker(pen());
            QPainterPath path;
            path.addRect(QRectF(QPointF(0, 0), size));
            outline_ = stroker.createStroke(path);
            outlinePen_ = pen();
            outlineSize_ = size;
        }
        return outline_;
    }

private:
    QPainterPath outline_;
    QPen outlinePen_;
    QSizeF outlineSize_;
};

}  // namespace

// The peak items carry no contents of their own: the view would otherwise
// prepare, clip and paint each of some four thousand items every frame. This
// item paints them all for it, each with its own paint and in their order
// (lines, then squares), skipping those outside the exposed area as the view
// does: the same calls, so the same pixels.
class PeakPainterItem : public QGraphicsItem {
public:
    PeakPainterItem() { setFlag(ItemUsesExtendedStyleOption); }

    void setPeakItems(const QVector<QGraphicsLineItem*>& lines, const QVector<QGraphicsRectItem*>& squares) {
        lines_ = lines;
        squares_ = squares;
    }
    void setBounds(const QRectF& bounds) {
        if (bounds == bounds_) return;
        prepareGeometryChange();
        bounds_ = bounds;
    }

    QRectF boundingRect() const override { return bounds_; }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override {
        if (!drawLinesAtOnce(painter, option)) paintEach(lines_, painter, option, widget);
        if (!fillSquaresAtOnce(painter, option)) paintEach(squares_, painter, option, widget);
    }

private:
    // Lines of one pen drawn in one call: each is drawn as on its own.
    bool drawLinesAtOnce(QPainter* painter, const QStyleOptionGraphicsItem* option) {
        if (lines_.isEmpty()) return true;
        const QPen pen = lines_.first()->pen();
        exposedLines_.clear();
        for (QGraphicsLineItem* line : lines_) {
            if (line->pen() != pen) return false;
            if (line->boundingRect().intersects(option->exposedRect)) exposedLines_.append(line->line());
        }
        painter->setPen(pen);
        painter->drawLines(exposedLines_);
        return true;
    }

    // Squares whose one pen is wider than a device pixel and than the square
    // are each filled with that pen's outline, opaque and aliased: filled
    // together as one path they cover the same pixels (each pixel whose
    // centre one of them covers) for one rasterisation instead of thousands.
    bool fillSquaresAtOnce(QPainter* painter, const QStyleOptionGraphicsItem* option) const {
        if (squares_.isEmpty() || painter->testRenderHint(QPainter::Antialiasing)) return false;
        const QPen pen = squares_.first()->pen();
        const QSizeF size = squares_.first()->rect().size();
        const qreal deviceWidth = pen.widthF() * std::sqrt(std::abs(painter->transform().determinant()));
        if (deviceWidth <= 1.0 || pen.style() != Qt::SolidLine || pen.color().alpha() != 255 ||
            pen.widthF() < std::min(size.width(), size.height()))
            return false;
        const QPainterPath& outline = static_cast<PeakSquareItem*>(squares_.first())->outline(size);
        QPainterPath all;
        all.setFillRule(outline.fillRule());
        for (QGraphicsRectItem* square : squares_) {
            if (square->pen() != pen || square->rect().size() != size) return false;
            if (square->boundingRect().intersects(option->exposedRect))
                all.addPath(outline.translated(square->rect().topLeft()));
        }
        painter->fillPath(all, pen.brush());
        return true;
    }

    template <typename Item>
    static void paintEach(const QVector<Item*>& items, QPainter* painter, const QStyleOptionGraphicsItem* option,
                          QWidget* widget) {
        for (Item* item : items)
            if (item->boundingRect().intersects(option->exposedRect)) item->paint(painter, option, widget);
    }

    QVector<QGraphicsLineItem*> lines_;
    QVector<QGraphicsRectItem*> squares_;
    QVector<QLineF> exposedLines_;
    QRectF bounds_;
};

showfullimg::showfullimg(QGraphicsView* view, QObject* parent)
    : QObject(parent),
      view_(view),
      scene_(new QGraphicsScene(view)),
      peakPen_(QColor(255, 0, 0, 255), kPeakPenBase),
      linePen_(QColor(0, 255, 0, 255), kLinePenBase),
      rectPen_(QColor(255, 165, 0, 255), kRectPenBase),
      peakBrush_(QColor(255, 0, 255), Qt::SolidPattern) {
    scene_->setBackgroundBrush(QBrush(Qt::gray));
    // Every item moves with every frame: an index would be rebuilt each time.
    scene_->setItemIndexMethod(QGraphicsScene::NoIndex);
    view_->setScene(scene_);
    const QColor cursorColors[2] = {QColor(255, 0, 255, 255), QColor(0, 255, 255, 255)};
    for (int c = 0; c < 2; ++c) {
        cursorPens_[c] = QPen(cursorColors[c]);
        cursorPens_[c].setWidth(kScale);
        QColor fill = cursorColors[c];
        fill.setAlpha(50);
        cursorBrushes_[c] = QBrush(fill, Qt::SolidPattern);
    }
    boundaryPen_ = QPen(QColor(255, 255, 255));
    boundaryPen_.setWidth(kScale);
}

showfullimg::~showfullimg() {
    // Items taken out of the scene are ours; the scene deletes the others.
    for (QGraphicsItem* item : {static_cast<QGraphicsItem*>(cursorItems_[0]), static_cast<QGraphicsItem*>(cursorItems_[1]),
                                static_cast<QGraphicsItem*>(boundaryItem_)}) {
        if (item && !item->scene()) delete item;
    }
}

void showfullimg::setImage(const QPixmap& pixmap, std::vector<float> peakRows) {
    if (pixmap.width() != static_cast<int>(peakRows.size())) return;
    pixmap_ = pixmap;
    image_ = pixmap.toImage();
    {
        std::lock_guard<std::mutex> lock(peakLock_);
        peakRows_ = std::move(peakRows);
    }
    redraw();
}

QGraphicsItem* showfullimg::peakPainter() const { return peakPainter_; }

std::vector<float> showfullimg::peakRows() const {
    std::lock_guard<std::mutex> lock(peakLock_);
    return peakRows_;
}

void showfullimg::fitToScene() {
    if (!pixmapItem_) return;
    view_->fitInView(scene_->sceneRect(), Qt::KeepAspectRatio);
}

template <typename Item, typename Place>
void showfullimg::placeItems(QVector<Item*>& items, int count, PenSetting& pen, Place place, const QBrush* brush) {
    if (items.size() == count) {
        const bool repen = pen.applyPendingWidth();
        for (int i = 0; i < count; ++i) {
            if (repen) items[i]->setPen(pen.pen);
            place(i, items[i]);
        }
        return;
    }
    for (Item* item : items) {
        scene_->removeItem(item);
        delete item;
    }
    items.clear();
    items.reserve(count);
    // New items take the pen as last applied; a newer width follows next frame.
    for (int i = 0; i < count; ++i) {
        Item* item = nullptr;
        if constexpr (std::is_same_v<Item, QGraphicsRectItem>)
            item = new PeakSquareItem();
        else
            item = new PeakLineItem();
        item->setFlag(QGraphicsItem::ItemHasNoContents);  // the peak painter paints it
        item->setPen(pen.pen);
        if constexpr (std::is_same_v<Item, QGraphicsRectItem>) {
            if (brush) item->setBrush(*brush);
        }
        place(i, item);
        scene_->addItem(item);
        items.append(item);
    }
}

void showfullimg::redraw() {
    const QRectF imageRect(0, 0, pixmap_.width() * kScale, pixmap_.height() * kScale);
    if (!pixmapItem_) {
        pixmapItem_ = new QGraphicsPixmapItem(pixmap_);
        pixmapItem_->setPos(0, 0);
        pixmapItem_->setScale(kScale);
        scene_->addItem(pixmapItem_);
        scene_->setSceneRect(imageRect);
        fitToScene();
    } else {
        pixmapItem_->setPixmap(pixmap_);
        if (scene_->sceneRect() != imageRect) scene_->setSceneRect(imageRect);
    }

    const int lastRow = pixmap_.height() - 1;
    {
        std::lock_guard<std::mutex> lock(peakLock_);
        peakPoints_.resize(static_cast<int>(peakRows_.size()));
        for (size_t i = 0; i < peakRows_.size(); ++i) {
            float& r = peakRows_[i];
            if (r > lastRow || r < 0) r = static_cast<float>(lastRow);
            peakPoints_[static_cast<int>(i)] = QPointF(kScale * static_cast<double>(i) + 25, kScale * r + 25);
        }
    }
    const int n = peakPoints_.size();
    const QPointF half(2.5, 2.5);
    const bool rebuilt = peakSquares_.size() != n;
    placeItems(
        peakLines_, std::max(0, n - 1), linePen_,
        [&](int k, QGraphicsLineItem* item) { item->setLine(QLineF(peakPoints_[k] + half, peakPoints_[k + 1] + half)); },
        nullptr);
    placeItems(
        peakSquares_, n, peakPen_,
        [&](int i, QGraphicsRectItem* item) { item->setRect(QRectF(peakPoints_[i], QSizeF(5, 5))); }, &peakBrush_);
    if (!peakPainter_) peakPainter_ = new PeakPainterItem();
    if (rebuilt || !peakPainter_->scene()) {
        // Painted where the items stand in the scene's order: after the new ones.
        if (peakPainter_->scene()) scene_->removeItem(peakPainter_);
        peakPainter_->setPeakItems(peakLines_, peakSquares_);
        scene_->addItem(peakPainter_);
    }
    // Every pen reaches at most its base width beyond a peak.
    const qreal reach = std::max({kPeakPenBase, kLinePenBase, kRectPenBase});
    peakPainter_->setBounds(imageRect.adjusted(-reach, -reach, reach, reach));
    peakPainter_->update();

    const QRectF rect = rectangleGeometry(rectStart_, rectEnd_);
    if (!rectItem_) {
        rectItem_ = new QGraphicsRectItem(rect);
        rectItem_->setPen(rectPen_.pen);
        scene_->addItem(rectItem_);
    } else {
        if (rectPen_.applyPendingWidth()) rectItem_->setPen(rectPen_.pen);
        rectItem_->setRect(rect);
    }

    shown_ = true;
    updateCursors();
    view_->show();
}

void showfullimg::showItem(QGraphicsScene* scene, QGraphicsItem* item, bool visible) {
    if (visible && item->scene() != scene) scene->addItem(item);
    if (!visible && item->scene() == scene) scene->removeItem(item);
}

void showfullimg::setCursors(int start1, int end1, int start2, int end2, int boundary) {
    cursorStart_[0] = start1;
    cursorEnd_[0] = end1;
    cursorStart_[1] = start2;
    cursorEnd_[1] = end2;
    boundary_ = boundary;
}

void showfullimg::updateCursors() {
    if (!shown_) return;
    const double height = kScale * static_cast<double>(pixmap_.height() - 2);
    for (int c = 0; c < 2; ++c) {
        if (!cursorItems_[c]) {
            cursorItems_[c] = new QGraphicsRectItem();
            cursorItems_[c]->setPen(cursorPens_[c]);
            cursorItems_[c]->setBrush(cursorBrushes_[c]);
        }
        if (cursorEnd_[c] >= 0) {
            cursorItems_[c]->setRect(QRectF(kScale * static_cast<double>(cursorStart_[c]), 0,
                                            kScale * static_cast<double>(std::abs(cursorEnd_[c] - cursorStart_[c])),
                                            height));
        }
        showItem(scene_, cursorItems_[c], cursorEnd_[c] >= 0);
    }
    if (!boundaryItem_) {
        boundaryItem_ = new QGraphicsLineItem();
        boundaryItem_->setPen(boundaryPen_);
    }
    const bool boundaryShown = static_cast<unsigned>(boundary_) <= 2047u;
    if (boundaryShown) {
        const double x = kScale * static_cast<double>(boundary_);
        boundaryItem_->setLine(x, 0, x, height);
    }
    showItem(scene_, boundaryItem_, boundaryShown);
}

void showfullimg::setPenWidths(bool zoomingIn) {
    peakPen_.width = static_cast<uint16_t>(zoomedPenWidth(PenKind::Peak, peakPen_.baseWidth, zoomLevel_, zoomingIn));
    linePen_.width = static_cast<uint16_t>(zoomedPenWidth(PenKind::Line, linePen_.baseWidth, zoomLevel_, zoomingIn));
    rectPen_.width = static_cast<uint16_t>(zoomedPenWidth(PenKind::Rectangle, rectPen_.baseWidth, zoomLevel_, zoomingIn));
}

void showfullimg::zoomIn() {
    if (zoomLevel_ >= kMaxZoomLevel) return;
    ++zoomLevel_;
    view_->scale(2, 2);
    setPenWidths(true);
}

void showfullimg::zoomOut() {
    if (zoomLevel_ <= 0) return;
    --zoomLevel_;
    view_->scale(0.5, 0.5);
    setPenWidths(false);
}

void showfullimg::fitView() {
    if (!pixmapItem_) return;
    zoomLevel_ = 0;
    fitToScene();
    // The view may not have its final size yet (first show, page switch).
    QTimer::singleShot(50, this, [this] { fitToScene(); });
    setPenWidths(false);
    redraw();
}

void showfullimg::scrollHorizontal(int delta) {
    QScrollBar* bar = view_->horizontalScrollBar();
    bar->setValue(bar->value() + delta);
}

void showfullimg::scrollVertical(int delta) {
    QScrollBar* bar = view_->verticalScrollBar();
    bar->setValue(bar->value() + delta);
}

void showfullimg::showPixelInfo(QPoint globalPos, QPointF imagePos) {
    const std::optional<QString> text = pixelReadout(image_, imagePos);
    if (!text) return;
    lastReadout_ = *text;
    QToolTip::showText(globalPos - QPoint(0, 40), *text);
}
