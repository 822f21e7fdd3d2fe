#pragma once
// The scene behind the camera image: the image itself, the laser line's peak
// rows as squares joined by lines, one rectangle, two cursor ranges and a
// boundary line. Scene units are image pixels x 50; x values are display
// columns (image column - 8), y values rows of the Z-range window.
#include <QBrush>
#include <QImage>
#include <QObject>
#include <QPen>
#include <QPixmap>
#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

class QGraphicsView;
class QGraphicsScene;
class QGraphicsItem;
class QGraphicsPixmapItem;
class QGraphicsRectItem;
class QGraphicsLineItem;
class PeakPainterItem;

// A pen whose width follows the zoom level. A new width reaches the items
// only at the next redraw (appliedWidth is what they carry).
struct PenSetting {
    PenSetting(const QColor& color, uint16_t initialWidth);

    // Takes a pending width into the pen; true when the items need it.
    bool applyPendingWidth();

    QPen pen;
    bool changed = false;
    uint16_t baseWidth;
    uint16_t width;
    uint16_t appliedWidth;
};

namespace camera_scene {

constexpr int kScale = 50;         // scene units per image pixel
constexpr int kHiddenColumns = 8;  // image columns left out at each side
constexpr int kMaxZoomLevel = 5;
constexpr int kPeakPenBase = 200;
constexpr int kLinePenBase = 50;
constexpr int kRectPenBase = 100;

enum class PenKind { Peak, Line, Rectangle };

// Width of a pen at a zoom level; zoomingIn tells which way the level was
// reached (the peak pen is thinner at the top level reached by zooming in).
int zoomedPenWidth(PenKind kind, int baseWidth, int level, bool zoomingIn);

// The rectangle item's geometry for two corners in image pixels.
QRectF rectangleGeometry(QPoint first, QPoint second);

// First corner of a rectangle from a press at image position pos: inside the image.
QPoint clampFirstCorner(QPointF pos, int imageWidth, int imageHeight);
// Second corner while dragging: never left of or above the first corner,
// at least 1, below the image's width and height.
QPoint clampSecondCorner(QPoint first, QPointF pos, int imageWidth, int imageHeight);

// Grey value the read-out shows for a pixel colour.
int readoutGray(QRgb rgb);
// The read-out text for a pixel of the shown image at (x, y); empty when the
// position lies outside the image.
std::optional<QString> pixelReadout(const QImage& image, QPointF imagePos);

}  // namespace camera_scene

class showfullimg : public QObject {
    Q_OBJECT
public:
    showfullimg(QGraphicsView* view, QObject* parent = nullptr);
    ~showfullimg() override;

    // Takes a frame; dropped when the pixmap's width differs from the number
    // of peak rows.
    void setImage(const QPixmap& pixmap, std::vector<float> peakRows);
    void redraw();

    void zoomIn();
    void zoomOut();
    void fitView();

    void updateCursors();
    void setCursors(int start1, int end1, int start2, int end2, int boundary);

    void setRectStart(QPoint corner) { rectStart_ = corner; }
    void setRectEnd(QPoint corner) { rectEnd_ = corner; }
    QPoint rectStart() const { return rectStart_; }
    QPoint rectEnd() const { return rectEnd_; }

    int imageWidth() const { return pixmap_.width(); }
    int imageHeight() const { return pixmap_.height(); }

    void scrollHorizontal(int delta);
    void scrollVertical(int delta);

    // Shows the grey value under the mouse as a tool tip 40 pixels above it.
    void showPixelInfo(QPoint globalPos, QPointF imagePos);

    // --- read by tests and the benchmark ---
    QGraphicsScene* graphicsScene() const { return scene_; }
    QGraphicsPixmapItem* pixmapItem() const { return pixmapItem_; }
    const QVector<QGraphicsRectItem*>& peakSquares() const { return peakSquares_; }
    const QVector<QGraphicsLineItem*>& peakLines() const { return peakLines_; }
    // Paints the peak lines and squares, which paint nothing themselves.
    QGraphicsItem* peakPainter() const;
    QGraphicsRectItem* rectangleItem() const { return rectItem_; }
    QGraphicsRectItem* cursorItem(int index) const { return cursorItems_[index]; }
    QGraphicsLineItem* boundaryItem() const { return boundaryItem_; }
    const PenSetting& peakPen() const { return peakPen_; }
    const PenSetting& linePen() const { return linePen_; }
    const PenSetting& rectanglePen() const { return rectPen_; }
    int zoomLevel() const { return zoomLevel_; }
    bool shown() const { return shown_; }
    std::vector<float> peakRows() const;
    QString lastReadout() const { return lastReadout_; }

private:
    void setPenWidths(bool zoomingIn);
    void fitToScene();
    template <typename Item, typename Place>
    void placeItems(QVector<Item*>& items, int count, PenSetting& pen, Place place, const QBrush* brush);
    static void showItem(QGraphicsScene* scene, QGraphicsItem* item, bool visible);

    QGraphicsView* view_;
    QGraphicsScene* scene_;
    QGraphicsPixmapItem* pixmapItem_ = nullptr;
    QPixmap pixmap_;
    QImage image_;

    mutable std::mutex peakLock_;
    std::vector<float> peakRows_;
    QVector<QPointF> peakPoints_;  // built under the lock, used after it
    QVector<QGraphicsRectItem*> peakSquares_;
    QVector<QGraphicsLineItem*> peakLines_;
    PeakPainterItem* peakPainter_ = nullptr;

    PenSetting peakPen_;
    PenSetting linePen_;
    PenSetting rectPen_;
    QBrush peakBrush_;

    QGraphicsRectItem* rectItem_ = nullptr;
    QGraphicsRectItem* cursorItems_[2] = {nullptr, nullptr};
    QGraphicsLineItem* boundaryItem_ = nullptr;
    QPoint rectStart_{0, 0};
    QPoint rectEnd_{0, 0};
    int cursorStart_[2] = {0, 0};
    int cursorEnd_[2] = {0, 0};
    // Off the image until the page places it.
    int boundary_ = -1;
    QPen cursorPens_[2];
    QPen boundaryPen_;
    QBrush cursorBrushes_[2];

    int zoomLevel_ = 0;
    bool shown_ = false;
    QString lastReadout_;
};
