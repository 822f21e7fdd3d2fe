// The main window's settings-file actions against the real client on the
// simulator: export, import and comparison through the scripted file
// dialogs, the progress dialog shown as soon as a job starts, the boxes of
// refused files and failed steps, and the link flag back to 1 after a job.
// Each test runs in a network namespace of its own (the window's connection
// dialog searches when it opens).
#include <QAction>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

#include "app/settings_file.h"
#include "sensor_interface/registry/device_functions.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/qt/file_dialog_driver.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scripted_prompter.h"
#include "tests/support/simulated_sensor.h"
#include "tools/sensor_sim/sim_programs.h"

namespace {

using mirevo::test::PromptKind;
using mirevo::test::PromptRecord;
using mirevo::test::ScopedPrompter;

constexpr uint8_t kWriteOpcode = 160;
constexpr uint8_t kSystemOpcode = 173;
constexpr uint8_t kShapeOpcode = 178;
constexpr uint8_t kSettingsOpcode = 185;
constexpr uint32_t kPermanentStore = 0x10000;

std::vector<uint8_t> shapeOf(uint8_t seed) {
    std::vector<uint8_t> bytes(256);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(seed + i * 5);
    return bytes;
}

class SettingsFilesWindowTest : public mirevo::test::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        programs_ = sensor_sim::installPrograms(sensor().head());
        sensor().head().model().setSettingsWords(words_);
        sensor().head().model().loadShapeBlock(shape_);
    }

    QString path(const QString& name) const {
        QDir(QString::fromStdString(workFolder().string())).mkpath(QFileInfo(name).path());
        return QString::fromStdString((workFolder() / name.toStdString()).string());
    }
    void trigger(const char* action) { child<QAction>(action)->trigger(); }
    // Waits until the running job has reported its end (or failure).
    bool waitForJob() { return waitUntil([&] { return !window_->progressActive && !window_->jobs().running(); }); }

    // Packets that change the sensor's settings.
    int settingsWrites() {
        int n = 0;
        for (const auto& p : sensor().packetLog())
            n += p.opcode == kWriteOpcode || p.opcode == kSystemOpcode || p.opcode == kShapeOpcode ||
                 p.opcode == kSettingsOpcode;
        return n;
    }
    bool storedPermanently() {
        for (const auto& p : mirevo::test::packetsWithOpcode(sensor().packetLog(), kSystemOpcode))
            if (p.address == kPermanentStore) return true;
        return false;
    }

    std::vector<uint32_t> words_{7, 0xFFFFFFFE, 123456, 0, 9};
    std::vector<uint8_t> shape_ = shapeOf(11);
    std::shared_ptr<sensor_sim::SimPrograms> programs_;
};

TEST_F(SettingsFilesWindowTest, ExportThenImportRestoresTheChangedSensor) {
    ScopedPrompter p;
    QtLineLaserClient& window = makeWindowAndConnect();
    QProgressDialog* progress = window.settingsProgressDialog();
    const QString file = path("exports/sensor.zps");

    p->answerFile(file);
    trigger("action_export_settings");
    // The dialog covers the window before the job's first report.
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->windowTitle(), "导出");
    EXPECT_EQ(progress->labelText(), "参数设定导出中");
    ASSERT_TRUE(waitForJob());
    EXPECT_EQ(p->prompts()[0].kind, PromptKind::SaveFile);
    EXPECT_EQ(p->prompts()[0].title, "导出");
    EXPECT_EQ(p->prompts()[0].text, ".");
    EXPECT_EQ(p->prompts()[0].buttons, QStringList{"设定文件(*.zps)"});
    EXPECT_EQ(progress->labelText(), "参数设定导出完成");
    EXPECT_EQ(progress->value(), 100);
    EXPECT_TRUE(window.settingsProgressButton()->isVisible());
    mirevo::test::saveGrab(*progress, "settings_export_done");
    window.settingsProgressButton()->click();
    EXPECT_FALSE(progress->isVisible());
    EXPECT_TRUE(hvq5_get_link_paused(0));
    SettingsBlockMap exported;
    ASSERT_TRUE(zps::readFile(file, &exported));

    sensor().head().model().setSettingsWords({1, 1, 1, 1, 1});
    sensor().head().model().loadShapeBlock(shapeOf(200));
    sensor().clearPacketLog();
    p->answerFile(file);
    trigger("action_import_settings");
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->windowTitle(), "导入");
    ASSERT_TRUE(waitForJob());
    EXPECT_EQ(progress->labelText(), "参数设定导入完成");
    EXPECT_EQ(sensor().head().model().settingsWords(), words_);
    EXPECT_EQ(sensor().head().model().shapeBlock(), shape_);
    EXPECT_EQ(sensor().head().model().storedShapeBlock(), shape_);
    EXPECT_TRUE(storedPermanently());
    EXPECT_TRUE(hvq5_get_link_paused(0));
    EXPECT_EQ(p->count(PromptKind::Critical) + p->count(PromptKind::Ask), 0);
}

// The real dialogs as a person meets them: a name typed without ".zps" is
// saved as a settings file, and the import dialog (filter *.zps) lists it.
TEST_F(SettingsFilesWindowTest, ANameTypedWithoutItsSuffixIsExportedAsZpsAndOfferedForImport) {
    ScopedPrompter p;
    p->useRealFileDialogs();
    mirevo::test::FileDialogDriver dialog;
    makeWindowAndConnect();

    dialog.answerNext("mysettings");
    trigger("action_export_settings");
    ASSERT_TRUE(dialog.answered());
    EXPECT_EQ(dialog.offeredFilters(), QStringList{"设定文件(*.zps)"});
    ASSERT_TRUE(waitForJob());
    window_->settingsProgressButton()->click();
    SettingsBlockMap exported;
    EXPECT_TRUE(zps::readFile(path("mysettings.zps"), &exported));
    EXPECT_FALSE(QFile::exists(path("mysettings")));

    sensor().head().model().setSettingsWords({1, 1, 1, 1, 1});
    dialog.answerNext("mysettings.zps", QString(), "mysettings.zps");
    trigger("action_import_settings");
    ASSERT_TRUE(dialog.answered());
    EXPECT_TRUE(dialog.listed()) << "the import dialog lists the exported file";
    ASSERT_TRUE(waitForJob());
    EXPECT_EQ(sensor().head().model().settingsWords(), words_);
    EXPECT_EQ(p->count(PromptKind::Critical) + p->count(PromptKind::Ask), 0);
}

TEST_F(SettingsFilesWindowTest, ARefusedFileShowsItsBoxAndWritesNothing) {
    ScopedPrompter p;
    QtLineLaserClient& window = makeWindowAndConnect();
    const QString file = path("changed.zps");
    SettingsBlockMap blocks;
    blocks[kSettingsWordsBlock] = SettingsWordPairs{{0, 1}, {0, 2}};
    blocks[kShapeBlockCode] = shapeOf(1);
    ASSERT_TRUE(zps::writeFile(file, blocks));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        QByteArray bytes = f.readAll();
        bytes[bytes.size() - 1] = static_cast<char>(bytes.back() ^ 1);
        f.seek(0);
        f.write(bytes);
    }
    window.settingsBlocks.clear();
    window.settingsBlocks[kSettingsWordsBlock] = SettingsWordPairs{{0, 42}};
    sensor().clearPacketLog();

    p->answerFile(file);
    p->answer(QMessageBox::Ok);
    trigger("action_import_settings");
    const PromptRecord box = p->prompts().back();
    EXPECT_EQ(box.kind, PromptKind::Critical);
    EXPECT_EQ(box.title, "错误");
    EXPECT_EQ(box.text, "设定文件校验失败!");
    EXPECT_FALSE(window.progressActive);
    EXPECT_FALSE(window.jobs().running());
    EXPECT_EQ(settingsWrites(), 0);
    EXPECT_EQ(std::any_cast<SettingsWordPairs>(window.settingsBlocks.at(kSettingsWordsBlock)),
              (SettingsWordPairs{{0, 42}}))
        << "a refused file leaves the blocks as they were";
}

TEST_F(SettingsFilesWindowTest, AFailedReadShowsItsBoxAndResumesTheLink) {
    ScopedPrompter p;
    QtLineLaserClient& window = makeWindowAndConnect();
    sensor_sim::Fault fault;
    fault.kind = sensor_sim::FaultKind::WrongAddressEcho;
    sensor().head().injectOpcodeFault(kSettingsOpcode, fault);
    p->answerFile(path("never.zps"));
    p->answerIndex(0);
    trigger("action_export_settings");
    ASSERT_TRUE(waitForJob());
    const PromptRecord box = p->prompts().back();
    EXPECT_EQ(box.kind, PromptKind::Ask);
    EXPECT_EQ(box.title, "导出");
    EXPECT_EQ(box.text, "参数设定导出失败!");
    EXPECT_FALSE(window.settingsProgressDialog()->isVisible());
    EXPECT_TRUE(hvq5_get_link_paused(0));
    EXPECT_FALSE(QFile::exists(path("never.zps")));
}

TEST_F(SettingsFilesWindowTest, AFailedPermanentStoreFailsTheImport) {
    ScopedPrompter p;
    QtLineLaserClient& window = makeWindowAndConnect();
    const QString file = path("good.zps");
    SettingsBlockMap blocks;
    blocks[kSettingsWordsBlock] = SettingsWordPairs{{0, 3}, {0, 4}, {0, 5}, {0, 6}, {0, 7}};
    ASSERT_TRUE(zps::writeFile(file, blocks));
    programs_->refuseSystemCommand(kPermanentStore);
    p->answerFile(file);
    p->answerIndex(0);
    trigger("action_import_settings");
    ASSERT_TRUE(waitForJob());
    EXPECT_EQ(p->prompts().back().title, "导入");
    EXPECT_EQ(p->prompts().back().text, "参数设定导入失败!");
    EXPECT_TRUE(hvq5_get_link_paused(0));
    EXPECT_FALSE(window.progressActive);
}

TEST_F(SettingsFilesWindowTest, ASecondExportWaitsForTheFirst) {
    ScopedPrompter p;
    QtLineLaserClient& window = makeWindowAndConnect();
    p->answerFile(path("first.zps"));
    trigger("action_export_settings");
    ASSERT_TRUE(window.progressActive);
    trigger("action_export_settings");  // no file dialog, no second job
    p->answerFile(path("first.zps"));
    trigger("action_import_settings");  // its file dialog comes first, then nothing
    ASSERT_TRUE(waitForJob());
    EXPECT_EQ(p->count(PromptKind::SaveFile), 1);
    EXPECT_EQ(p->count(), 2) << "no box either";
    int reads = 0;
    for (const auto& packet : mirevo::test::packetsWithOpcode(sensor().packetLog(), kSettingsOpcode))
        reads += packet.address == 0;
    EXPECT_EQ(reads, 1);
}

class UnconnectedSettingsFilesTest : public SettingsFilesWindowTest {
protected:
    bool openInSetUp() const override { return false; }
};

TEST_F(UnconnectedSettingsFilesTest, ExportAndImportNeedASensor) {
    ScopedPrompter p;
    makeWindowAndConnect();
    p->answer(QMessageBox::Ok);
    trigger("action_export_settings");
    p->answerFile(path("any.zps"));
    p->answer(QMessageBox::Ok);
    trigger("action_import_settings");
    const auto shown = p->prompts();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].kind, PromptKind::Critical);
    EXPECT_EQ(shown[0].text, "未连接传感器!");
    EXPECT_EQ(shown[0].title, "提示");
    EXPECT_EQ(shown[1].kind, PromptKind::OpenFile) << "the import asks for its file first";
    EXPECT_EQ(shown[1].title, "导入");
    EXPECT_EQ(shown[2].text, "未连接传感器!");
}

TEST_F(UnconnectedSettingsFilesTest, ComparisonReportLandsBesideTheSecondFile) {
    ScopedPrompter p;
    QtLineLaserClient& window = makeWindowAndConnect();
    SettingsBlockMap first, second;
    first[kSettingsWordsBlock] = SettingsWordPairs{{0, 1}, {0, 2}, {0, 3}};
    first[kShapeBlockCode] = shapeOf(0);
    second[kSettingsWordsBlock] = SettingsWordPairs{{0, 1}, {0, -5}};
    second[kShapeBlockCode] = shapeOf(0);
    const QString one = path("a/one.zps");
    const QString two = path("b/two.zps");
    ASSERT_TRUE(zps::writeFile(one, first));
    ASSERT_TRUE(zps::writeFile(two, second));

    p->answerFile(one);
    p->answerFile(two);
    p->answer(QMessageBox::Ok);
    window.findChild<QAction*>("action_settings_cmp")->trigger();
    const auto shown = p->prompts();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].title, "参数比较 - 设定文件1");
    EXPECT_EQ(shown[0].text, ".");
    EXPECT_EQ(shown[1].title, "参数比较 - 设定文件2");
    EXPECT_EQ(shown[1].text, QFileInfo(one).absolutePath()) << "the folder of file 1 is remembered";
    const QString report = QDir(QFileInfo(two).canonicalPath()).filePath("settings_compare.txt");
    EXPECT_EQ(shown[2].kind, PromptKind::Information);
    EXPECT_EQ(shown[2].title, "参数比较");
    EXPECT_EQ(shown[2].text, "参数比较结果已保存到 " + report);
    QFile written(report);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("registers:\n0    2    -5\n0    3  <-->  \n\nshield areas:\n"));
    EXPECT_EQ(std::any_cast<SettingsWordPairs>(window.settingsBlocks.at(kSettingsWordsBlock)).size(), 2u)
        << "the blocks of file 2 stay";

    // The next comparison starts in the folder of the last file; a refused file says so.
    QFile::resize(two, QFileInfo(two).size() - 1);
    p->clear();
    p->answerFile(one);
    p->answerFile(two);
    p->answer(QMessageBox::Ok);
    window.findChild<QAction*>("action_settings_cmp")->trigger();
    const auto again = p->prompts();
    ASSERT_EQ(again.size(), 3u);
    EXPECT_EQ(again[0].text, QFileInfo(two).absolutePath());
    EXPECT_EQ(again[2].kind, PromptKind::Critical);
    EXPECT_EQ(again[2].title, "错误");
    EXPECT_EQ(again[2].text, "设定文件校验失败!");
}

}  // namespace
