// The two about dialogs: the version text and the Qt notice from "qt.md".
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <fstream>

#include "app/about_dialogs.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(AboutDialogs, TheVersionDialogShowsTheProgramsVersion) {
    version_dialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("关于"));
    EXPECT_EQ(dialog.size(), QSize(291, 320));
    QPlainTextEdit* text = dialog.findChild<QPlainTextEdit*>(QStringLiteral("plainTextEdit"));
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_EQ(text->font().pointSize(), 10);
    EXPECT_EQ(text->toPlainText(), QStringLiteral("软件版本 v1.7.54\n"));
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    dialog.show();
    mirevo::test::saveGrab(dialog, QStringLiteral("version_dialog"));
}

TEST(AboutDialogs, TheQtDialogShowsQtMdOfTheWorkingFolder) {
    mirevo::test::TempDir temp;
    mirevo::test::ScopedWorkingDir inTemp(temp.path());
    {
        qt_dialog without;
        EXPECT_EQ(without.windowTitle(), QStringLiteral("关于qt5.12"));
        EXPECT_EQ(without.size(), QSize(291, 331));
        EXPECT_TRUE(without.text()->toPlainText().isEmpty());
    }
    std::ofstream(temp.path() / "qt.md") << "Qt 5 使用 LGPL 许可\nline 2\n";
    qt_dialog with;
    EXPECT_EQ(with.text()->toPlainText(), QStringLiteral("Qt 5 使用 LGPL 许可\nline 2\n"));
    EXPECT_TRUE(with.text()->isReadOnly());
}

}  // namespace
