// The camera image scene and its view, shown offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGraphicsLineItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <vector>

#include "tests/support/qt/qt_test_env.h"
#include "views/camera/img_graphics_view.h"

namespace {

using namespace camera_scene;

// A grey ramp: pixel (x, y) has grey 5 x + y.
QPixmap rampPixmap(int width, int height) {
    QImage image(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.scanLine(y)[x] = static_cast<uchar>(5 * x + y);
    return QPixmap::fromImage(image);
}

std::vector<float> flatPeaks(int width, float row) { return std::vector<float>(width, row); }

struct PenWidths {
    int peak, line, rect;
};

PenWidths widths(const showfullimg& s) {
    return {s.peakPen().width, s.linePen().width, s.rectanglePen().width};
}
PenWidths appliedWidths(const showfullimg& s) {
    return {s.peakPen().appliedWidth, s.linePen().appliedWidth, s.rectanglePen().appliedWidth};
}
bool operator==(const PenWidths& a, const PenWidths& b) {
    return a.peak == b.peak && a.line == b.line && a.rect == b.rect;
}
std::ostream& operator<<(std::ostream& os, const PenWidths& w) {
    return os << "{" << w.peak << ", " << w.line << ", " << w.rect << "}";
}

class ImageSceneTest : public testing::Test {
protected:
    void SetUp() override {
        view.resize(640, 400);
        view.setMouseTracking(true);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    showfullimg& scene() { return *view.scene; }
    void showFrame(int width, int height, float peakRow) {
        scene().setImage(rampPixmap(width, height), flatPeaks(width, peakRow));
    }
    // Viewport position of the centre of image pixel (x, y).
    QPoint at(double x, double y) const { return view.mapFromScene(QPointF(x * kScale + 25, y * kScale + 25)); }
    void send(QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, pos, view.viewport()->mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &event);
    }
    void drag(QPoint from, QPoint to) {
        send(QEvent::MouseMove, from, Qt::NoButton);
        send(QEvent::MouseButtonPress, from, Qt::LeftButton);
        send(QEvent::MouseMove, to, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::NoButton);
    }

    ImgGraphicsView view;
};

TEST_F(ImageSceneTest, PenWidthsFollowTheZoomLevel) {
    showFrame(64, 32, 10.0f);
    const PenWidths table[] = {{200, 50, 100}, {66, 16, 33}, {40, 10, 20}, {28, 7, 14}, {22, 5, 11}, {6, 4, 9}};
    EXPECT_EQ(widths(scene()), table[0]);
    for (int level = 1; level <= 5; ++level) {
        scene().zoomIn();
        EXPECT_EQ(scene().zoomLevel(), level);
        EXPECT_EQ(widths(scene()), table[level]) << "level " << level;
    }
    const QTransform atTop = view.transform();
    scene().zoomIn();
    EXPECT_EQ(scene().zoomLevel(), 5);
    EXPECT_EQ(widths(scene()), table[5]);
    EXPECT_EQ(view.transform(), atTop) << "a sixth zoom-in changes nothing";

    scene().zoomOut();
    EXPECT_EQ(widths(scene()), (PenWidths{22, 5, 11}));
    EXPECT_EQ(appliedWidths(scene()), table[0]) << "widths reach the items at the next redraw";
    scene().redraw();
    EXPECT_EQ(appliedWidths(scene()), (PenWidths{22, 5, 11}));
    EXPECT_EQ(scene().peakSquares()[0]->pen().width(), 22);
    EXPECT_EQ(scene().peakLines()[0]->pen().width(), 5);
    EXPECT_EQ(scene().rectangleItem()->pen().width(), 11);

    scene().fitView();
    EXPECT_EQ(scene().zoomLevel(), 0);
    EXPECT_EQ(widths(scene()), table[0]);
    EXPECT_EQ(appliedWidths(scene()), table[0]) << "fitView redraws";
    for (int i = 0; i < 5; ++i) scene().zoomOut();
    EXPECT_EQ(scene().zoomLevel(), 0);
}

TEST_F(ImageSceneTest, FitViewBeforeAnyImageDoesNothing) {
    scene().fitView();
    scene().updateCursors();
    EXPECT_EQ(scene().pixmapItem(), nullptr);
    EXPECT_FALSE(scene().shown());
    EXPECT_TRUE(scene().graphicsScene()->items().isEmpty());
}

TEST_F(ImageSceneTest, SameWidthMovesTheItemsAnotherWidthRebuildsThem) {
    showFrame(2032, 20, 5.0f);
    ASSERT_EQ(scene().peakSquares().size(), 2032);
    ASSERT_EQ(scene().peakLines().size(), 2031);
    const QGraphicsRectItem* firstSquare = scene().peakSquares()[0];
    const QGraphicsLineItem* lastLine = scene().peakLines()[2030];
    const int itemsBefore = scene().graphicsScene()->items().size();

    std::vector<float> peaks = flatPeaks(2032, 7.0f);
    peaks[3] = 12.5f;
    scene().setImage(rampPixmap(2032, 20), peaks);
    EXPECT_EQ(scene().peakSquares()[0], firstSquare);
    EXPECT_EQ(scene().peakLines()[2030], lastLine);
    EXPECT_EQ(scene().graphicsScene()->items().size(), itemsBefore);
    EXPECT_EQ(scene().peakSquares()[3]->rect(), QRectF(3 * 50 + 25, 12.5 * 50 + 25, 5, 5));
    EXPECT_EQ(scene().peakLines()[2]->line(),
              QLineF(2 * 50 + 27.5, 7 * 50 + 27.5, 3 * 50 + 27.5, 12.5 * 50 + 27.5));

    // Zoomed in between frames of another width: the rebuilt items carry the
    // widths last applied, the new ones arrive with the next frame.
    scene().zoomIn();
    showFrame(832, 20, 5.0f);
    ASSERT_EQ(scene().peakSquares().size(), 832);
    ASSERT_EQ(scene().peakLines().size(), 831);
    EXPECT_EQ(scene().peakSquares()[0]->pen().width(), 200);
    EXPECT_EQ(scene().peakLines()[0]->pen().width(), 50);
    EXPECT_EQ(scene().rectangleItem()->pen().width(), 33) << "the one rectangle item takes the change at once";
    showFrame(832, 20, 5.0f);
    EXPECT_EQ(scene().peakSquares()[831]->pen().width(), 66);
    EXPECT_EQ(scene().peakLines()[830]->pen().width(), 16);
    EXPECT_EQ(scene().peakSquares()[0]->brush().color(), QColor(255, 0, 255));
}

TEST_F(ImageSceneTest, FrameOfAnotherWidthThanItsPeaksIsDropped) {
    showFrame(100, 20, 5.0f);
    scene().setImage(rampPixmap(120, 20), flatPeaks(100, 9.0f));
    EXPECT_EQ(scene().imageWidth(), 100);
    EXPECT_EQ(scene().peakRows(), flatPeaks(100, 5.0f));
}

TEST_F(ImageSceneTest, PeaksOutsideTheImageLieOnTheLastRow) {
    std::vector<float> peaks{-9999.0f, 19.0f, 19.5f, -0.5f, 3.0f};
    scene().setImage(rampPixmap(5, 20), peaks);
    EXPECT_EQ(scene().peakRows(), (std::vector<float>{19.0f, 19.0f, 19.0f, 19.0f, 3.0f}));
    EXPECT_EQ(scene().peakSquares()[0]->rect().topLeft(), QPointF(25, 19 * 50 + 25));
}

TEST_F(ImageSceneTest, CursorsAndBoundaryGeometry) {
    showFrame(200, 20, 5.0f);
    // Before the page places them both cursors are [0, 0]: thin lines at the left edge.
    for (int c = 0; c < 2; ++c) {
        ASSERT_NE(scene().cursorItem(c), nullptr);
        EXPECT_EQ(scene().cursorItem(c)->scene(), scene().graphicsScene());
        EXPECT_EQ(scene().cursorItem(c)->rect(), QRectF(0, 0, 0, 50 * 18));
    }
    EXPECT_EQ(scene().cursorItem(0)->pen().color(), QColor(255, 0, 255));
    EXPECT_EQ(scene().cursorItem(1)->brush().color(), QColor(0, 255, 255, 50));
    EXPECT_EQ(scene().boundaryItem()->scene(), nullptr);

    struct Case {
        int s1, e1, s2, e2, boundary;
        bool cursor1, cursor2, boundaryShown;
        QRectF rect1;
    };
    const Case cases[] = {
        {100, 50, 10, 20, 30, true, true, true, QRectF(5000, 0, 2500, 900)},
        {10, -1, 10, 20, 2047, false, true, true, {}},
        {10, 20, 10, -1, 2048, true, false, false, QRectF(500, 0, 500, 900)},
        {10, 20, 10, 30, -1, true, true, false, QRectF(500, 0, 500, 900)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.s1 << " " << c.e1 << " " << c.boundary);
        scene().setCursors(c.s1, c.e1, c.s2, c.e2, c.boundary);
        scene().updateCursors();
        EXPECT_EQ(scene().cursorItem(0)->scene() != nullptr, c.cursor1);
        EXPECT_EQ(scene().cursorItem(1)->scene() != nullptr, c.cursor2);
        EXPECT_EQ(scene().boundaryItem()->scene() != nullptr, c.boundaryShown);
        if (c.cursor1) {
            EXPECT_EQ(scene().cursorItem(0)->rect(), c.rect1);
        }
        if (c.boundaryShown) {
            EXPECT_EQ(scene().boundaryItem()->line(), QLineF(50.0 * c.boundary, 0, 50.0 * c.boundary, 900));
        }
    }
}

TEST_F(ImageSceneTest, RectangleGeometryFromTheCorners) {
    EXPECT_EQ(rectangleGeometry(QPoint(0, 0), QPoint(0, 0)), QRectF(0, 0, 0, 0));
    EXPECT_EQ(rectangleGeometry(QPoint(2, 3), QPoint(10, 7)), QRectF(100, 150, 400, 200));
    showFrame(40, 20, 5.0f);
    ASSERT_NE(scene().rectangleItem(), nullptr);
    EXPECT_EQ(scene().rectangleItem()->rect(), QRectF(0, 0, 0, 0));
    scene().setRectStart(QPoint(2, 3));
    scene().setRectEnd(QPoint(10, 7));
    EXPECT_EQ(scene().rectangleItem()->rect(), QRectF(0, 0, 0, 0)) << "nothing is redrawn";
    scene().redraw();
    EXPECT_EQ(scene().rectangleItem()->rect(), QRectF(100, 150, 400, 200));
}

TEST_F(ImageSceneTest, DragDrawsOneClampedRectangleAndDisarms) {
    showFrame(40, 20, 5.0f);
    QSignalSpy rects(&view, &ImgGraphicsView::signal_add_rect_end);
    view.rectMode = 1;
    drag(at(3, 4), at(60, 50));
    ASSERT_EQ(rects.count(), 1);
    EXPECT_EQ(rects[0], (QVariantList{3, 4, 39, 19}));
    EXPECT_EQ(view.rectMode, 0);
    EXPECT_EQ(view.dragState, 0);

    drag(at(5, 5), at(10, 10));
    EXPECT_EQ(rects.count(), 1) << "released: no rectangle without arming";
}

TEST_F(ImageSceneTest, ClickUpLeftAndOutsidePresses) {
    showFrame(40, 20, 5.0f);
    QSignalSpy rects(&view, &ImgGraphicsView::signal_add_rect_end);

    view.rectMode = 1;
    send(QEvent::MouseButtonPress, at(7, 8), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, at(7, 8), Qt::NoButton);
    view.rectMode = 1;
    drag(at(20, 10), at(5, 2));
    view.rectMode = 1;
    // Left of and above the image: the first corner comes onto its edge.
    drag(view.mapFromScene(QPointF(-2000, -3000)), at(6, 4));

    ASSERT_EQ(rects.count(), 3);
    EXPECT_EQ(rects[0], (QVariantList{7, 8, 7, 8}));
    EXPECT_EQ(rects[1], (QVariantList{20, 10, 20, 10})) << "up and left keeps the first corner";
    EXPECT_EQ(rects[2], (QVariantList{0, 0, 6, 4}));
}

TEST_F(ImageSceneTest, PressWithoutRectangleModePans) {
    showFrame(400, 200, 5.0f);
    for (int i = 0; i < 3; ++i) scene().zoomIn();
    const QPoint start(300, 200);
    send(QEvent::MouseMove, start, Qt::NoButton);
    send(QEvent::MouseButtonPress, start, Qt::LeftButton);
    EXPECT_EQ(view.dragState, 1);
    const int h = view.horizontalScrollBar()->value();
    const int v = view.verticalScrollBar()->value();
    ASSERT_GT(v, 20);
    ASSERT_GT(h, 30);
    send(QEvent::MouseMove, start + QPoint(30, 20), Qt::LeftButton);
    EXPECT_EQ(view.horizontalScrollBar()->value(), h - 30);
    EXPECT_EQ(view.verticalScrollBar()->value(), v - 20);
    send(QEvent::MouseButtonRelease, start, Qt::NoButton);
    EXPECT_EQ(view.dragState, 0);
}

TEST_F(ImageSceneTest, ReadoutShowsImageColumnAndGrey) {
    showFrame(40, 20, 5.0f);
    QSignalSpy moves(&view, &ImgGraphicsView::signal_realxy);
    send(QEvent::MouseMove, at(0, 3), Qt::NoButton);
    EXPECT_EQ(scene().lastReadout(), QStringLiteral("X:8 灰度:3"));
    send(QEvent::MouseMove, at(10, 2), Qt::NoButton);
    EXPECT_EQ(scene().lastReadout(), QStringLiteral("X:18 灰度:52"));
    EXPECT_EQ(moves.count(), 2);
    EXPECT_NEAR(view.scenePos.x(), 10.5, 0.1);

    EXPECT_FALSE(pixelReadout(QImage(), QPointF(0, 0)).has_value());
    EXPECT_FALSE(pixelReadout(rampPixmap(4, 4).toImage(), QPointF(4, 0)).has_value());
    EXPECT_EQ(readoutGray(qRgb(10, 20, 30)), (5 * 30 + 16 * 20 + 11 * 10) / 32);
}

TEST_F(ImageSceneTest, WheelZooms) {
    showFrame(40, 20, 5.0f);
    QWheelEvent up(QPointF(10, 10), view.viewport()->mapToGlobal(QPoint(10, 10)), QPoint(), QPoint(0, 120),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &up);
    QApplication::sendEvent(view.viewport(), &up);
    EXPECT_EQ(scene().zoomLevel(), 2);
    QWheelEvent down(QPointF(10, 10), view.viewport()->mapToGlobal(QPoint(10, 10)), QPoint(), QPoint(0, -120),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &down);
    EXPECT_EQ(scene().zoomLevel(), 1);
}

// The peak items paint nothing themselves; one item paints them all for the
// view. What the view shows is what it showed when each item painted itself:
// at every zoom level, with the rectangle and cursors, and after frames of
// another width rebuilt the items behind the rectangle and cursors.
TEST_F(ImageSceneTest, PeaksPaintedTogetherGiveThePixelsOfEachItemPaintingItself) {
    auto frame = [&](int width, int height, double phase) {
        std::vector<float> peaks(static_cast<size_t>(width));
        for (int c = 0; c < width; ++c)
            peaks[static_cast<size_t>(c)] = static_cast<float>(height / 2 + height / 3 * std::sin(c / 37.0 + phase));
        scene().setImage(rampPixmap(width, height), peaks);
    };
    auto render = [&](bool together) {
        for (QGraphicsItem* item : scene().peakSquares()) item->setFlag(QGraphicsItem::ItemHasNoContents, together);
        for (QGraphicsItem* item : scene().peakLines()) item->setFlag(QGraphicsItem::ItemHasNoContents, together);
        scene().peakPainter()->setVisible(together);
        QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        QPainter painter(&image);
        view.render(&painter, QRectF(), view.viewport()->rect());
        return image;
    };
    frame(2032, 400, 0.0);
    scene().fitView();
    scene().setRectStart(QPoint(100, 50));
    scene().setRectEnd(QPoint(900, 300));
    scene().setCursors(200, 300, 1200, 1250, 1000);
    for (int level = 0; level <= kMaxZoomLevel; ++level) {
        frame(2032, 400, level);  // the pens of the level reach the items
        view.centerOn(QPointF(1016 * kScale, 200 * kScale));
        EXPECT_TRUE(render(true) == render(false)) << "zoom level " << level;
        scene().zoomIn();
    }
    scene().fitView();
    frame(832, 300, 1.0);  // rebuilt: now after the rectangle and the cursors
    frame(832, 300, 2.0);
    const QImage together = render(true);
    EXPECT_TRUE(together == render(false)) << "after a rebuild";
    mirevo::test::saveImage(together, QStringLiteral("image_scene_peaks_together"));
}

TEST_F(ImageSceneTest, GrabShowsImagePeaksAndCursors) {
    showFrame(200, 60, 30.0f);
    scene().setCursors(20, 40, 120, 160, 100);
    scene().updateCursors();
    const QImage grab = mirevo::test::saveGrab(view, QStringLiteral("image_scene"));
    // The peak line runs across the middle in red/green; find red on row 30.
    const QPoint peak = view.mapFromScene(QPointF(50 * 50 + 25, 30 * 50 + 25));
    bool red = false;
    for (int dy = -2; dy <= 2 && !red; ++dy) {
        const QColor c = grab.pixelColor(peak + QPoint(0, dy));
        red = c.red() > 200 && c.green() < 80;
    }
    EXPECT_TRUE(red) << "peak squares are drawn";
}

}  // namespace
