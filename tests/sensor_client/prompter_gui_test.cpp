#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "sensor_client/prompter.h"
#include "tests/support/qt/file_dialog_driver.h"
#include "tests/support/qt/scripted_prompter.h"

using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;

TEST(ScriptedPrompter, ReturnsScriptedAnswersInOrderAndRecordsEveryPrompt) {
    ScopedPrompter scripted;
    scripted->answer(QMessageBox::Yes);
    scripted->answerIndex(1);
    scripted->answerFile("/tmp/a.csv", "CSV (*.csv)");

    EXPECT_EQ(ui::prompter().question(nullptr, "提示", "确定?"), QMessageBox::Yes);
    EXPECT_EQ(ui::prompter().ask(nullptr, QMessageBox::Question, "升级", "继续?", {"是", "否"}), 1);
    QString filter;
    EXPECT_EQ(ui::prompter().getSaveFileName(nullptr, "保存", "./x.csv", "CSV (*.csv);;All (*)", &filter),
              "/tmp/a.csv");
    EXPECT_EQ(filter, "CSV (*.csv)");

    const auto prompts = scripted->prompts();
    ASSERT_EQ(prompts.size(), 3u);
    EXPECT_EQ(prompts[0].kind, PromptKind::Question);
    EXPECT_EQ(prompts[0].title, "提示");
    EXPECT_EQ(prompts[1].buttons, (QStringList{"是", "否"}));
    EXPECT_EQ(prompts[2].kind, PromptKind::SaveFile);
    EXPECT_EQ(prompts[2].text, "./x.csv");
    EXPECT_EQ(scripted->pendingAnswers(), 0);
}

TEST(ScriptedPrompter, AnUnscriptedPromptFailsTheTestAndAnswersCancelAtOnce) {
    ScopedPrompter scripted;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    EXPECT_NONFATAL_FAILURE(answer = ui::prompter().information(nullptr, "提示", "通信失败!"), "通信失败!");
    EXPECT_EQ(answer, QMessageBox::Cancel);
    QString path = "x";
    EXPECT_NONFATAL_FAILURE(path = ui::prompter().getOpenFileName(nullptr, "打开", ".", "*"), "打开");
    EXPECT_TRUE(path.isEmpty());
    EXPECT_EQ(scripted->count(PromptKind::Information), 1);
}

TEST(ScriptedPrompter, AWrongKindOfAnswerIsNotTaken) {
    ScopedPrompter scripted;
    scripted->answerFile("/tmp/f");
    EXPECT_NONFATAL_FAILURE(ui::prompter().warning(nullptr, "t", "w"), "unscripted");
    EXPECT_EQ(scripted->pendingAnswers(), 1);
}

// ---------------------------------------------------------------- save dialogs

namespace {

// Every filter list of the program's save dialogs, in both languages.
const QStringList kSaveFilterLists = {
    // Height-map export.
    "csv高度数据(毫米) (*.csv);;csv高度数据带行号(毫米) (*.row_csv);;tif数据 (*.tif);;定制tif数据 (*.customized.tif);;"
    "tiff数据 (*.tiff);;pcd点云数据 (*.pcd);;ascii_pcd点云数据 (*.ascii_pcd);;ply点云数据 (*.ply);;ascii_ply点云数据 "
    "(*.ascii_ply);;txt点云数据 (*.txt);;txt点云数据-使用点间距 (*.ypitch_txt)",
    "Height data in mm (*.csv);;Height data with row numbers in mm (*.row_csv);;TIF data (*.tif);;Customized TIF data "
    "(*.customized.tif);;TIFF data (*.tiff);;PCD point cloud (*.pcd);;ASCII PCD point cloud (*.ascii_pcd);;PLY point "
    "cloud (*.ply);;ASCII PLY point cloud (*.ascii_ply);;TXT point cloud (*.txt);;TXT point cloud with point pitch "
    "(*.ypitch_txt)",
    // Settings file export, profile CSV, raw image dump, controller flash.
    "设定文件(*.zps)", "Settings file(*.zps)",
    "轮廓数据(毫米) (*.csv)", "Profile data(mm) (*.csv)",
    "保存日志 (*.dat)", "Saved log(*.dat)",
    "数据文件(*.dat)", "Data file(*.dat)",
};

// The suffix a filter's single pattern stands for, read off independently.
QString patternSuffix(const QString& filter) {
    const int open = filter.lastIndexOf("(*");
    return filter.mid(open + 2, filter.size() - open - 3);
}

}  // namespace

TEST(SaveDialogSuffix, ATypedNameGetsTheSelectedFiltersSuffixAndOneWithItIsKept) {
    for (const QString& list : kSaveFilterLists) {
        for (const QString& filter : list.split(";;")) {
            SCOPED_TRACE(filter.toStdString());
            const QString suffix = patternSuffix(filter);
            ASSERT_TRUE(suffix.startsWith('.'));
            EXPECT_EQ(ui::filterSuffixes(filter), QStringList{suffix});
            EXPECT_EQ(ui::withFilterSuffix("heightline_mm", filter), "heightline_mm" + suffix);
            EXPECT_EQ(ui::withFilterSuffix("/data/scans/mysettings", filter), "/data/scans/mysettings" + suffix);
            // Another suffix is no suffix of this filter.
            EXPECT_EQ(ui::withFilterSuffix("/data/scan.v2", filter), "/data/scan.v2" + suffix);
            EXPECT_EQ(ui::withFilterSuffix("/data/scan" + suffix, filter), "/data/scan" + suffix);
        }
    }
}

TEST(SaveDialogSuffix, CompoundSuffixesAreAddedWholeAndPatternsWithoutSuffixAddNothing) {
    const QString customized = "定制tif数据 (*.customized.tif)";
    EXPECT_EQ(ui::withFilterSuffix("a", customized), "a.customized.tif");
    EXPECT_EQ(ui::withFilterSuffix("a.tif", customized), "a.tif.customized.tif");
    EXPECT_EQ(ui::withFilterSuffix("a.customized.tif", customized), "a.customized.tif");
    // Several patterns: any of them keeps the name, the first completes it.
    EXPECT_EQ(ui::filterSuffixes("Images (*.tif *.tiff)"), (QStringList{".tif", ".tiff"}));
    EXPECT_EQ(ui::withFilterSuffix("b.tiff", "Images (*.tif *.tiff)"), "b.tiff");
    EXPECT_EQ(ui::withFilterSuffix("b", "Images (*.tif *.tiff)"), "b.tif");
    for (const QString& none : {QString("All (*)"), QString("*"), QString("Any (*.*)"), QString()})
        EXPECT_EQ(ui::withFilterSuffix("c", none), "c") << none.toStdString();
    EXPECT_EQ(ui::withFilterSuffix("", "设定文件(*.zps)"), "");
}

class DialogPrompterSaveDialog : public ::testing::Test {
protected:
    QString saveAs(const QString& typed, const QString& filter, const QString& filters, QString* chosen = nullptr) {
        driver.answerNext(typed, filter);
        QString selected;
        const QString path = prompter.getSaveFileName(nullptr, "保存", folder.path() + "/start", filters, &selected);
        EXPECT_TRUE(driver.answered());
        if (chosen) *chosen = selected;
        return path;
    }

    QTemporaryDir folder;
    mirevo::test::FileDialogDriver driver;
    ui::DialogPrompter prompter;
};

TEST_F(DialogPrompterSaveDialog, TheRealDialogCompletesTheTypedNameWithTheChosenFilter) {
    const QString filters = kSaveFilterLists[0];
    QString chosen;
    EXPECT_EQ(saveAs("heightline_mm", "定制tif数据 (*.customized.tif)", filters, &chosen),
              folder.filePath("heightline_mm.customized.tif"));
    EXPECT_EQ(chosen, "定制tif数据 (*.customized.tif)");
    EXPECT_EQ(driver.offeredFilters(), filters.split(";;"));
    // The dialog's own first filter, and a name that has its suffix.
    EXPECT_EQ(saveAs("heightline_mm", QString(), filters), folder.filePath("heightline_mm.csv"));
    EXPECT_EQ(saveAs("line.ypitch_txt", "txt点云数据-使用点间距 (*.ypitch_txt)", filters),
              folder.filePath("line.ypitch_txt"));
    // Cancelled.
    EXPECT_TRUE(saveAs(QString(), QString(), filters).isEmpty());
}

TEST_F(DialogPrompterSaveDialog, AnExistingFileUnderTheCompletedNameIsAskedAbout) {
    QFile existing(folder.filePath("mysettings.zps"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();

    driver.answerOverwrite(true);
    EXPECT_EQ(saveAs("mysettings", QString(), "设定文件(*.zps)"), folder.filePath("mysettings.zps"));
    EXPECT_TRUE(driver.overwriteAsked());

    // Not replaced: back in the dialog, which the person then cancels.
    driver.answerOverwrite(false);
    EXPECT_TRUE(saveAs("mysettings", QString(), "设定文件(*.zps)").isEmpty());
    EXPECT_TRUE(driver.overwriteAsked());
}
