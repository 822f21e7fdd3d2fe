#include <QMouseEvent>
#include <QSignalSpy>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "views/profile/outline_widget.h"

namespace {

// A shown 100 x 100 plot without margins, one data unit per pixel, y up.
class PlotWidget : public ::testing::Test {
protected:
    void SetUp() override {
        widget.resize(100, 100);
        widget.show();
        OutlineCanvas& canvas = widget.canvas();
        ASSERT_EQ(canvas.image().size(), QSize(100, 100));
        canvas.toggleYFlip();
        canvas.setXRange(0, 100);
        canvas.setYRange(0, 100);
        canvas.setXLimits(0, 100);
        canvas.setYLimits(0, 100);
        canvas.setData({0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}, {50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50},
                       "yellow", "black");
    }

    void send(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, QPointF(at), QPointF(widget.mapToGlobal(at)), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(&widget, &event);
    }
    void hover(QPoint at) {
        QMouseEvent event(QEvent::MouseMove, QPointF(at), QPointF(widget.mapToGlobal(at)), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&widget, &event);
    }

    OutlineWidget widget;
};

}  // namespace

TEST_F(PlotWidget, TracksTheMouseWithoutAButton) { EXPECT_TRUE(widget.hasMouseTracking()); }

TEST_F(PlotWidget, DraggingAnAreaMovesItAndReportsSnappedEdgesOnEveryMove) {
    widget.canvas().setAreaPair(22, 38, 61, 79);
    QSignalSpy areas(&widget, &OutlineWidget::slopeCorrectionLimitChanged);
    QSignalSpy xCursors(&widget, &OutlineWidget::lineXSlopeCorrectionLimitChanged);

    send(QEvent::MouseButtonPress, QPoint(30, 50));
    send(QEvent::MouseMove, QPoint(34, 50));
    send(QEvent::MouseMove, QPoint(37, 52));
    send(QEvent::MouseButtonRelease, QPoint(37, 52));
    send(QEvent::MouseMove, QPoint(60, 52));  // a move after the release reports nothing

    EXPECT_FLOAT_EQ(widget.canvas().areas()[0].left, 29);
    EXPECT_FLOAT_EQ(widget.canvas().areas()[0].right, 45);
    ASSERT_EQ(areas.count(), 2);
    EXPECT_EQ(xCursors.count(), 0);
    const QList<QVariant> last = areas.last();
    EXPECT_EQ(last[0].toInt(), 3);  // 29 snaps to 30
    EXPECT_FLOAT_EQ(last[1].toFloat(), 30);
    EXPECT_EQ(last[2].toInt(), 4);  // 45 lies between 40 and 50: the first wins
    EXPECT_FLOAT_EQ(last[3].toFloat(), 40);
    EXPECT_EQ(last[4].toInt(), 6);
    EXPECT_FLOAT_EQ(last[5].toFloat(), 60);
    EXPECT_EQ(last[6].toInt(), 8);
    EXPECT_FLOAT_EQ(last[7].toFloat(), 80);
}

TEST_F(PlotWidget, DraggingTheViewPansAndStillReportsTheCursors) {
    widget.canvas().addXCursorPair(25, 75);
    widget.canvas().addZCursorPair(20, 80);
    QSignalSpy xCursors(&widget, &OutlineWidget::lineXSlopeCorrectionLimitChanged);
    QSignalSpy zCursors(&widget, &OutlineWidget::lineYSlopeCorrectionLimitChanged);

    send(QEvent::MouseButtonPress, QPoint(50, 50));  // on no shape
    send(QEvent::MouseMove, QPoint(60, 40));
    EXPECT_EQ(widget.canvas().xRange(), qMakePair(-10.0f, 90.0f));
    EXPECT_EQ(widget.canvas().yRange(), qMakePair(-10.0f, 90.0f));

    ASSERT_EQ(xCursors.count(), 1);
    EXPECT_EQ(xCursors[0][0].toInt(), 2);  // 25 lies between 20 and 30: the first wins
    EXPECT_FLOAT_EQ(xCursors[0][1].toFloat(), 25);
    EXPECT_EQ(xCursors[0][2].toInt(), 7);
    EXPECT_FLOAT_EQ(xCursors[0][3].toFloat(), 75);
    ASSERT_EQ(zCursors.count(), 1);
    EXPECT_FLOAT_EQ(zCursors[0][0].toFloat(), 20);
    EXPECT_FLOAT_EQ(zCursors[0][1].toFloat(), 80);
}

TEST_F(PlotWidget, DraggingAVerticalCursorMovesItAcrossOnly) {
    widget.canvas().addXCursorPair(25, 75);
    QSignalSpy xCursors(&widget, &OutlineWidget::lineXSlopeCorrectionLimitChanged);
    send(QEvent::MouseButtonPress, QPoint(75, 50));
    send(QEvent::MouseMove, QPoint(81, 20));
    send(QEvent::MouseButtonRelease, QPoint(81, 20));
    EXPECT_FLOAT_EQ(widget.canvas().xCursors()[1].x1, 81);
    EXPECT_FLOAT_EQ(widget.canvas().xCursors()[1].y1, 50);
    EXPECT_EQ(widget.canvas().xRange(), qMakePair(0.0f, 100.0f));
    ASSERT_EQ(xCursors.count(), 1);
    EXPECT_FLOAT_EQ(xCursors[0][3].toFloat(), 81);
    EXPECT_EQ(xCursors[0][2].toInt(), 8);
}

TEST_F(PlotWidget, OtherButtonsDoNothing) {
    QSignalSpy zCursors(&widget, &OutlineWidget::lineYSlopeCorrectionLimitChanged);
    widget.canvas().addZCursorPair(20, 80);
    send(QEvent::MouseButtonPress, QPoint(50, 50), Qt::RightButton);
    send(QEvent::MouseMove, QPoint(60, 60), Qt::RightButton);
    EXPECT_EQ(zCursors.count(), 0);
    EXPECT_EQ(widget.canvas().xRange(), qMakePair(0.0f, 100.0f));
}

TEST_F(PlotWidget, HoverSelectsAndShapesThePointer) {
    widget.canvas().addXCursorPair(25, 75);
    widget.canvas().addZCursorPair(20, 80);
    widget.canvas().setAreaPair(40, 60, 85, 95);
    struct Case {
        QPoint at;
        Qt::CursorShape shape;
    };
    const Case cases[] = {
        {QPoint(25, 50), Qt::SizeHorCursor},  // vertical cursor
        {QPoint(50, 80), Qt::SizeVerCursor},  // horizontal cursor at y 20
        {QPoint(40, 50), Qt::SizeHorCursor},  // area edge
        {QPoint(50, 50), Qt::ArrowCursor},    // inside an area
        {QPoint(10, 50), Qt::ArrowCursor},
    };
    for (const Case& c : cases) {
        hover(c.at);
        EXPECT_EQ(widget.cursor().shape(), c.shape) << c.at.x() << "," << c.at.y();
    }
    hover(QPoint(25, 50));
    EXPECT_TRUE(widget.canvas().xCursors()[0].selected);
}

TEST_F(PlotWidget, WheelZoomsByOneAndAHalfPerNotch) {
    const QPoint at(50, 50);
    QWheelEvent in(QPointF(at), QPointF(widget.mapToGlobal(at)), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&widget, &in);
    EXPECT_NEAR(widget.canvas().xRange().first, 50 - 50 / 1.5, 1e-3);
    EXPECT_NEAR(widget.canvas().xRange().second, 50 + 50 / 1.5, 1e-3);
    QWheelEvent out(QPointF(at), QPointF(widget.mapToGlobal(at)), QPoint(), QPoint(0, -240), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&widget, &out);  // past the limits: reset
    EXPECT_EQ(widget.canvas().xRange(), qMakePair(0.0f, 100.0f));
}

TEST_F(PlotWidget, ResizeRecreatesTheImageAtTheWidgetsSize) {
    widget.resize(321, 123);
    EXPECT_EQ(widget.canvas().image().size(), QSize(321, 123));
    EXPECT_FLOAT_EQ(widget.canvas().plotWidth(), 321);
}
