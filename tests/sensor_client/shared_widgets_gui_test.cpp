#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QVBoxLayout>

#include "sensor_client/qg_groupbox.h"
#include "sensor_client/wait_loading_dialog.h"
#include "sensor_client/widget_utils.h"
#include "tests/support/qt/qt_test_env.h"

namespace {

TEST(CenterOnWidget, PutsTheCentreOnTheParentsCentre) {
    QWidget parent;
    parent.setGeometry(100, 50, 1000, 601);
    QWidget child;
    child.resize(250, 250);
    centerOnWidget(&child, &parent);
    EXPECT_EQ(child.pos(), QPoint(475, 225));
}

TEST(CenterOnWidget, WithoutAParentNothingMoves) {
    QWidget child;
    child.setGeometry(12, 34, 250, 250);
    centerOnWidget(&child, nullptr);
    EXPECT_EQ(child.pos(), QPoint(12, 34));
}

TEST(WaitLoadingDialog, IsAFixedFramelessToolWindowWithItsTip) {
    WaitLoadingDialog dialog;
    EXPECT_EQ(dialog.objectName(), "WaitLoadingDialogClass");
    EXPECT_EQ(dialog.size(), QSize(250, 250));
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(dialog.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    auto* tips = dialog.findChild<QLabel*>("tips");
    ASSERT_NE(tips, nullptr);
    EXPECT_TRUE(tips->text().isEmpty());
    dialog.show();
    EXPECT_EQ(tips->text(), QString::fromUtf8("请稍候..."));
    EXPECT_FALSE(dialog.isModal());
}

TEST(WaitLoadingDialog, PaintsAWhiteRoundedCardInsideANinePixelMargin) {
    WaitLoadingDialog dialog;
    dialog.show();
    const QImage image = mirevo::test::saveGrab(dialog, "wait_loading_dialog");
    ASSERT_EQ(image.size(), QSize(250, 250));
    // Inside the card, away from the animation and the tip: white.
    for (QPoint p : {QPoint(20, 125), QPoint(230, 125), QPoint(125, 228), QPoint(30, 30)})
        EXPECT_EQ(image.pixelColor(p).rgb() & 0xFFFFFF, 0xFFFFFFu) << p.x() << "," << p.y();
    // The margin holds no white (a shadow at most).
    for (int i = 0; i < 250; i += 7) {
        for (QPoint p : {QPoint(i, 3), QPoint(3, i), QPoint(i, 246), QPoint(246, i)}) {
            const QColor c = image.pixelColor(p);
            EXPECT_FALSE(c.alpha() == 255 && c.red() == 255 && c.green() == 255 && c.blue() == 255)
                << p.x() << "," << p.y();
        }
    }
    // The rounded corner leaves its very corner unpainted.
    EXPECT_NE(image.pixelColor(9, 9).rgba(), QColor(Qt::white).rgba());
}

TEST(WaitLoadingDialog, CancelEmitsAndHidesEvenWhenNotShown) {
    WaitLoadingDialog dialog;
    QSignalSpy cancelled(&dialog, &WaitLoadingDialog::cancelWaiting);
    dialog.cancelBtnClicked();
    EXPECT_EQ(cancelled.count(), 1);
    dialog.show();
    ASSERT_TRUE(dialog.isVisible());
    dialog.cancelBtnClicked();
    EXPECT_EQ(cancelled.count(), 2);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), -1);
}

TEST(QGGroupbox, AClickOnAnEmptySpotEndsTheEditOfAFieldInside) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* box = new QGGroupbox(&window);
    box->setMinimumSize(300, 200);
    auto* inner = new QVBoxLayout(box);
    auto* spin = new QSpinBox(box);
    inner->addWidget(spin);
    inner->addStretch();
    layout->addWidget(box);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    spin->setFocus();
    ASSERT_TRUE(spin->hasFocus());
    QSignalSpy editingFinished(spin, &QSpinBox::editingFinished);
    QSignalSpy clicked(box, &QGGroupbox::clicked1);

    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(150, 180));
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_FALSE(spin->hasFocus());
    EXPECT_EQ(editingFinished.count(), 1);
    // The focus sink takes no visible room.
    auto* sink = window.findChild<QLineEdit*>();
    ASSERT_NE(sink, nullptr);
    EXPECT_LE(sink->width(), 1);
}

TEST(CopyTextToClipboard, PutsPlainTextUpToTheFirstNul) {
    copyTextToClipboard("1.000\t-2.500\n中文");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("1.000\t-2.500\n中文"));
    copyTextToClipboard(std::string("12345\0tail", 10));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "12345");
}

}  // namespace
