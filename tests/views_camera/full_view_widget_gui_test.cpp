// The camera image page's form and its slots, without a sensor.
#include <gtest/gtest.h>

#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include "tests/support/qt/qt_test_env.h"
#include "views/camera/full_view_widget.h"
#include "views/camera/img_graphics_view.h"
#include "views/profile/outline_chart_widget.h"

namespace {

QPixmap greyPixmap(int width, int height) {
    QImage image(width, height, QImage::Format_Grayscale8);
    image.fill(90);
    return QPixmap::fromImage(image);
}

class FullViewWidgetTest : public testing::Test {
protected:
    FullViewWidget page;
    ImgGraphicsView& view() { return *page.graphicsView(); }
    showfullimg& scene() { return *view().scene; }
    QStackedWidget& stack() { return *page.findChild<QStackedWidget*>(QStringLiteral("stackedWidget")); }
    // The profile chart on the second stack page has buttons of the same names.
    QPushButton* button(const char* name) {
        return stack().widget(0)->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    void showFrame() { scene().setImage(greyPixmap(2032, 304), std::vector<float>(2032, 100.0f)); }
};

TEST_F(FullViewWidgetTest, FormHasItsButtonsAndPagesByName) {
    EXPECT_EQ(page.size(), QSize(658, 560));
    EXPECT_EQ(page.windowTitle(), QStringLiteral("Form"));
    for (const char* name : {"pushButton_xy_zoom_reset", "pushButton_zoom_in", "pushButton_zoom_out",
                             "pushButton_light_show", "pushButton_outimg"}) {
        QPushButton* b = button(name);
        ASSERT_NE(b, nullptr) << name;
        EXPECT_EQ(b->size(), QSize(30, 30)) << name;
        EXPECT_TRUE(b->text().isEmpty()) << name;
        EXPECT_FALSE(b->icon().isNull()) << name << " has its icon";
    }
    EXPECT_EQ(stack().count(), 2);
    EXPECT_EQ(stack().currentIndex(), 0);
    EXPECT_EQ(stack().widget(0)->objectName(), QStringLiteral("page_fullview_1"));
    EXPECT_EQ(stack().widget(1)->objectName(), QStringLiteral("page_2"));
    EXPECT_EQ(&view(), page.findChild<ImgGraphicsView*>(QStringLiteral("graphicsView_img")));
    EXPECT_TRUE(view().hasMouseTracking());
}

TEST_F(FullViewWidgetTest, TheProfileChartSendsTheStackBackToTheImage) {
    auto* chart = qobject_cast<OutlineChartWidget*>(stack().widget(1));
    ASSERT_NE(chart, nullptr);
    stack().setCurrentIndex(1);
    emit chart->signal_FullImgBtn();
    EXPECT_EQ(stack().currentIndex(), 0);
}

TEST_F(FullViewWidgetTest, OnlyBothXsNegativeEndRectangleMode) {
    page.slots_add_Polygon(-1, 5, 3, 7);
    EXPECT_EQ(view().rectMode, 1);
    EXPECT_EQ(scene().rectStart(), QPoint(-1, 5));
    EXPECT_EQ(scene().rectEnd(), QPoint(3, 7));
    page.slots_add_Polygon(-1, -1, -1, -1);
    EXPECT_EQ(view().rectMode, 0);
    EXPECT_EQ(scene().rectStart(), QPoint(-1, 5)) << "ending keeps the corners";
    page.slots_add_Polygon(0, 0, 0, 0);
    EXPECT_EQ(view().rectMode, 1);
}

TEST_F(FullViewWidgetTest, CursorsShowAtOnceAndABoundaryOf2048HidesOnlyTheLine) {
    showFrame();
    page.slot_set_cursor_x(10, 40, 100, 50, 2048);
    ASSERT_NE(scene().cursorItem(0), nullptr);
    EXPECT_NE(scene().cursorItem(0)->scene(), nullptr);
    EXPECT_NE(scene().cursorItem(1)->scene(), nullptr);
    EXPECT_EQ(scene().cursorItem(1)->rect(), QRectF(5000, 0, 2500, 50.0 * 302)) << "start 100, end 50";
    EXPECT_EQ(scene().boundaryItem()->scene(), nullptr);
    page.slot_set_cursor_x(10, -1, 100, 150, 300);
    EXPECT_EQ(scene().cursorItem(0)->scene(), nullptr);
    EXPECT_NE(scene().boundaryItem()->scene(), nullptr);
}

TEST_F(FullViewWidgetTest, ZoomButtonsAndTheLightButton) {
    showFrame();
    button("pushButton_zoom_in")->click();
    button("pushButton_zoom_in")->click();
    EXPECT_EQ(scene().zoomLevel(), 2);
    button("pushButton_zoom_out")->click();
    EXPECT_EQ(scene().zoomLevel(), 1);
    const QTransform before = view().transform();
    button("pushButton_light_show")->click();
    EXPECT_EQ(scene().zoomLevel(), 1);
    EXPECT_EQ(view().transform(), before);
    button("pushButton_xy_zoom_reset")->click();
    EXPECT_EQ(scene().zoomLevel(), 0);
}

TEST_F(FullViewWidgetTest, GrabShowsTheHeaderAndTheImage) {
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    showFrame();
    scene().fitView();
    const QImage grab = mirevo::test::saveGrab(page, QStringLiteral("full_view_widget"));
    EXPECT_EQ(grab.pixelColor(5, 300), QColor(30, 30, 30)) << "the header's background";
    const QPoint centre = view().mapTo(&page, view().mapFromScene(QPointF(50.0 * 1000, 50.0 * 50)));
    EXPECT_EQ(qGray(grab.pixel(centre)), 90) << "the image";
}

}  // namespace
