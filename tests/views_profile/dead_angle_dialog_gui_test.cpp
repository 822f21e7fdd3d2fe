#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "tests/support/qt/qt_test_env.h"
#include "tests/support/temp_dir.h"
#include "views/profile/outline_dead_angle_dlg.h"

namespace {

// Runs the dialog modally; a zero-delay timer ends it with the action.
int runModal(OutLineDeadAngleDlg& dialog, const std::function<void()>& action) {
    QTimer::singleShot(0, &dialog, action);
    return dialog.exec();
}

}  // namespace

TEST(OutLineDeadAngleDlg, FormHasItsChoicesWithNonePreset) {
    OutLineDeadAngleDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), "显示死角数据的方法");
    EXPECT_EQ(dialog.size(), QSize(310, 350));
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowContextHelpButtonHint);
    const QList<QRadioButton*> radios = dialog.findChildren<QRadioButton*>();
    EXPECT_EQ(radios.size(), 7);
    for (QRadioButton* radio : radios) EXPECT_FALSE(radio->isChecked()) << radio->objectName().toStdString();
    EXPECT_EQ(dialog.findChild<QRadioButton*>("radioButton_7")->text(), "垂直补间");
    EXPECT_EQ(dialog.findChild<QPushButton*>("pushButton_close")->text(), "取消");
    dialog.show();
    mirevo::test::saveGrab(dialog, "dead_angle_dialog");
}

TEST(OutLineDeadAngleDlg, OkCancelAndTheCloseButtonEachEndTheModalRun) {
    const std::pair<const char*, std::function<void(OutLineDeadAngleDlg&)>> ways[] = {
        {"OK", [](OutLineDeadAngleDlg& d) { d.findChild<QPushButton*>("pushButton_ok")->click(); }},
        {"取消", [](OutLineDeadAngleDlg& d) { d.findChild<QPushButton*>("pushButton_close")->click(); }},
        {"window close", [](OutLineDeadAngleDlg& d) { d.close(); }},
    };
    for (const auto& [name, way] : ways) {
        OutLineDeadAngleDlg dialog;
        dialog.findChild<QRadioButton*>("radioButton_2")->setChecked(true);
        runModal(dialog, [&] { way(dialog); });
        EXPECT_FALSE(dialog.isVisible()) << name;
    }
}

TEST(OutLineDeadAngleDlg, ShowsThePictureOfTheWorkingFolderWhenThereIsOne) {
    mirevo::test::TempDir work;
    mirevo::test::ScopedWorkingDir inWork(work.path());
    {
        OutLineDeadAngleDlg dialog;
        EXPECT_TRUE(dialog.findChild<QLabel*>("label_deadangle_img")->pixmap() == nullptr ||
                    dialog.findChild<QLabel*>("label_deadangle_img")->pixmap()->isNull());
    }
    QDir().mkpath("res/Img/test");
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::green);
    ASSERT_TRUE(picture.save("res/Img/test/deadangle1.png"));
    OutLineDeadAngleDlg dialog;
    const QPixmap* shown = dialog.findChild<QLabel*>("label_deadangle_img")->pixmap();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->size(), QSize(40, 20));
}
