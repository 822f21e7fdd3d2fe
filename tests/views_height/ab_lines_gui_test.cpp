// The A/B cursor lines on a QCustomPlot: positions, linking, showing and
// hiding, and the mouse rules.
#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <qcustomplot.h>

#include "views/height/qcustomplot_alline.h"

namespace {

using ABStruct = qcustomplot_alline::ABStruct;

class ABLines : public ::testing::Test {
protected:
    void SetUp() override {
        plot_.resize(600, 400);
        plot_.xAxis->setRange(0, 6000);
        plot_.yAxis->setRange(-3000, 0);
        plot_.replot();
    }

    ABStruct lastSent(QSignalSpy& spy) { return spy.last()[0].value<ABStruct>(); }

    // A mouse event at the pixel column whose coordinate is returned.
    double send(QEvent::Type type, int px, Qt::MouseButtons buttons = Qt::LeftButton) {
        const QPoint at(px, 200);
        QMouseEvent event(type, at, plot_.mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          buttons, Qt::NoModifier);
        QApplication::sendEvent(&plot_, &event);
        return plot_.xAxis->pixelToCoord(px);
    }

    QCustomPlot plot_;
};

TEST_F(ABLines, SetABUnlinkedAndLinked) {
    qcustomplot_alline lines(&plot_, false);
    QSignalSpy spy(&lines, &qcustomplot_alline::signal_ABChange);
    lines.setAB(1000, 3000);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(lastSent(spy).A, 1000);
    EXPECT_EQ(lastSent(spy).B, 3000);
    EXPECT_EQ(lastSent(spy).mode, 0);
    EXPECT_FALSE(lastSent(spy).horizontal);

    struct Step {
        double a, b, expectedA, expectedB;
    } steps[] = {
        {1010, 0, 1010, 3010},     // A moved by 10: B follows, b ignored
        {1010, 2000, 0, 2000},     // a equals A: the pair moves to the new b
        {0, 2000, 0, 2000},        // nothing changed: nothing moves
    };
    lines.setLinked(true);
    for (const Step& s : steps) {
        lines.setAB(s.a, s.b);
        EXPECT_EQ(lines.record().A, s.expectedA) << s.a << "," << s.b;
        EXPECT_EQ(lines.record().B, s.expectedB) << s.a << "," << s.b;
        EXPECT_TRUE(lastSent(spy).linked);
    }
    EXPECT_EQ(spy.count(), 4) << "every call reports";
    lines.setLinked(false);
    lines.setAB(5, 7);
    EXPECT_EQ(lines.record().A, 5);
    EXPECT_EQ(lines.record().B, 7);
}

TEST_F(ABLines, ShowAndHideVerticalLines) {
    const int graphsBefore = plot_.graphCount();
    qcustomplot_alline lines(&plot_, false);
    ASSERT_EQ(plot_.graphCount(), graphsBefore + 2);
    QCPGraph* a = plot_.graph(graphsBefore);
    QCPGraph* b = plot_.graph(graphsBefore + 1);
    EXPECT_EQ(a->pen().color(), QColor(0, 255, 255));
    lines.setAB(1000, 4000);
    lines.showLines();
    EXPECT_TRUE(lines.record().visible);
    ASSERT_EQ(a->data()->size(), 2);
    EXPECT_EQ(a->data()->at(0)->key, 1000);
    EXPECT_EQ(a->data()->at(0)->value, -3000);
    EXPECT_EQ(a->data()->at(1)->value, 0);
    EXPECT_EQ(b->data()->at(0)->key, 4000);

    QList<QCPItemText*> tags;
    for (int i = 0; i < plot_.itemCount(); ++i)
        if (auto* tag = qobject_cast<QCPItemText*>(plot_.item(i))) tags << tag;
    ASSERT_EQ(tags.size(), 2);
    EXPECT_EQ(tags[0]->text(), "A");
    EXPECT_EQ(tags[1]->text(), "B");
    EXPECT_EQ(tags[0]->layer()->name(), "overlay");
    EXPECT_TRUE(tags[0]->visible());
    EXPECT_EQ(tags[0]->position->coords(), QPointF(1000, 0));
    EXPECT_EQ(tags[1]->position->coords(), QPointF(4000, 0));
    EXPECT_EQ(tags[0]->brush().color(), QColor(0, 255, 255));
    lines.setLinked(true);
    EXPECT_EQ(tags[0]->brush().color(), QColor(145, 206, 250));
    EXPECT_EQ(a->pen().color(), QColor(0, 255, 255)) << "the lines keep their pen";

    // Visible lines follow a range change.
    plot_.yAxis->setRange(-500, 0);
    EXPECT_EQ(a->data()->at(0)->value, -500);

    lines.hideLines();
    EXPECT_FALSE(lines.record().visible);
    EXPECT_TRUE(a->data()->isEmpty());
    EXPECT_TRUE(b->data()->isEmpty());
    EXPECT_FALSE(tags[0]->visible());
    EXPECT_TRUE(lines.record().linked) << "the linked state survives hiding";
    plot_.yAxis->setRange(-3000, 0);
    EXPECT_TRUE(a->data()->isEmpty()) << "hidden lines do not follow ranges";
}

TEST_F(ABLines, HorizontalLinesLieAcrossTheXRange) {
    qcustomplot_alline lines(&plot_, true);
    const int first = plot_.graphCount() - 2;
    lines.setAB(-100, -2000);
    lines.showLines();
    QCPGraph* a = plot_.graph(first);
    ASSERT_EQ(a->data()->size(), 2);
    EXPECT_EQ(a->data()->at(0)->key, 0);
    EXPECT_EQ(a->data()->at(1)->key, 6000);
    EXPECT_EQ(a->data()->at(0)->value, -100);
    EXPECT_TRUE(lines.record().horizontal);
}

TEST_F(ABLines, PressesTakeALineStrictlyWithinTheTolerance) {
    qcustomplot_alline lines(&plot_, false);
    const double p = plot_.xAxis->pixelToCoord(300);
    struct Case {
        const char* name;
        double a, b;
        int expected;
    } cases[] = {
        {"exactly 100 from A: nothing", p + 100, p + 1000, 0},
        {"just inside from A", p + 99.9, p + 1000, 1},
        {"B in reach, A not", p - 500, p - 99.9, 2},
        {"both in reach: A wins", p + 50, p - 10, 1},
        {"both on the same place: A", p, p, 1},
    };
    lines.showLines();
    for (const Case& c : cases) {
        lines.setAB(c.a, c.b);
        lines.showLines();
        send(QEvent::MouseButtonPress, 300);
        EXPECT_EQ(lines.record().dragState, c.expected) << c.name;
        send(QEvent::MouseButtonRelease, 300, Qt::NoButton);
        EXPECT_EQ(lines.record().dragState, 0) << c.name;
    }
}

TEST_F(ABLines, DraggingMovesTheHeldLine) {
    qcustomplot_alline lines(&plot_, false);
    QSignalSpy spy(&lines, &qcustomplot_alline::signal_ABChange);
    const double p = plot_.xAxis->pixelToCoord(200);
    lines.setAB(p + 20, 5000);
    lines.showLines();
    send(QEvent::MouseButtonPress, 200);
    ASSERT_EQ(lines.record().dragState, 1);
    const double to = send(QEvent::MouseMove, 250);
    EXPECT_EQ(lines.record().A, to);
    EXPECT_EQ(lines.record().B, 5000);
    EXPECT_EQ(lastSent(spy).A, to);
    EXPECT_EQ(lastSent(spy).dragState, 1);
    EXPECT_EQ(plot_.cursor().shape(), Qt::SizeHorCursor);
    send(QEvent::MouseButtonRelease, 250, Qt::NoButton);
    send(QEvent::MouseMove, 500, Qt::NoButton);
    EXPECT_EQ(lines.record().A, to);
    EXPECT_EQ(plot_.cursor().shape(), Qt::ArrowCursor);

    // Linked, dragging B carries A along.
    lines.setLinked(true);
    const double b = lines.record().B;
    const double bPixel = plot_.xAxis->coordToPixel(b);
    send(QEvent::MouseButtonPress, static_cast<int>(bPixel));
    ASSERT_EQ(lines.record().dragState, 2);
    const double bTo = send(QEvent::MouseMove, static_cast<int>(bPixel) + 40);
    EXPECT_DOUBLE_EQ(lines.record().B, bTo);
    EXPECT_DOUBLE_EQ(lines.record().B - lines.record().A, b - to);
}

TEST_F(ABLines, HiddenLinesIgnoreTheMouse) {
    qcustomplot_alline lines(&plot_, true);
    QSignalSpy spy(&lines, &qcustomplot_alline::signal_ABChange);
    lines.setAB(-1000, -2000);
    spy.clear();
    send(QEvent::MouseButtonPress, 300);
    send(QEvent::MouseMove, 310);
    EXPECT_EQ(lines.record().dragState, 0);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(lines.horizontalTolerance(), 150.0);
    lines.showLines();
    send(QEvent::MouseMove, 310, Qt::NoButton);
    EXPECT_NEAR(lines.horizontalTolerance(), 3000.0 / 28000.0 * 100.0, 1e-9);
}

}  // namespace
