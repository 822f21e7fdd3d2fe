// The profile window's composition and the parts that need no sensor.
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>

#include <gtest/gtest.h>

#include "tests/support/qt/qt_test_env.h"
#include "views/profile/kx_outline_widget.h"
#include "views/profile/outline_chart_area_view.h"
#include "views/profile/outline_chart_widget.h"
#include "views/profile/outline_dead_angle_dlg.h"

TEST(ProfileWindowForm, ButtonsSizesToolTipsAndWhichShow) {
    OutlineChartWidget window;
    window.show();
    EXPECT_EQ(window.windowTitle(), "Form");
    struct Button {
        const char* name;
        int size;
        const char* tip;
        bool shown;
    };
    const Button buttons[] = {
        {"pushButton_full_img", 25, "全副图", false},
        {"pushButton_select_outline", 25, "轮廓", false},
        {"pushButton_outline_gray", 25, "高度图", false},
        {"pushButton_outline_area", 25, "区域图", false},
        {"pushButton_y_zoom_in", 25, "Z轴放大", false},
        {"pushButton_y_zoom_out", 25, "Z轴缩小", false},
        {"pushButton_x_zoom_in", 25, "X轴放大", false},
        {"pushButton_x_zoom_out", 25, "X轴缩小", false},
        {"pushButton_xy_zoom_reset", 30, "重置XZ轴", true},
        {"pushButton_abline_y", 30, "纵光标", true},
        {"pushButton_ABLine", 30, "横光标", true},
        {"pushButton_abline_hide", 30, "隐藏光标", true},
        {"pushButton_abline_both", 30, "选择双光标", false},
        {"pushButton_show_review", 30, "", false},
        {"pushButton_out_view_data_copy", 30, "", true},
        {"pushButton_out_view_data", 30, "导出csv,tiff,pcd,ply", true},
        {"pushButton_outline_dead_angle", 30, "", false},
    };
    for (const Button& b : buttons) {
        auto* button = window.findChild<QPushButton*>(b.name);
        ASSERT_NE(button, nullptr) << b.name;
        EXPECT_EQ(button->minimumSize(), QSize(b.size, b.size)) << b.name;
        EXPECT_EQ(button->maximumSize(), QSize(b.size, b.size)) << b.name;
        EXPECT_EQ(button->toolTip(), QString(b.tip)) << b.name;
        EXPECT_EQ(button->isVisible(), b.shown) << b.name;
        EXPECT_TRUE(button->text().isEmpty()) << b.name;
    }
    EXPECT_EQ(window.findChild<KxOutlineWidget*>("widget"), window.plot());
    EXPECT_EQ(window.findChild<QWidget*>("horizontalWidget_chart_top")->maximumWidth(), 50);
    ASSERT_NE(window.preview(), nullptr);
    EXPECT_EQ(window.preview()->parentWidget(), &window);
    EXPECT_FALSE(window.preview()->isVisible());
}

TEST(ProfileWindowForm, StyleSheetGivesTheButtonsTheirIcons) {
    QFile qss(":/res/res/LineLaserQss.qss");
    ASSERT_TRUE(qss.open(QIODevice::ReadOnly));
    OutlineChartWidget window;
    window.setStyleSheet(QString::fromUtf8(qss.readAll()));
    window.resize(667, 581);
    window.show();
    QCoreApplication::processEvents();
    for (const char* name : {"pushButton_xy_zoom_reset", "pushButton_abline_y", "pushButton_ABLine",
                             "pushButton_abline_hide", "pushButton_out_view_data_copy", "pushButton_out_view_data"}) {
        auto* button = window.findChild<QPushButton*>(name);
        EXPECT_FALSE(button->icon().isNull()) << name;
        EXPECT_EQ(button->iconSize(), QSize(25, 25)) << name;
    }
    mirevo::test::saveGrab(window, "profile_window_styled");
}

TEST(ProfileWindowForm, SignalsOfTheFullImageButtonAndTheCloseEvent) {
    OutlineChartWidget window;
    QSignalSpy full(&window, &OutlineChartWidget::signal_FullImgBtn);
    QSignalSpy closed(&window, &OutlineChartWidget::signal_close);
    window.findChild<QPushButton*>("pushButton_full_img")->click();
    EXPECT_EQ(full.count(), 1);
    window.show();
    window.close();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(window.isVisible());
}

TEST(ProfileWindowForm, NullsItsCreatorsPointerWhenDestroyed) {
    OutlineChartWidget* member = new OutlineChartWidget;
    member->setOwnerPointer(&member);
    delete member;
    EXPECT_EQ(member, nullptr);
}

TEST(ProfileWindowForm, DeadAngleButtonRunsTheDialogModallyAndChangesNothing) {
    OutlineChartWidget window;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<OutLineDeadAngleDlg*>(QApplication::activeModalWidget());
        seen = dialog != nullptr && dialog->parentWidget() == nullptr;
        if (dialog) dialog->findChild<QPushButton*>("pushButton_ok")->click();
    });
    window.findChild<QPushButton*>("pushButton_outline_dead_angle")->click();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(window.plot()->canvas().xCursors().isEmpty());
}

namespace {

// Widget position of a chart value.
QPointF viewPoint(OutLineChartAreaView& view, QPointF value) {
    const QPointF scene = view.chart()->mapToPosition(value, view.profileSeries());
    return view.viewportTransform().map(scene);
}

void sendMouse(OutLineChartAreaView& view, QEvent::Type type, QPointF at) {
    QMouseEvent event(type, at, view.mapToGlobal(at.toPoint()), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &event);
}

}  // namespace

TEST(ProfilePreviewChart, PollsOnlyWhileVisible) {
    OutLineChartAreaView view;
    EXPECT_FALSE(view.isVisible());
    EXPECT_FALSE(view.polling());
    view.show();
    EXPECT_TRUE(view.polling());
    view.hide();
    EXPECT_FALSE(view.polling());
    view.show();
    EXPECT_TRUE(view.polling());
}

TEST(ProfilePreviewChart, ArrowKeysMoveTheRectangleByTenAnywhere) {
    OutLineChartAreaView view;
    QSignalSpy moved(&view, &OutLineChartAreaView::signal_RectangleMove);
    const std::pair<int, QList<QVariant>> keys[] = {
        {Qt::Key_Left, {-10, -10, 0, 0}},
        {Qt::Key_Up, {-10, -10, 10, 10}},
        {Qt::Key_Right, {0, 0, 10, 10}},
        {Qt::Key_Down, {0, 0, 0, 0}},
    };
    for (int i = 0; i < 5; ++i) {
        QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &left);
    }
    EXPECT_EQ(view.rectangle().xMin, -50) << "not limited to the axes";
    moved.clear();
    for (int i = 0; i < 5; ++i) {
        QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &right);
    }
    moved.clear();
    for (const auto& [key, expected] : keys) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &event);
        ASSERT_FALSE(moved.isEmpty());
        EXPECT_EQ(moved.takeLast(), expected) << key;
    }
    EXPECT_EQ(view.rectangleSeries()->count(), 5) << "a closed outline";
    QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &other);
    EXPECT_TRUE(moved.isEmpty());
}

TEST(ProfilePreviewChart, APressOnTheEmptyRectangleAtTheOriginDragsIt) {
    OutLineChartAreaView view;
    view.show();
    QCoreApplication::processEvents();
    QSignalSpy moved(&view, &OutLineChartAreaView::signal_RectangleMove);

    sendMouse(view, QEvent::MouseButtonPress, viewPoint(view, QPointF(200, 200)));  // elsewhere: no drag
    sendMouse(view, QEvent::MouseMove, viewPoint(view, QPointF(300, 250)));
    sendMouse(view, QEvent::MouseButtonRelease, viewPoint(view, QPointF(300, 250)));
    EXPECT_TRUE(moved.isEmpty());

    sendMouse(view, QEvent::MouseButtonPress, viewPoint(view, QPointF(0, 0)));
    sendMouse(view, QEvent::MouseMove, viewPoint(view, QPointF(320, 250)));
    sendMouse(view, QEvent::MouseButtonRelease, viewPoint(view, QPointF(320, 250)));
    ASSERT_EQ(moved.count(), 1);
    const auto r = view.rectangle();
    EXPECT_NEAR(r.xMin, 320, 4);
    EXPECT_EQ(r.xMin, r.xMax);
    EXPECT_NEAR(r.yMin, 250, 6);
}
