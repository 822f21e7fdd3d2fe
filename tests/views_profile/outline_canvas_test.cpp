#include <algorithm>
#include <cfloat>
#include <cmath>
#include <functional>
#include <vector>

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "views/profile/outline_canvas.h"

namespace {

// One data unit per pixel: a 100 x 100 image without margins, both ranges
// 0..100, y pointing up.
void setUnitCanvas(OutlineCanvas& canvas) {
    canvas.resize(QSize(100, 100));
    canvas.toggleYFlip();
    canvas.setXRange(0, 100);
    canvas.setYRange(0, 100);
}

// The live plot's geometry.
void setPlotCanvas(OutlineCanvas& canvas) {
    canvas.setMargins(60, 15, 15, 30);
    canvas.resize(QSize(667, 581));
    canvas.toggleYFlip();
    canvas.setXRange(-8, 8);
    canvas.setYRange(-6.6f, 6.6f);
    canvas.setXLimits(-8, 8);
    canvas.setYLimits(-6.6f, 6.6f);
}

void setPoints(OutlineCanvas& canvas, const QVector<float>& x, const QVector<float>& y) {
    canvas.setData(x, y, "yellow", "black");
}

}  // namespace

TEST(OutlineCanvas, StartsWithTheWholeImageAsPlotAndEmptyLimits) {
    OutlineCanvas canvas;
    EXPECT_EQ(canvas.image().size(), QSize(600, 400));
    EXPECT_EQ(canvas.image().format(), QImage::Format_ARGB32_Premultiplied);  // opaque: the same pixels as ARGB32
    EXPECT_FLOAT_EQ(canvas.plotWidth(), 600);
    EXPECT_FLOAT_EQ(canvas.plotHeight(), 400);
    EXPECT_FALSE(canvas.yFlipped());
    EXPECT_EQ(canvas.xRange(), qMakePair(0.0f, 1.0f));
    EXPECT_EQ(canvas.xLimits(), qMakePair(FLT_MAX, -FLT_MAX));
    EXPECT_EQ(canvas.yLimits(), qMakePair(FLT_MAX, -FLT_MAX));
}

TEST(OutlineCanvas, MarginsAndResizeGiveThePlotRectangle) {
    OutlineCanvas canvas;
    canvas.setMargins(60, 15, 15, 30);
    EXPECT_FLOAT_EQ(canvas.plotLeft(), 60);
    EXPECT_FLOAT_EQ(canvas.plotRight(), 585);
    EXPECT_FLOAT_EQ(canvas.plotBottom(), 370);
    canvas.resize(QSize(667, 581));
    EXPECT_EQ(canvas.image().size(), QSize(667, 581));
    EXPECT_FLOAT_EQ(canvas.plotLeft(), 60);
    EXPECT_FLOAT_EQ(canvas.plotTop(), 15);
    EXPECT_FLOAT_EQ(canvas.plotWidth(), 592);
    EXPECT_FLOAT_EQ(canvas.plotHeight(), 536);
}

TEST(OutlineCanvas, MappingRoundTripsAndPointsUpWithTheFlip) {
    OutlineCanvas canvas;
    setPlotCanvas(canvas);
    EXPECT_FLOAT_EQ(canvas.toPixelX(-8), 60);
    EXPECT_FLOAT_EQ(canvas.toPixelX(8), 652);
    EXPECT_FLOAT_EQ(canvas.toPixelY(-6.6f), 551);
    EXPECT_FLOAT_EQ(canvas.toPixelY(6.6f), 15);
    for (float v : {-7.5f, -1.0f, 0.0f, 3.25f, 7.9f}) {
        EXPECT_NEAR(canvas.toDataX(canvas.toPixelX(v)), v, 1e-4);
        EXPECT_NEAR(canvas.toDataY(canvas.toPixelY(v)), v, 1e-4);
    }
}

TEST(OutlineCanvas, LimitsPullTheVisibleRangeInside) {
    OutlineCanvas canvas;
    canvas.setXRange(-10, 10);
    canvas.setXLimits(-5, 20);
    EXPECT_EQ(canvas.xRange(), qMakePair(-5.0f, 10.0f));
    canvas.setYRange(0, 30);
    canvas.setYLimits(-1, 4);
    EXPECT_EQ(canvas.yRange(), qMakePair(0.0f, 4.0f));
}

TEST(OutlineCanvas, ThinningSkipsOnlyPointsCloserThanThreePixelsBothWays) {
    OutlineCanvas canvas;
    setUnitCanvas(canvas);
    setPoints(canvas, {10, 12, 13, 14, 14, 20, 120}, {10, 11, 10, 12, 15, 50, 50});
    // 12,11: 2 and 1 px from 10,10: skipped. 13,10: 3 px in x: drawn.
    // 14,12: 1 and 2 px: skipped. 14,15: 1 px in x but 5 in y: drawn.
    // 120: outside the visible x range.
    const QVector<QPolygonF> runs = canvas.curveRuns();
    ASSERT_EQ(runs.size(), 1);
    const QPolygonF& kept = runs[0];
    ASSERT_EQ(kept.size(), 4);
    EXPECT_EQ(kept[0], QPointF(10, 90));
    EXPECT_EQ(kept[1], QPointF(13, 90));
    EXPECT_EQ(kept[2], QPointF(14, 85));
    EXPECT_EQ(kept[3], QPointF(20, 50));
}

TEST(OutlineCanvas, AnInvalidHeightBreaksTheLineAndIsDrawnNowhere) {
    OutlineCanvas canvas;
    setUnitCanvas(canvas);
    // Invalid at both ends and twice in the middle; the point right after a
    // gap starts a stretch even within three pixels of the last drawn one.
    setPoints(canvas, {0, 10, 20, 21, 22, 23, 40, 50, 60, 70},
              {-9999, 10, 10, -9999, 11, -9999, -9999, 30, 30, -9999});
    const QVector<QPolygonF> runs = canvas.curveRuns();
    ASSERT_EQ(runs.size(), 3);
    EXPECT_EQ(runs[0], QPolygonF(QVector<QPointF>{QPointF(10, 90), QPointF(20, 90)}));
    EXPECT_EQ(runs[1], QPolygonF(QVector<QPointF>{QPointF(22, 89)}));
    EXPECT_EQ(runs[2], QPolygonF(QVector<QPointF>{QPointF(50, 70), QPointF(60, 70)}));
    // A profile of invalid heights only draws no curve at all.
    setPoints(canvas, {10, 20, 30}, {-9999, -9999, -9999});
    EXPECT_TRUE(canvas.curveRuns().isEmpty());
}

// The point marks written straight into the pixels are the pixels QPainter's
// aliased two-pixel points give, clipped alike, in the canvas's format and
// the other 32-bit ones, also for a colour that is not opaque.
TEST(PointMarks, PaintTheSamePixelsAsQPaintersTwoPixelPoints) {
    const QVector<QPolygonF> runs = {QPolygonF(QVector<QPointF>{QPointF(0, 0), QPointF(1, 1), QPointF(10, 10), QPointF(11, 10)}),
                                     QPolygonF(QVector<QPointF>{QPointF(20, 5), QPointF(39, 29), QPointF(40, 30), QPointF(25, 16)}),
                                     QPolygonF(QVector<QPointF>{QPointF(-3, 4), QPointF(5, 45), QPointF(30, 31)})};
    const QRect clips[] = {QRect(0, 0, 40, 30), QRect(5, 5, 20, 12), QRect(10, 10, 1, 1), QRect(50, 50, 5, 5)};
    const QColor colours[] = {QColor(0, 0, 0), QColor(255, 255, 0), QColor(0, 128, 255, 100)};
    for (QImage::Format format :
         {QImage::Format_ARGB32_Premultiplied, QImage::Format_ARGB32, QImage::Format_RGB32}) {
        for (const QRect& clip : clips) {
            for (const QColor& colour : colours) {
                QImage expected(40, 30, format);
                expected.fill(QColor(10, 60, 110));
                QImage marked = expected.copy();
                {
                    QPainter painter(&expected);
                    painter.setClipRect(clip);
                    painter.setPen(QPen(QBrush(colour), 2, Qt::SolidLine));
                    for (const QPolygonF& run : runs) painter.drawPoints(run);
                }
                paintPointMarks(marked, clip, runs, colour);
                EXPECT_TRUE(marked == expected) << "format " << format << ", clip " << clip.x() << "," << clip.y()
                                            << ", colour " << colour.name(QColor::HexArgb).toStdString();
            }
        }
    }
}

// The layer under the curve is drawn once and copied under later frames: a
// canvas that drew other data, ranges, margins, flips and sizes before gives
// the same pixels as a fresh one.
TEST(OutlineCanvas, ACanvasThatDrewBeforeGivesTheSamePixelsAsAFreshOne) {
    QVector<float> x, y;
    for (int i = 0; i <= 800; ++i) {
        x.append(-8 + i * 0.02f);
        y.append(i % 97 < 3 ? -9999.0f : std::sin(i * 0.05f) * 4);
    }
    auto freshRender = [&](const std::function<void(OutlineCanvas&)>& set) {
        OutlineCanvas fresh;
        setPlotCanvas(fresh);
        setPoints(fresh, x, y);
        fresh.addXCursorPair(-2, 3);
        set(fresh);
        fresh.render();
        return fresh.image().copy();
    };
    OutlineCanvas used;
    setPlotCanvas(used);
    setPoints(used, x, y);
    used.addXCursorPair(-2, 3);
    setPoints(used, y, x);  // other data first
    used.render();
    setPoints(used, x, y);
    used.render();
    EXPECT_TRUE(used.image() == freshRender([](OutlineCanvas&) {})) << "new data";

    struct Step {
        const char* name;
        std::function<void(OutlineCanvas&)> change;
    } steps[] = {
        {"areas", [](OutlineCanvas& c) { c.setAreaPair(-6, -5, 2, 4); }},
        {"a selected area", [](OutlineCanvas& c) { c.pick(static_cast<int>(c.toPixelX(-6)), 300); }},
        {"areas moved", [](OutlineCanvas& c) { c.setAreaPair(1, 3, 5, 7.5f); }},
        {"z cursors", [](OutlineCanvas& c) { c.addZCursorPair(-3, 5); }},
        {"a selected z cursor", [](OutlineCanvas& c) { c.pick(300, static_cast<int>(c.toPixelY(5))); }},
        {"fewer shapes", [](OutlineCanvas& c) {
             c.clearAreas();
             c.clearZCursors();
         }},
        {"zoom", [](OutlineCanvas& c) { c.zoom(0.5f); }},
        {"pan", [](OutlineCanvas& c) { c.pan(30, -12); }},
        {"margins", [](OutlineCanvas& c) { c.setMargins(80, 10, 10, 40); }},
        {"no margins", [](OutlineCanvas& c) { c.setMargins(0, 0, 1, 0); }},
        {"flip", [](OutlineCanvas& c) { c.toggleYFlip(); }},
        {"size", [](OutlineCanvas& c) { c.resize(QSize(500, 300)); }},
        {"the same size again", [](OutlineCanvas& c) { c.resize(QSize(500, 300)); }},
        {"x cursors moved off", [](OutlineCanvas& c) {
             c.clearXCursors();
             c.addXCursorPair(-1, 1);
         }},
    };
    std::vector<std::function<void(OutlineCanvas&)>> applied;
    for (const Step& step : steps) {
        step.change(used);
        setPoints(used, y, x);  // a frame of other data in between
        used.render();
        setPoints(used, x, y);
        used.render();
        applied.push_back(step.change);
        const QImage expected = freshRender([&](OutlineCanvas& c) {
            for (const auto& change : applied) change(c);
        });
        EXPECT_TRUE(used.image() == expected) << step.name;
    }
}

TEST(OutlineCanvas, DataShorterInHeightThanInXIsCutToTheShorter) {
    OutlineCanvas canvas;
    setPoints(canvas, {1, 2, 3}, {5});
    EXPECT_EQ(canvas.points().size(), 1);
}

TEST(OutlineCanvas, ZoomScalesAboutTheCentreAndResetsPastTheLimits) {
    OutlineCanvas canvas;
    setPlotCanvas(canvas);
    canvas.zoom(0.5f);
    EXPECT_EQ(canvas.xRange(), qMakePair(-4.0f, 4.0f));
    EXPECT_FLOAT_EQ(canvas.yRange().first, -3.3f);
    EXPECT_FLOAT_EQ(canvas.yRange().second, 3.3f);

    canvas.pan(50, -30);  // somewhere off-centre
    canvas.zoom(1.9f);    // within the limit span
    EXPECT_NEAR(canvas.xRange().second - canvas.xRange().first, 15.2f, 1e-4);
    EXPECT_NE(canvas.xRange().first, -8.0f);

    canvas.zoom(1.5f);  // past the limits: both ranges reset in one step
    EXPECT_EQ(canvas.xRange(), qMakePair(-8.0f, 8.0f));
    EXPECT_EQ(canvas.yRange(), qMakePair(-6.6f, 6.6f));
}

TEST(OutlineCanvas, PanIsUnlimitedAndFollowsThePointer) {
    OutlineCanvas canvas;
    setUnitCanvas(canvas);
    canvas.pan(10, 0);  // pointer moved right: the content follows, the range goes left
    EXPECT_EQ(canvas.xRange(), qMakePair(-10.0f, 90.0f));
    canvas.pan(0, -20);  // pointer moved down 20 px (called with -dy)
    EXPECT_EQ(canvas.yRange(), qMakePair(20.0f, 120.0f));
    canvas.pan(-1000, 0);  // far off the data
    EXPECT_EQ(canvas.xRange(), qMakePair(990.0f, 1090.0f));
}

TEST(OutlineCanvas, PickPrefersVerticalThenHorizontalThenAreas) {
    OutlineCanvas canvas;
    setUnitCanvas(canvas);
    canvas.setXLimits(0, 100);
    canvas.setYLimits(0, 100);
    setPoints(canvas, {0, 100}, {0, 100});
    canvas.addXCursorPair(50, 80);
    canvas.addZCursorPair(50, 80);
    canvas.setAreaPair(40, 60, 70, 90);

    EXPECT_EQ(canvas.pick(50, 50), "Line.vertical");
    EXPECT_TRUE(canvas.xCursors()[0].selected);
    EXPECT_EQ(canvas.selectedShape(), &canvas.xCursors()[0]);
    EXPECT_EQ(canvas.selectedHandle(), "center");

    canvas.clearXCursors();
    EXPECT_EQ(canvas.selectedShape(), nullptr);
    EXPECT_EQ(canvas.pick(50, 50), "Line.horizontal");
    canvas.clearZCursors();
    EXPECT_EQ(canvas.pick(50, 50), "Rect.center");
    EXPECT_EQ(canvas.pick(40, 50), "Rect.left");
    EXPECT_EQ(canvas.pick(20, 50), "");
    EXPECT_EQ(canvas.selectedShape(), nullptr);
    EXPECT_FALSE(canvas.areas()[0].selected);
}

TEST(OutlineCanvas, XCursorPairLiesInTheBoundingBoxOfThePoints) {
    OutlineCanvas canvas;
    setUnitCanvas(canvas);
    setPoints(canvas, {10, 20, 30}, {-9999, 4, 8});
    canvas.addXCursorPair(5, 25);
    ASSERT_EQ(canvas.xCursors().size(), 2);
    const tevu::Line& a = canvas.xCursors()[0];
    const tevu::Line& b = canvas.xCursors()[1];
    EXPECT_EQ(a.color, QColor(255, 0, 0));
    EXPECT_EQ(b.color, QColor(128, 0, 128));
    EXPECT_EQ(a.orientation, "vertical");
    EXPECT_FLOAT_EQ(a.x1, 10);  // clamped into the box
    EXPECT_FLOAT_EQ(b.x1, 25);
    EXPECT_FLOAT_EQ(a.y1, -9999);  // invalid heights count
    EXPECT_FLOAT_EQ(a.y2, 8);
    EXPECT_FLOAT_EQ(a.xmin, 10);
    EXPECT_FLOAT_EQ(a.xmax, 30);
}

TEST(OutlineCanvas, XCursorsOfAnEmptyProfileLandAtTheLargestFloatAndRenderSafely) {
    OutlineCanvas canvas;
    setPlotCanvas(canvas);
    canvas.addXCursorPair(-4, 4);
    EXPECT_EQ(canvas.xCursors()[0].x1, FLT_MAX);
    EXPECT_EQ(canvas.xCursors()[1].x1, FLT_MAX);
    canvas.render();
    EXPECT_EQ(canvas.pick(300, 300), "");
}

TEST(OutlineCanvas, ZCursorPairRunsAcrossTheViewInsideTheLimits) {
    OutlineCanvas canvas;
    setPlotCanvas(canvas);
    canvas.addZCursorPair(-3.3f, 10);
    const tevu::Line& a = canvas.zCursors()[0];
    const tevu::Line& b = canvas.zCursors()[1];
    EXPECT_EQ(a.orientation, "horizontal");
    EXPECT_FLOAT_EQ(a.x1, -8);
    EXPECT_FLOAT_EQ(a.x2, 8);
    EXPECT_FLOAT_EQ(a.y1, -3.3f);
    EXPECT_FLOAT_EQ(b.y1, 6.6f);  // clamped to the limit
}

TEST(OutlineCanvas, AreaLimitsSnapToTheFirstOfTheNearestPoints) {
    OutlineCanvas canvas;
    setUnitCanvas(canvas);
    canvas.setXLimits(0, 100);
    canvas.setYLimits(0, 100);
    OutlineCanvas::AreaLimits limits;
    canvas.setAreaPair(1.5f, 3.2f, 10, 20);
    ASSERT_TRUE(canvas.areaLimits(&limits));
    EXPECT_EQ(limits.beginLeftIndex, 0);  // no points: index 0, the edge itself
    EXPECT_FLOAT_EQ(limits.beginLeftX, 1.5f);

    setPoints(canvas, {0, 1, 2, 3, 4}, {0, 0, 0, 0, 0});
    ASSERT_TRUE(canvas.areaLimits(&limits));
    EXPECT_EQ(limits.beginLeftIndex, 1);  // 1 and 2 are equally near: the first wins
    EXPECT_FLOAT_EQ(limits.beginLeftX, 1);
    EXPECT_EQ(limits.beginRightIndex, 3);
    EXPECT_FLOAT_EQ(limits.beginRightX, 3);
    EXPECT_EQ(limits.endLeftIndex, 4);
    EXPECT_FLOAT_EQ(limits.endRightX, 4);

    canvas.clearAreas();
    EXPECT_FALSE(canvas.areaLimits(&limits));
}

TEST(OutlineCanvas, CursorLimitsKeepTheCursorsOwnValues) {
    OutlineCanvas canvas;
    setUnitCanvas(canvas);
    canvas.setXLimits(0, 100);
    canvas.setYLimits(0, 100);
    OutlineCanvas::XCursorLimits x;
    OutlineCanvas::ZCursorLimits z;
    EXPECT_FALSE(canvas.xCursorLimits(&x));
    EXPECT_FALSE(canvas.zCursorLimits(&z));
    setPoints(canvas, {0, 10, 20, 30}, {0, 0, 0, 0});
    canvas.addXCursorPair(12, 26);
    canvas.addZCursorPair(40, 60);
    ASSERT_TRUE(canvas.xCursorLimits(&x));
    EXPECT_EQ(x.beginIndex, 1);
    EXPECT_FLOAT_EQ(x.beginX, 12);
    EXPECT_EQ(x.endIndex, 3);
    EXPECT_FLOAT_EQ(x.endX, 26);
    ASSERT_TRUE(canvas.zCursorLimits(&z));
    EXPECT_FLOAT_EQ(z.beginY, 40);
    EXPECT_FLOAT_EQ(z.endY, 60);
}

TEST(OutlineCanvas, DragMovesTheSelectedShapeInDataUnits) {
    OutlineCanvas canvas;
    setUnitCanvas(canvas);
    canvas.setXLimits(0, 100);
    canvas.setYLimits(0, 100);
    canvas.addZCursorPair(50, 80);
    ASSERT_EQ(canvas.pick(20, 50), "Line.horizontal");
    canvas.dragSelected(7, 10);  // 10 px down is 10 units down with y pointing up
    EXPECT_FLOAT_EQ(canvas.zCursors()[0].y1, 40);
    EXPECT_FLOAT_EQ(canvas.zCursors()[0].x1, 0);
    EXPECT_FLOAT_EQ(canvas.zCursors()[1].y1, 80);  // the other one stays
}

TEST(OutlineCanvas, ZeroSpansDrawTheBackgroundOnlyAndIgnoreEveryGesture) {
    struct Case {
        const char* name;
        float xmin, xmax, ymin, ymax;
        QSize size;
    };
    const Case cases[] = {
        {"equal x ends", 3, 3, 0, 100, QSize(100, 100)},
        {"equal y ends", 0, 100, 7, 7, QSize(100, 100)},
        {"plot of zero height", 0, 100, 0, 100, QSize(100, 45)},
        {"plot of negative width", 0, 100, 0, 100, QSize(50, 100)},
    };
    for (const Case& c : cases) {
        OutlineCanvas canvas;
        canvas.setMargins(30, 15, 30, 30);
        canvas.resize(c.size);
        canvas.toggleYFlip();
        canvas.setXRange(c.xmin, c.xmax);
        canvas.setYRange(c.ymin, c.ymax);
        canvas.setXLimits(-1000, 1000);
        canvas.setYLimits(-1000, 1000);
        setPoints(canvas, {0, 50, 100}, {0, 50, -9999});
        canvas.addZCursorPair(10, 20);
        canvas.render();
        const QImage& image = canvas.image();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ASSERT_EQ(image.pixel(x, y), qRgb(0, 0, 0)) << c.name << " at " << x << "," << y;
        EXPECT_EQ(canvas.pick(50, 20), "") << c.name;
        canvas.pan(10, 10);
        canvas.zoom(0.5f);
        canvas.dragSelected(5, 5);
        EXPECT_EQ(canvas.xRange(), qMakePair(c.xmin, c.xmax)) << c.name;
        EXPECT_EQ(canvas.yRange(), qMakePair(c.ymin, c.ymax)) << c.name;
    }
}

// The right margin is narrower than half a tick label: the last label stays
// whole inside the image instead of running off its edge.
TEST(OutlineCanvas, TheLastXTickLabelStaysInsideTheImage) {
    for (const float half : {8.0f, 20.475f, 150.0f}) {
        OutlineCanvas canvas;
        setPlotCanvas(canvas);
        canvas.setXLimits(-half, half);
        canvas.setXRange(-half, half);
        canvas.render();
        const QImage& image = canvas.image();
        // The labels' band below the tick marks, right of the last tick.
        const int top = static_cast<int>(canvas.plotBottom()) + 6;
        int rightmost = -1;
        for (int y = top; y < std::min(image.height(), top + 20); ++y)
            for (int x = static_cast<int>(canvas.plotRight()) + 1; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) > 100) rightmost = std::max(rightmost, x);
        EXPECT_GT(rightmost, static_cast<int>(canvas.plotRight())) << half << ": the last label is drawn";
        EXPECT_LT(rightmost, image.width() - 1) << half << ": the last label reaches the image's edge";
    }
}

TEST(TruncatePixel, TruncatesTowardZeroAndSaturatesFarValues) {
    EXPECT_EQ(truncatePixel(12.9f), 12);
    EXPECT_EQ(truncatePixel(-12.9f), -12);
    EXPECT_EQ(truncatePixel(FLT_MAX), 16777216);
    EXPECT_EQ(truncatePixel(-FLT_MAX), -16777216);
    EXPECT_EQ(truncatePixel(INFINITY), 16777216);
    EXPECT_EQ(truncatePixel(NAN), 0);
}
