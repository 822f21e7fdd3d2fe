// The height chart offscreen: set-up, tick labels over the shared x table,
// ranges, zooms and scrolls, grid lines, the picture item, and the A/B lines
// with their read-out in mm.
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QFontMetrics>
#include <QSignalSpy>

#include <cmath>

#include <gtest/gtest.h>

#include "tests/support/qt/qt_test_env.h"
#include "views/height/height_chart_view.h"
#include "views/profile/ab_area_widgets.h"

namespace {

class HeightChart : public ::testing::Test {
protected:
    HeightChart() { xCoordinateTable.clear(); }
    ~HeightChart() override { xCoordinateTable.clear(); }

    static QVector<QString> labels(QCPAxis* axis, double lower, double upper) {
        QVector<double> ticks;
        QVector<QString> texts;
        axis->ticker()->generate(QCPRange(lower, upper), QLocale::c(), 'g', 6, ticks, nullptr, &texts);
        return texts;
    }
    static QVector<double> ramp(int n, double first, double step) {
        QVector<double> x(n);
        for (int i = 0; i < n; ++i) x[i] = first + i * step;
        return x;
    }
    static QString readoutText(HeightCahrtView& chart, const char* label) {
        return chart.readout()->findChild<QLabel*>(label)->text();
    }
    static void doubleClick(HeightCahrtView& chart, Qt::MouseButton button) {
        const QPoint at(200, 200);
        QMouseEvent event(QEvent::MouseButtonDblClick, at, chart.mapToGlobal(at), button, button, Qt::NoModifier);
        QApplication::sendEvent(&chart, &event);
    }
};

TEST_F(HeightChart, SetUp) {
    HeightCahrtView chart;
    EXPECT_EQ(chart.xAxis->range(), QCPRange(0, 5999));
    EXPECT_EQ(chart.yAxis->range(), QCPRange(-3000, 0));
    EXPECT_EQ(chart.graph(0)->pen().color(), QColor(255, 255, 0));
    EXPECT_EQ(chart.graph(0)->dataCount(), 0);
    EXPECT_TRUE(chart.readout()->isHidden());
    EXPECT_EQ(chart.pixmapItem()->topLeft->coords(), QPointF(0, 0));
    EXPECT_EQ(chart.pixmapItem()->bottomRight->coords(), QPointF(5999, -30000));
    EXPECT_EQ(chart.yAxis2->label(), " ");
    EXPECT_FALSE(chart.xAxis2->tickLabels());
    EXPECT_FALSE(chart.xAxis->grid()->visible());
    EXPECT_EQ(chart.interactions(), QCP::Interactions()) << "no panning or wheel zoom";
    EXPECT_TRUE(chart.gridGraphs().isEmpty());
}

TEST_F(HeightChart, TickLabelsFromTheSharedTable) {
    HeightCahrtView chart;
    EXPECT_EQ(labels(chart.xAxis, 0, 1100), (QVector<QString>{"0", "0", "0"})) << "no coordinates yet";

    chart.setXCoordinates(ramp(2000, -5.0, 0.01));
    EXPECT_EQ(labels(chart.xAxis, 0, 1100), (QVector<QString>{"-5.000", "0.120", "5.240"}));
    // Ticks past the last point show the last coordinate, before the first the first.
    EXPECT_EQ(labels(chart.xAxis, 1500, 2100), (QVector<QString>{"10.360", "14.990"}));
    EXPECT_EQ(labels(chart.xAxis, -600, -400), (QVector<QString>{"-5.000"}));

    // A table starting at 0 gives whole numbers.
    xCoordinateTable.clear();
    chart.setXCoordinates(ramp(2000, 0.0, 0.5));
    EXPECT_EQ(labels(chart.xAxis, 0, 1100), (QVector<QString>{"0", "256", "512"}));

    EXPECT_EQ(labels(chart.yAxis, -6500, 0), (QVector<QString>{"6000", "3000", "0"}));
}

// A sensor's coordinates ("-20.475" and the like) on narrower and narrower
// charts: fewer ticks, never labels that run together, and the ticks stay on
// the grid's eighths.
TEST_F(HeightChart, TickLabelsKeepApartAtEveryWidth) {
    HeightCahrtView chart;
    chart.setXCoordinates(ramp(4096, -20.475, 0.01));
    chart.resetRange();
    const QFontMetrics metrics(chart.xAxis->tickLabelFont());
    for (const int width : {900, 460, 300, 200, 120}) {
        SCOPED_TRACE(width);
        chart.resize(width, 400);
        chart.show();
        chart.replot(QCustomPlot::rpImmediateRefresh);
        chart.replot(QCustomPlot::rpImmediateRefresh);  // the count found at the first layout
        const QVector<double> ticks = chart.xAxis->tickVector();
        const QVector<QString> texts = chart.xAxis->tickVectorLabels();
        ASSERT_GE(ticks.size(), 1);
        const double step = static_cast<QCPAxisTickerFixed*>(chart.xAxis->ticker().data())->tickStep();
        const double divisions = chart.xAxis->range().size() / step;
        if (ticks.size() > 1)
            EXPECT_TRUE(std::abs(divisions - std::round(divisions)) < 1e-6 &&
                        8 % static_cast<int>(std::round(divisions)) == 0)
                << divisions;
        if (width >= 900) EXPECT_EQ(std::lround(divisions), 8) << "room for all eight";
        for (int i = 0; i + 1 < ticks.size(); ++i) {
            const double rightEnd = chart.xAxis->coordToPixel(ticks[i]) + metrics.horizontalAdvance(texts[i]) / 2.0;
            const double leftEnd = chart.xAxis->coordToPixel(ticks[i + 1]) - metrics.horizontalAdvance(texts[i + 1]) / 2.0;
            EXPECT_GT(leftEnd - rightEnd, metrics.horizontalAdvance(QLatin1Char('0')))
                << texts[i].toStdString() << " | " << texts[i + 1].toStdString();
        }
    }
}

TEST_F(HeightChart, XCoordinatesKeepTheLongestProfile) {
    HeightCahrtView chart;
    HeightCahrtView other;
    chart.setXCoordinates(QVector<double>(100, 0.0));  // both ends 0: sized, nothing else
    EXPECT_EQ(xCoordinateTable.size(), 100);
    EXPECT_EQ(chart.defaultXRange().upper, 5999);

    chart.setXCoordinates(ramp(100, -1, 0.02));
    EXPECT_EQ(xCoordinateTable[99], -1 + 99 * 0.02);
    EXPECT_EQ(chart.defaultXRange().upper, 99);
    EXPECT_EQ(chart.pixmapItem()->bottomRight->coords().x(), 99);

    chart.setXCoordinates(ramp(50, 7, 1));  // shorter: ignored
    EXPECT_EQ(xCoordinateTable.size(), 100);
    EXPECT_EQ(xCoordinateTable[0], -1);
    EXPECT_EQ(chart.defaultXRange().upper, 99);

    // A longer profile grows the table whole (every point gets its coordinate).
    other.setXCoordinates(ramp(300, -3, 0.02));
    EXPECT_EQ(xCoordinateTable.size(), 300);
    EXPECT_EQ(xCoordinateTable[299], -3 + 299 * 0.02);
    EXPECT_EQ(labels(chart.xAxis, 0, 600), (QVector<QString>{"-3.000", "2.980"}))
        << "the table is shared by every chart";
}

TEST_F(HeightChart, ZoomsScrollsAndResets) {
    HeightCahrtView chart;
    QSignalSpy xs(&chart, &HeightCahrtView::signal_rangChangeX);
    QSignalSpy ys(&chart, &HeightCahrtView::signal_rangChangeY);
    for (int i = 0; i < 6; ++i) chart.zoomInX();
    EXPECT_EQ(chart.xAxis->range(), QCPRange(500, 5499));
    EXPECT_EQ(xs.count(), 5);
    EXPECT_EQ(xs.last()[0].toPointF(), QPointF(500, 5499));
    EXPECT_EQ(xs.last()[2].toDouble(), 5999);

    chart.zoomOutX();
    EXPECT_EQ(chart.xAxis->range(), QCPRange(400, 5599));
    // Scrolled to the left bound, a zoom-out stays inside the default range.
    chart.scrollX(0);
    EXPECT_EQ(chart.xAxis->range(), QCPRange(0, 5199));
    chart.zoomOutX();
    EXPECT_EQ(chart.xAxis->range(), QCPRange(0, 5399));
    chart.scrollX(800);
    chart.zoomOutX();
    EXPECT_EQ(chart.xAxis->range(), QCPRange(400, 5999));
    for (int i = 0; i < 5; ++i) chart.zoomOutX();
    EXPECT_EQ(chart.xAxis->range(), QCPRange(0, 5999));

    chart.zoomInY();
    EXPECT_EQ(chart.yAxis->range(), QCPRange(-2500, -500));
    chart.scrollY(-1000);
    EXPECT_EQ(chart.yAxis->range(), QCPRange(-3000, -1000));
    chart.zoomOutY();
    EXPECT_EQ(chart.yAxis->range(), QCPRange(-3000, 0));
    EXPECT_EQ(ys.count(), 2);

    chart.setRowCount(20);
    chart.zoomInX();
    xs.clear();
    chart.resetRange();
    EXPECT_EQ(chart.xAxis->range(), QCPRange(0, 5999));
    EXPECT_EQ(chart.yAxis->range(), QCPRange(-20, 0));
    ASSERT_EQ(xs.count(), 1);
    EXPECT_EQ(ys.last()[0].toPointF(), QPointF(-20, 0));
    EXPECT_EQ(ys.last()[1].toDouble(), -20);

    // Tick steps follow the range: eighths and tenths.
    const auto* ticker = static_cast<QCPAxisTickerFixed*>(chart.xAxis->ticker().data());
    EXPECT_DOUBLE_EQ(ticker->tickStep(), 5999.0 / 8);
    EXPECT_DOUBLE_EQ(static_cast<QCPAxisTickerFixed*>(chart.yAxis->ticker().data())->tickStep(), 2.0);
}

TEST_F(HeightChart, DoubleClickResetsOnTheLeftButtonOnly) {
    HeightCahrtView chart;
    chart.resize(600, 400);
    chart.zoomInX();
    chart.zoomInY();
    doubleClick(chart, Qt::RightButton);
    EXPECT_EQ(chart.xAxis->range(), QCPRange(100, 5899));
    QSignalSpy xs(&chart, &HeightCahrtView::signal_rangChangeX);
    doubleClick(chart, Qt::LeftButton);
    EXPECT_EQ(chart.xAxis->range(), QCPRange(0, 5999));
    EXPECT_EQ(chart.yAxis->range(), QCPRange(-3000, 0));
    EXPECT_EQ(xs.count(), 1);
}

TEST_F(HeightChart, GridLinesAndThePicture) {
    HeightCahrtView chart;
    QPixmap picture(4, 2);
    picture.fill(Qt::gray);
    chart.setHeightPixmap(picture, 20);
    EXPECT_EQ(chart.pixmapItem()->bottomRight->coords(), QPointF(5999, -20));
    ASSERT_EQ(chart.gridGraphs().size(), 18);
    const QPen pen = chart.gridGraphs()[0]->pen();
    EXPECT_EQ(pen.color(), QColor(50, 50, 50, 200));
    EXPECT_EQ(pen.style(), Qt::DashLine);
    // Ten horizontal lines from 300 below the top, eight vertical ones from 749 left of the right end.
    EXPECT_EQ(chart.gridGraphs()[0]->data()->at(0)->value, -300);
    EXPECT_EQ(chart.gridGraphs()[9]->data()->at(0)->value, -3000);
    EXPECT_EQ(chart.gridGraphs()[0]->data()->at(1)->key, 5999);
    EXPECT_EQ(chart.gridGraphs()[10]->data()->at(0)->key, 5250);
    EXPECT_EQ(chart.gridGraphs()[17]->data()->at(0)->key, 7);
    EXPECT_EQ(chart.gridGraphs()[17]->data()->at(1)->value, 0);

    chart.setHeightPixmap(QPixmap(), 50);  // a null picture changes nothing but the grid
    EXPECT_EQ(chart.pixmapItem()->bottomRight->coords(), QPointF(5999, -20));
    EXPECT_EQ(chart.gridGraphs().size(), 18);
}

TEST_F(HeightChart, CursorsAndTheReadoutInMillimetres) {
    HeightCahrtView chart;
    chart.resize(700, 500);
    chart.show();
    QApplication::processEvents();
    const QString initial = readoutText(chart, "label_t_11");
    chart.showCursors();
    EXPECT_TRUE(chart.cursorLines()->record().visible);
    EXPECT_DOUBLE_EQ(chart.cursorLines()->record().A, 5999.0 / 3);
    EXPECT_DOUBLE_EQ(chart.cursorLines()->record().B, 5999 - 5999.0 / 3);
    EXPECT_FALSE(chart.readout()->isHidden());
    EXPECT_EQ(chart.readout()->geometry(), QRect(700 - 225, 500 - 100, 200, 70));
    EXPECT_EQ(readoutText(chart, "label_t_11"), initial) << "no coordinates: the read-out is not filled";

    chart.resize(900, 600);
    QApplication::processEvents();
    EXPECT_EQ(chart.readout()->geometry(), QRect(900 - 225, 600 - 100, 200, 70)) << "it follows the corner";

    chart.setXCoordinates(ramp(4000, -4.0, 0.002));
    chart.cursorLines()->setAB(100.7, 5000);  // B beyond the table: the last point
    EXPECT_EQ(readoutText(chart, "label_t_10"), "光标A(X)");
    EXPECT_EQ(readoutText(chart, "label_t_11"), "-3.800");
    EXPECT_EQ(readoutText(chart, "label_t_21"), "3.998");
    EXPECT_EQ(readoutText(chart, "label_t_31"), "7.798");
    chart.cursorLines()->setAB(-50, 10);
    EXPECT_EQ(readoutText(chart, "label_t_11"), "-4.000");
    EXPECT_EQ(chart.cursorLines()->record().A, -50) << "the lines keep their own units";
    mirevo::test::saveGrab(chart, "height_chart_cursors");

    chart.hideCursors();
    EXPECT_TRUE(chart.readout()->isHidden());
    EXPECT_FALSE(chart.cursorLines()->record().visible);
    chart.resize(800, 600);
    QApplication::processEvents();
    EXPECT_TRUE(chart.readout()->isHidden());
}

}  // namespace
