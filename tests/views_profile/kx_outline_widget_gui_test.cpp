#include <QLabel>

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/qt/qt_test_env.h"
#include "views/profile/kx_outline_widget.h"

namespace {

QString label(KxOutlineWidget& plot, const char* name) { return plot.readout().findChild<QLabel*>(name)->text(); }

// x from -8 to 8 mm in 0.01 mm steps; 0 mm left of 0, 2 mm from 0 on.
void stepProfile(QVector<double>& x, QVector<double>& z) {
    for (int i = 0; i <= 1600; ++i) {
        x.append(-8.0 + i * 0.01);
        z.append(i < 800 ? 0.0 : 2.0);
    }
}

struct Rgb {
    int r, g, b;
};

Rgb at(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return {qRed(p), qGreen(p), qBlue(p)};
}

// A line of width 1 on whole pixel coordinates lies half on each of the two
// pixels beside it: look for its colour on either.
template <class Test>
bool eitherPixel(const QImage& image, int x0, int y0, int x1, int y1, Test test) {
    return test(at(image, x0, y0)) || test(at(image, x1, y1));
}

bool yellowish(Rgb p) { return p.r > 100 && p.g > 100 && p.b < 60; }
bool reddish(Rgb p) { return p.r > 100 && p.g < 40 && p.b < 40; }
bool purplish(Rgb p) { return p.r > 50 && p.b > 50 && p.g < 30; }
bool black(Rgb p) { return p.r < 10 && p.g < 10 && p.b < 10; }
bool white(Rgb p) { return p.r > 200 && p.g > 200 && p.b > 200; }

}  // namespace

TEST(KxOutlineWidget, WithoutASensorShowsTheClientsDefaultRanges) {
    KxOutlineWidget plot;
    const OutlineCanvas& canvas = plot.canvas();
    EXPECT_EQ(canvas.xRange(), qMakePair(-8.0f, 8.0f));
    EXPECT_EQ(canvas.xLimits(), qMakePair(-8.0f, 8.0f));
    EXPECT_EQ(canvas.yRange(), qMakePair(-6.6f, 6.6f));
    EXPECT_EQ(canvas.yLimits(), qMakePair(-6.6f, 6.6f));
    EXPECT_TRUE(canvas.yFlipped());
    EXPECT_FLOAT_EQ(canvas.plotLeft(), 60);
    EXPECT_FLOAT_EQ(canvas.plotTop(), 15);
    EXPECT_TRUE(plot.readout().isHidden());
    EXPECT_EQ(plot.readout().parentWidget(), &plot);

    plot.canvas().pan(100, 40);
    plot.resetRanges();
    EXPECT_EQ(canvas.xRange(), qMakePair(-8.0f, 8.0f));
    EXPECT_EQ(canvas.yRange(), qMakePair(-6.6f, 6.6f));
}

TEST(KxOutlineWidget, XCursorsStartAtHalfTheViewAndShowThePointsUnderThem) {
    KxOutlineWidget plot;
    plot.resize(667, 581);
    QVector<double> x, z;
    stepProfile(x, z);
    plot.setOutlineData(x, z);
    plot.showXCursors(true);
    EXPECT_FALSE(plot.readout().isHidden());
    EXPECT_EQ(plot.readout().geometry(), QRect(667 - 225, 581 - 100, 200, 70));
    ASSERT_EQ(plot.canvas().xCursors().size(), 2);
    EXPECT_FLOAT_EQ(plot.canvas().xCursors()[0].x1, -4);
    EXPECT_FLOAT_EQ(plot.canvas().xCursors()[1].x1, 4);
    // The read-out describes the new pair at once.
    EXPECT_EQ(label(plot, "label_t_11"), "(-4.000, 0.000)");
    EXPECT_EQ(label(plot, "label_t_21"), "(4.000, 2.000)");
    EXPECT_EQ(label(plot, "label_t_31"), "-8.000");
    EXPECT_EQ(label(plot, "label_t_41"), "-2.000");
    EXPECT_EQ(plot.cursorMode(), 0);
}

TEST(KxOutlineWidget, ReadoutFollowsTheProfileAndTheDraggedCursors) {
    KxOutlineWidget plot;
    QVector<double> x, z;
    stepProfile(x, z);
    plot.setOutlineData(x, z);
    plot.showXCursors(true);

    // A refresh keeps the positions and looks the heights up again.
    for (double& v : z) v += 1.0;
    z[400] = -9999.0;  // x = -4: the invalid height is shown as it is
    plot.setOutlineData(x, z);
    EXPECT_EQ(label(plot, "label_t_11"), "(-4.000, -9999.000)");
    EXPECT_EQ(label(plot, "label_t_21"), "(4.000, 3.000)");

    plot.updateCursorReadout(0, -1.0, 1.5);  // a drag
    EXPECT_EQ(label(plot, "label_t_11"), "(-1.000, 1.000)");
    EXPECT_EQ(label(plot, "label_t_21"), "(1.500, 3.000)");

    plot.updateCursorReadout(0, 2.0, 2.0);  // both at one place: the stored pair stays
    EXPECT_EQ(label(plot, "label_t_11"), "(-1.000, 1.000)");
    EXPECT_EQ(plot.readoutRecord().A, -1.0);

    plot.updateCursorReadout(0, -1.0, 9.0);  // beyond the last x: the previous height stays
    EXPECT_EQ(label(plot, "label_t_21"), "(9.000, 3.000)");
}

TEST(KxOutlineWidget, ZCursorsShowTwoHeightsAndRefreshesLeaveThemAlone) {
    KxOutlineWidget plot;
    QVector<double> x, z;
    stepProfile(x, z);
    plot.setOutlineData(x, z);
    plot.showZCursors(true);
    EXPECT_EQ(plot.cursorMode(), 1);
    ASSERT_EQ(plot.canvas().zCursors().size(), 2);
    EXPECT_FLOAT_EQ(plot.canvas().zCursors()[0].y1, -3.3f);
    EXPECT_EQ(label(plot, "label_t_10"), "光标A(Z)");
    EXPECT_EQ(label(plot, "label_t_11"), "-3.300");
    EXPECT_EQ(label(plot, "label_t_21"), "3.300");
    EXPECT_EQ(label(plot, "label_t_31"), "-6.600");

    plot.updateCursorReadout(1, 1.25, -0.5);
    plot.setOutlineData(x, z);
    EXPECT_EQ(label(plot, "label_t_11"), "1.250");
    EXPECT_EQ(label(plot, "label_t_31"), "1.750");

    plot.showZCursors(false);
    EXPECT_TRUE(plot.readout().isHidden());
    EXPECT_TRUE(plot.canvas().zCursors().isEmpty());
}

TEST(KxOutlineWidget, EachPlotKeepsItsOwnReadout) {
    KxOutlineWidget first, second;
    QVector<double> x, z;
    stepProfile(x, z);
    first.setOutlineData(x, z);
    second.setOutlineData(x, z);
    first.showXCursors(true);
    second.showXCursors(true);
    first.updateCursorReadout(0, -7.0, 7.0);
    EXPECT_EQ(label(second, "label_t_11"), "(-4.000, 0.000)");
    EXPECT_EQ(label(first, "label_t_11"), "(-7.000, 0.000)");
}

TEST(KxOutlineWidget, ShowingXCursorsTwiceAddsASecondPair) {
    KxOutlineWidget plot;
    plot.showXCursors(true);
    plot.showXCursors(true);
    EXPECT_EQ(plot.canvas().xCursors().size(), 4);
    plot.showXCursors(false);
    EXPECT_TRUE(plot.canvas().xCursors().isEmpty());
}

TEST(KxOutlineWidget, EveryDeliveryBringsItsOwnLength) {
    KxOutlineWidget plot;
    QVector<double> x, z;
    stepProfile(x, z);
    plot.setOutlineData(x, z);
    EXPECT_EQ(plot.canvas().points().size(), 1601);
    plot.setOutlineData(x.mid(0, 100), z.mid(0, 100));
    EXPECT_EQ(plot.canvas().points().size(), 100);
    plot.setOutlineData(x.mid(0, 10), z);  // x shorter than z: never read past x
    EXPECT_EQ(plot.canvas().points().size(), 10);
}

TEST(KxOutlineWidget, CorrectionAreasFollowTheRecordsFlag) {
    KxOutlineWidget plot;
    tevu::laser_correction record;
    record.mode = 1;
    record.value = 9.0;
    record.area1Begin = -3;
    record.area1End = -1;
    record.area2Begin = 1;
    record.area2End = 3;
    plot.showCorrectionAreas(record);
    ASSERT_EQ(plot.canvas().areas().size(), 2);
    EXPECT_FLOAT_EQ(plot.canvas().areas()[0].left, -3);
    EXPECT_EQ(plot.canvas().areas()[0].color, QColor(255, 0, 0));
    EXPECT_FLOAT_EQ(plot.canvas().areas()[1].right, 3);
    EXPECT_EQ(plot.canvas().areas()[1].color, QColor(128, 0, 128));
    EXPECT_FLOAT_EQ(plot.canvas().areas()[0].top, -6.6f);
    record.mode = 0;
    plot.showCorrectionAreas(record);
    EXPECT_TRUE(plot.canvas().areas().isEmpty());
}

TEST(KxOutlineWidget, GrabShowsTheCurveTheFrameAndTheCursorPair) {
    KxOutlineWidget plot;
    plot.resize(667, 581);
    plot.show();
    QVector<double> x, z;
    stepProfile(x, z);
    plot.setOutlineData(x, z);
    plot.showXCursors(true);
    const QImage image = mirevo::test::saveGrab(plot, "kx_outline_widget_x_cursors");
    ASSERT_EQ(image.size(), QSize(667, 581));
    const OutlineCanvas& c = plot.canvas();
    auto px = [&](double v) { return static_cast<int>(c.toPixelX(static_cast<float>(v))); };
    auto py = [&](double v) { return static_cast<int>(c.toPixelY(static_cast<float>(v))); };

    EXPECT_TRUE(eitherPixel(image, 59, 300, 60, 300, [](Rgb p) { return p.r > 120 && p.g > 120 && p.b > 120; }))
        << "left frame";
    EXPECT_TRUE(black(at(image, px(-6), py(4)))) << "plot background";
    EXPECT_TRUE(eitherPixel(image, px(-6), py(0) - 1, px(-6), py(0), yellowish)) << "plane";
    EXPECT_TRUE(eitherPixel(image, px(6), py(2) - 1, px(6), py(2), yellowish)) << "step";
    EXPECT_TRUE(black(at(image, px(6), py(0)))) << "nothing on the plane's rows over the step";
    EXPECT_TRUE(eitherPixel(image, px(-4) - 1, 100, px(-4), 100, reddish)) << "cursor A";
    EXPECT_TRUE(eitherPixel(image, px(4) - 1, 100, px(4), 100, purplish)) << "cursor B";
    EXPECT_TRUE(black(at(image, px(-2), 100)));
}

// Invalid heights at both ends and in a gap of the middle: the line stops at
// each gap instead of dropping off the bottom of the plot and coming back,
// and a cursor over an invalid point still reads -9999.000.
TEST(KxOutlineWidget, GrabShowsGapsNotDropsWhereHeightsAreInvalid) {
    KxOutlineWidget plot;
    plot.resize(667, 581);
    plot.show();
    QVector<double> x, z;
    stepProfile(x, z);
    auto invalid = [](double v) { return v < -7.0 || (v > -1.0 && v < -0.8) || v > 7.0; };
    for (int i = 0; i < x.size(); ++i)
        if (invalid(x[i])) z[i] = -9999.0;
    plot.setOutlineData(x, z);
    plot.showXCursors(true);
    plot.updateCursorReadout(0, -7.5, 4.0);
    EXPECT_EQ(label(plot, "label_t_11"), "(-7.500, -9999.000)");
    const QImage image = mirevo::test::saveGrab(plot, "kx_outline_widget_invalid_heights");
    const OutlineCanvas& c = plot.canvas();
    auto px = [&](double v) { return static_cast<int>(c.toPixelX(static_cast<float>(v))); };
    auto py = [&](double v) { return static_cast<int>(c.toPixelY(static_cast<float>(v))); };
    const int left = static_cast<int>(c.plotLeft()) + 2, right = static_cast<int>(c.plotRight()) - 2;
    const int top = static_cast<int>(c.plotTop()) + 2, bottom = static_cast<int>(c.plotBottom()) - 2;
    ASSERT_TRUE(eitherPixel(image, px(-6), py(0) - 1, px(-6), py(0), yellowish)) << "the plane is drawn";
    ASSERT_TRUE(eitherPixel(image, px(6), py(2) - 1, px(6), py(2), yellowish)) << "the step is drawn";
    int below = 0, inGaps = 0;
    for (int col = left; col <= right; ++col) {
        const bool gap = invalid(c.toDataX(col - 2.0f)) && invalid(c.toDataX(col + 2.0f));
        for (int row = top; row <= bottom; ++row) {
            if (!yellowish(at(image, col, row))) continue;
            if (row > py(0) + 2) ++below;
            if (gap) ++inGaps;
        }
    }
    EXPECT_EQ(below, 0) << "yellow below the profile: a line drops to the bottom";
    EXPECT_EQ(inGaps, 0) << "yellow where every height is invalid";
}

TEST(KxOutlineWidget, ZeroSpansRenderTheBackgroundOnly) {
    KxOutlineWidget plot;
    plot.resize(300, 200);
    plot.show();
    plot.canvas().setXRange(1, 1);
    QVector<double> x, z;
    stepProfile(x, z);
    plot.setOutlineData(x, z);
    const QImage image = plot.grab().toImage();
    EXPECT_TRUE(black(at(image, 150, 100)));
    EXPECT_TRUE(black(at(image, 60, 100))) << "no frame either";
}
