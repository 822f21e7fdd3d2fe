// The small widgets of the height page offscreen: the matrix-to-pixmap
// conversion, the pan-and-zoom picture label and the range bar with its
// histogram and handles.
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include <opencv2/core.hpp>

#include "tests/support/qt/qt_test_env.h"
#include "views/height/cv_mat_to_qimage.h"
#include "views/height/d3dheight_set.h"
#include "views/height/pic_label.h"

namespace {

// ---- CVS::cvMatToQImage ----

QtMessageHandler chainedHandler = nullptr;
QStringList capturedWarnings;

void captureWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg) capturedWarnings << message;
    if (chainedHandler) chainedHandler(type, context, message);
}

TEST(CvMatToQImage, GreyColourAndAlphaMatrices) {
    cv::Mat grey(2, 3, CV_8UC1);
    for (int i = 0; i < 6; ++i) grey.data[i] = static_cast<uchar>(i * 40);
    const QImage g = CVS::cvMatToQImage(grey).toImage();
    ASSERT_EQ(g.size(), QSize(3, 2));
    EXPECT_EQ(qGray(g.pixel(0, 0)), 0);
    EXPECT_EQ(qGray(g.pixel(2, 1)), 200);

    cv::Mat bgr(1, 2, CV_8UC3, cv::Scalar(10, 20, 30));  // OpenCV keeps blue first
    const QImage c = CVS::cvMatToQImage(bgr).toImage();
    EXPECT_EQ(QColor(c.pixel(1, 0)), QColor(30, 20, 10));

    cv::Mat argb(1, 1, CV_8UC4, cv::Scalar(40, 50, 60, 255));  // bytes of ARGB32 in memory: B, G, R, A
    const QImage a = CVS::cvMatToQImage(argb).toImage();
    EXPECT_EQ(QColor(a.pixel(0, 0)), QColor(60, 50, 40));
}

TEST(CvMatToQImage, ARegionOfALargerMatrixKeepsItsRowStep) {
    cv::Mat whole(4, 8, CV_8UC1, cv::Scalar(0));
    whole(cv::Rect(2, 1, 3, 2)).setTo(cv::Scalar(255));
    const QImage image = CVS::cvMatToQImage(whole(cv::Rect(2, 1, 4, 2))).toImage();
    ASSERT_EQ(image.size(), QSize(4, 2));
    EXPECT_EQ(qGray(image.pixel(2, 1)), 255);
    EXPECT_EQ(qGray(image.pixel(3, 1)), 0);
}

TEST(CvMatToQImage, OtherTypesGiveANullPixmapAndAWarning) {
    capturedWarnings.clear();
    chainedHandler = qInstallMessageHandler(captureWarnings);
    const QPixmap pixmap = CVS::cvMatToQImage(cv::Mat(2, 2, CV_16UC1, cv::Scalar(7)));
    qInstallMessageHandler(chainedHandler);
    EXPECT_TRUE(pixmap.isNull());
    ASSERT_EQ(capturedWarnings.size(), 1);
    EXPECT_EQ(capturedWarnings[0], QString("CVS::cvMatToQImage() - cv::Mat image type not handled in switch: %1")
                                       .arg(CV_16UC1));
}

// ---- PicLabel ----

QPixmap filled(int w, int h, QColor colour) {
    QPixmap p(w, h);
    p.fill(colour);
    return p;
}

void send(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, w.mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

void wheel(QWidget& w, int delta) {
    QWheelEvent event(QPointF(10, 10), QPointF(w.mapToGlobal(QPoint(10, 10))), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &event);
}

void key(QWidget& w, QEvent::Type type, int k) {
    QKeyEvent event(type, k, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

TEST(PicLabel, IgnoresPicturesNineOrFewerPixelsWide) {
    PicLabel label;
    label.setPicture(filled(9, 50, Qt::red));
    EXPECT_TRUE(label.picture().isNull());
    label.setPicture(QPixmap());
    EXPECT_TRUE(label.picture().isNull());
    label.setPicture(filled(10, 5, Qt::red));
    EXPECT_EQ(label.picture().size(), QSize(10, 5));
}

TEST(PicLabel, DrawsCentredWithTheAspectKept) {
    struct Case {
        QSize label, picture;
        QRect drawn;
    } cases[] = {
        {{400, 300}, {200, 100}, {-100, -50, 200, 100}},  // fits: its own size
        {{400, 300}, {800, 200}, {-200, -50, 400, 100}},  // wider than the label: the label's width
        {{400, 300}, {100, 400}, {-37, -150, 75, 300}},   // narrow and tall: limited by the height
        {{600, 300}, {100, 50}, {-50, -25, 100, 50}},     // small: min(pw, w) / aspect
    };
    for (const Case& c : cases) {
        PicLabel label;
        label.resize(c.label);
        label.setPicture(filled(c.picture.width(), c.picture.height(), Qt::red));
        EXPECT_EQ(label.drawnRect(), c.drawn) << c.picture.width() << "x" << c.picture.height();
    }

    PicLabel label;
    label.setStyleSheet("QWidget{\nbackground-color: rgba(0,0,0,255);\n}");
    label.resize(400, 300);
    label.setPicture(filled(200, 100, Qt::red));
    const QImage shot = mirevo::test::saveGrab(label, "pic_label_centred");
    EXPECT_EQ(QColor(shot.pixel(200, 150)), QColor(Qt::red));
    EXPECT_EQ(QColor(shot.pixel(101, 101)), QColor(Qt::red));
    EXPECT_EQ(QColor(shot.pixel(98, 150)), QColor(Qt::black));
    EXPECT_EQ(QColor(shot.pixel(200, 98)), QColor(Qt::black));
}

TEST(PicLabel, PansWhileTheMouseIsHeld) {
    PicLabel label;
    label.resize(400, 300);
    label.setPicture(filled(200, 100, Qt::red));
    send(label, QEvent::MouseMove, {50, 50}, Qt::NoButton);  // not held: no pan
    EXPECT_EQ(label.offsetX(), 0);
    send(label, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton);
    send(label, QEvent::MouseMove, {130, 90}, Qt::LeftButton);
    send(label, QEvent::MouseMove, {140, 95}, Qt::LeftButton);
    EXPECT_EQ(label.offsetX(), 40);
    EXPECT_EQ(label.offsetY(), -5);
    EXPECT_EQ(label.cursor().shape(), Qt::SizeAllCursor);
    send(label, QEvent::MouseButtonRelease, {140, 95}, Qt::NoButton);
    EXPECT_EQ(label.cursor().shape(), Qt::ArrowCursor);
    send(label, QEvent::MouseMove, {200, 200}, Qt::NoButton);
    EXPECT_EQ(label.offsetX(), 40);

    // The picture moved with the pan: its left edge is now at 100 + 40.
    const QImage shot = mirevo::test::saveGrab(label, "pic_label_panned");
    EXPECT_EQ(QColor(shot.pixel(141, 150)), QColor(Qt::red));
    EXPECT_NE(QColor(shot.pixel(138, 150)), QColor(Qt::red));
}

TEST(PicLabel, WheelZoomsWhileEnabledAndCtrlGatesIt) {
    PicLabel label;
    label.resize(400, 300);
    send(label, QEvent::MouseButtonPress, {0, 0}, Qt::LeftButton);
    send(label, QEvent::MouseMove, {15, -25}, Qt::LeftButton);
    send(label, QEvent::MouseButtonRelease, {15, -25}, Qt::NoButton);
    wheel(label, 120);
    EXPECT_DOUBLE_EQ(label.scale(), 1.1);
    EXPECT_EQ(label.offsetX(), 16);   // trunc(15 x 1.1)
    EXPECT_EQ(label.offsetY(), -27);  // trunc(-25 x 1.1)
    wheel(label, -120);
    EXPECT_DOUBLE_EQ(label.scale(), 1.1 * 0.9);
    EXPECT_EQ(label.offsetX(), 14);

    key(label, QEvent::KeyPress, Qt::Key_Control);
    EXPECT_TRUE(label.zoomEnabled());
    key(label, QEvent::KeyRelease, Qt::Key_Control);
    EXPECT_FALSE(label.zoomEnabled());
    wheel(label, 120);
    EXPECT_DOUBLE_EQ(label.scale(), 1.1 * 0.9);
    key(label, QEvent::KeyPress, Qt::Key_Control);
    wheel(label, 120);
    EXPECT_DOUBLE_EQ(label.scale(), 1.1 * 0.9 * 1.1);
}

TEST(PicLabel, ZoomSlotsAndPreset) {
    PicLabel label;
    for (int i = 0; i < 10; ++i) label.OnZoomOutImage();
    EXPECT_NEAR(label.scale(), std::pow(0.9, 10), 1e-12);
    EXPECT_GT(label.scale(), 0.0);
    label.OnZoomInImage();
    EXPECT_NEAR(label.scale(), std::pow(0.9, 10) * 1.1, 1e-12);
    send(label, QEvent::MouseButtonPress, {0, 0}, Qt::LeftButton);
    send(label, QEvent::MouseMove, {30, 40}, Qt::LeftButton);
    label.OnPresetImage();
    EXPECT_DOUBLE_EQ(label.scale(), 1.0);
    EXPECT_EQ(label.offsetX(), 0);
    EXPECT_EQ(label.offsetY(), 0);
}

// ---- d3dheight_set ----

constexpr double N = -9999.0;
constexpr int kTop = d3dheight_set::kTop;
constexpr int kBottom = d3dheight_set::kTop + d3dheight_set::kBarHeight;

TEST(D3dHeightSet, HistogramLeavesOutTheLastRowAndLowHeights) {
    d3dheight_set bar;
    bar.setRange(-6, 6);
    const std::vector<std::vector<double>> rows = {
        {0, 0, N, -7, 3}, {0, 0, N, -7, 3}, {5, 5, 5, 5, 5}, {}};
    bar.countHeights(rows, 3, 5, -6.0);  // row 2 is the last received one
    const std::vector<int>& counts = bar.counts();
    ASSERT_EQ(counts.size(), 210u);
    EXPECT_EQ(counts[105], 4);  // height 0
    EXPECT_EQ(counts[52], 2);   // height 3: trunc(52.5)
    int total = 0;
    for (int c : counts) total += c;
    EXPECT_EQ(total, 6) << "-9999 and -7 lie below zLower";
    EXPECT_EQ(bar.barLengths()[105], 50);
    EXPECT_EQ(bar.barLengths()[52], 25);  // trunc(2 / 4 x 50 + 0.99)
    EXPECT_EQ(bar.barLengths()[0], 0);

    // Fewer points counted than the rows have.
    bar.countHeights(rows, 3, 2, -6.0);
    EXPECT_EQ(bar.counts()[105], 4);
    EXPECT_EQ(bar.counts()[52], 0);
}

TEST(D3dHeightSet, EdgeCasesOfTheHistogram) {
    const std::vector<std::vector<double>> rows = {{1, 2}, {1, 2}};
    {
        d3dheight_set bar;  // one received row: nothing counted
        bar.setRange(-6, 6);
        bar.countHeights(rows, 1, 2, -6.0);
        for (int c : bar.counts()) EXPECT_EQ(c, 0);
        for (int l : bar.barLengths()) EXPECT_EQ(l, 0);
    }
    {
        d3dheight_set bar;  // more rows announced than there are: nothing happens
        bar.setRange(-6, 6);
        bar.countHeights(rows, 3, 2, -6.0);
        EXPECT_TRUE(bar.counts().empty());
    }
    {
        d3dheight_set bar;  // heights below the range's minimum are skipped too
        bar.setRange(1.5, 6);
        bar.countHeights(rows, 2, 2, -6.0);
        int total = 0;
        for (int c : bar.counts()) total += c;
        EXPECT_EQ(total, 1);
    }
    {
        d3dheight_set bar;  // an empty range: no histogram, handles at the bar's ends
        bar.setRange(2, 2);
        bar.countHeights(rows, 2, 2, -6.0);
        for (int l : bar.barLengths()) EXPECT_EQ(l, 0);
        bar.setHandleValues(2, 2);
        EXPECT_EQ(bar.upperHandleY(), kTop);
        EXPECT_EQ(bar.lowerHandleY(), kBottom);
    }
}

TEST(D3dHeightSet, HandlesAtTheValues) {
    d3dheight_set bar;
    bar.setRange(-6, 6);
    bar.setHandleValues(-3, 4.5);
    EXPECT_EQ(bar.lowerHandleY(), 167);  // (1 - 3/12) x 210 + 10 = 167.5
    EXPECT_EQ(bar.upperHandleY(), 36);   // (1 - 10.5/12) x 210 + 10 = 36.25
    EXPECT_NEAR(bar.valueAt(kTop), 6.0, 1e-12);
    EXPECT_NEAR(bar.valueAt(kBottom), -6.0, 1e-12);
}

struct AdjustCase {
    const char* name;
    std::vector<std::pair<int, int>> filled;  // ranges of rows [first, last] with full bars
    bool upperFirst;
    int upperY, lowerY;
};

TEST(D3dHeightSet, AutomaticAdjustmentOnFixedBarLengths) {
    const std::vector<AdjustCase> cases = {
        {"no bar above 15: starts at the top bin", {}, true, kTop, kTop + 1},
        {"one cluster, upper first", {{100, 119}}, true, kTop + 99, kTop + 120},
        {"two clusters, upper first takes the upper one", {{40, 49}, {100, 119}}, true, kTop + 39, kTop + 50},
        {"two clusters, lower first takes the lower one", {{40, 49}, {100, 119}}, false, kTop + 99, kTop + 120},
        {"a cluster at the top has no upper edge", {{0, 30}}, true, kTop, kTop + 31},
        {"a cluster at the bottom, lower first: no room to scan, the whole bar", {{190, 209}}, false, kTop, kTop + 209},
    };
    for (const AdjustCase& c : cases) {
        d3dheight_set bar;
        bar.setRange(-6, 6);
        std::vector<int> lengths(210, 0);
        for (auto [first, last] : c.filled)
            for (int i = first; i <= last; ++i) lengths[static_cast<size_t>(i)] = 50;
        bar.setBarLengths(lengths);
        QSignalSpy spy(&bar, &d3dheight_set::signal_now_range_change);
        bar.autoAdjust(c.upperFirst);
        EXPECT_EQ(bar.upperHandleY(), c.upperY) << c.name;
        EXPECT_EQ(bar.lowerHandleY(), c.lowerY) << c.name;
        ASSERT_EQ(spy.count(), 1) << c.name;
        EXPECT_FLOAT_EQ(spy[0][0].toFloat(), static_cast<float>(bar.valueAt(c.lowerY))) << c.name;
        EXPECT_FLOAT_EQ(spy[0][1].toFloat(), static_cast<float>(bar.valueAt(c.upperY))) << c.name;
    }
}

TEST(D3dHeightSet, AdjustmentBeforeAnyHistogramChangesNothing) {
    d3dheight_set bar;
    QSignalSpy spy(&bar, &d3dheight_set::signal_now_range_change);
    bar.autoAdjust(true);
    EXPECT_EQ(bar.upperHandleY(), 20);
    EXPECT_EQ(bar.lowerHandleY(), 80);
    EXPECT_EQ(spy.count(), 0);
}

TEST(D3dHeightSet, HandlesAreDraggedOnTheHistogramOnly) {
    d3dheight_set bar;
    bar.resize(120, 231);
    bar.setRange(-6, 6);
    QSignalSpy spy(&bar, &d3dheight_set::signal_now_range_change);

    send(bar, QEvent::MouseButtonPress, {30, 20}, Qt::LeftButton);  // on the colour bar: ignored
    EXPECT_EQ(bar.dragState(), 0);
    send(bar, QEvent::MouseButtonPress, {80, 23}, Qt::LeftButton);  // 3 px from the upper handle
    EXPECT_EQ(bar.dragState(), 1);
    send(bar, QEvent::MouseMove, {80, 5}, Qt::LeftButton);  // above the bar
    EXPECT_EQ(bar.upperHandleY(), 20);
    send(bar, QEvent::MouseMove, {80, 80}, Qt::LeftButton);  // onto the lower handle: no crossing
    EXPECT_EQ(bar.upperHandleY(), 20);
    EXPECT_EQ(spy.count(), 0);
    send(bar, QEvent::MouseMove, {80, 50}, Qt::LeftButton);
    EXPECT_EQ(bar.upperHandleY(), 50);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_FLOAT_EQ(spy[0][1].toFloat(), static_cast<float>(bar.valueAt(50)));
    send(bar, QEvent::MouseMove, {80, 51}, Qt::LeftButton);  // the cursor follows the handles it finds
    EXPECT_EQ(bar.cursor().shape(), Qt::SizeVerCursor);
    send(bar, QEvent::MouseButtonRelease, {80, 50}, Qt::NoButton);
    EXPECT_EQ(bar.dragState(), 0);

    send(bar, QEvent::MouseButtonPress, {100, 84}, Qt::LeftButton);  // 4 px from the lower handle: too far
    EXPECT_EQ(bar.dragState(), 0);
    send(bar, QEvent::MouseButtonPress, {100, 83}, Qt::LeftButton);
    EXPECT_EQ(bar.dragState(), 2);
    send(bar, QEvent::MouseMove, {100, kBottom + 1}, Qt::LeftButton);  // below the bar
    EXPECT_EQ(bar.lowerHandleY(), 80);
    send(bar, QEvent::MouseMove, {100, 50}, Qt::LeftButton);  // onto the upper handle
    EXPECT_EQ(bar.lowerHandleY(), 80);
    send(bar, QEvent::MouseMove, {100, kBottom}, Qt::LeftButton);
    EXPECT_EQ(bar.lowerHandleY(), kBottom);
    send(bar, QEvent::MouseMove, {100, 120}, Qt::LeftButton);
    EXPECT_EQ(bar.lowerHandleY(), 120);
    send(bar, QEvent::MouseButtonRelease, {100, 120}, Qt::NoButton);
    send(bar, QEvent::MouseMove, {100, 118}, Qt::NoButton);
    EXPECT_EQ(bar.cursor().shape(), Qt::SizeVerCursor);
    send(bar, QEvent::MouseMove, {100, 140}, Qt::NoButton);
    EXPECT_EQ(bar.cursor().shape(), Qt::ArrowCursor);
}

bool near(QColor a, QColor b, int tolerance = 24) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

TEST(D3dHeightSet, PaintsBarHandlesAndBars) {
    d3dheight_set bar;
    bar.resize(120, 231);
    bar.setRange(-6, 6);
    std::vector<int> lengths(210, 0);
    lengths[100] = 50;  // a long bar
    lengths[150] = 4;   // a short bar, drawn doubled
    bar.setBarLengths(lengths);
    bar.setHandleValues(-3, 4.5);  // rows 167 and 36
    QImage shot = mirevo::test::saveGrab(bar, "d3dheight_set_grey");

    EXPECT_TRUE(near(shot.pixel(25, kTop + 2), Qt::white)) << "the grey ramp is light at the top";
    EXPECT_TRUE(near(shot.pixel(25, kBottom - 2), Qt::black)) << "and dark at the bottom";
    const QColor orange(255, 128, 0);
    const QColor blue(0, 0, 200);
    for (int x : {57, 80, 109}) {
        EXPECT_EQ(QColor(shot.pixel(x, 36)), orange) << x;
        EXPECT_EQ(QColor(shot.pixel(x, 167)), orange) << x;
    }
    EXPECT_EQ(QColor(shot.pixel(61, kTop + 100)), blue);
    EXPECT_EQ(QColor(shot.pixel(109, kTop + 100)), blue);
    EXPECT_EQ(QColor(shot.pixel(67, kTop + 150)), blue) << "4 drawn as 8";
    EXPECT_EQ(QColor(shot.pixel(70, kTop + 150)), QColor(Qt::white));
    EXPECT_EQ(QColor(shot.pixel(80, kTop + 60)), QColor(Qt::white)) << "no bar where nothing was counted";
    EXPECT_EQ(QColor(shot.pixel(111, kTop + 60)), QColor(Qt::green)) << "the histogram's outline";

    bar.useGradient(true);
    shot = mirevo::test::saveGrab(bar, "d3dheight_set_gradient");
    const QColor top(shot.pixel(25, kTop + 2));
    const QColor bottom(shot.pixel(25, kBottom - 2));
    EXPECT_GT(top.red(), 200);
    EXPECT_LT(top.blue(), 60);
    EXPECT_GT(bottom.blue(), 200);
    EXPECT_LT(bottom.red(), 60);
}

}  // namespace
