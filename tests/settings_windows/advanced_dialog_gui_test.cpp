#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

#include "sensor_client/app_settings.h"
#include "sensor_interface/processing/debug_dump.h"
#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/hvq5_api.h"
#include "settings_windows/supper_settings_dialog.h"
#include "tests/settings_windows/page_test_support.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scripted_prompter.h"
#include "tests/support/temp_dir.h"
#include "tools/sensor_sim/sensor_model.h"

using namespace settings_gui;
using mirevo::test::ClientSensorOptions;
using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;

namespace {

constexpr uint8_t kFlashRead = 165;

// Batch size 250 with segment counts 100, 200, unused; the reference and
// multi-peak registers, a z offset of 29.00 um, the height filter on.
std::vector<std::pair<uint32_t, uint32_t>> advancedRegisters() {
    return {{540, 100}, {550, 200}, {560, 0xFFFF}, {570, 0}, {580, 0}, {530, 1},  {541, 200}, {542, 20},
            {543, 7},   {544, 300}, {438, 12},     {439, 34}, {754, 2900}, {755, 40}, {743, 1}, {350, 50000},
            {351, 80000}, {352, 20000}, {353, 65536}, {752, 0}};
}

class AdvancedDialog : public mirevo::test::ClientFixture {
protected:
    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options = headOf(sensor_sim::ModelPreset{}, advancedRegisters());
        options.batchLength = 250;
        return options;
    }
    void SetUp() override {
        ClientFixture::SetUp();
        data_save_enabled.store(0);
    }
    void TearDown() override {
        data_save_enabled.store(0);
        ClientFixture::TearDown();
    }
    mirevo::test::ScopedEnv runLogLevel_{"ZP_RUNLOG_EN", ""};
    mirevo::test::ScopedEnv runLogSize_{"ZP_RUNLOG_MAX_SIZE", ""};
};

TEST_F(AdvancedDialog, ALoadWritesOnlyTheSegmentCountsThatReachTheBatchEnd) {
    ScopedPrompter prompts;
    sensor().head().injectRegisterFault(542, rejected());  // shown as 0, clamped to 15: never written
    sensor().clearPacketLog();
    SupperSettingsDialog dialog;
    sensor().head().clearFaults();
    EXPECT_EQ(writtenRegisters(sensor()), (std::vector<uint32_t>{550, 560, 570, 580}));
    for (uint32_t reg : {550u, 560u, 570u, 580u}) EXPECT_EQ(sensor().reg(reg), 0xFFFFu) << reg;
    EXPECT_EQ(dialog.batchSize(), 250);
    EXPECT_EQ(dialog.segmentEnds(), (ysegment::Ends{100, 250, 250, 250, 250}));
    EXPECT_EQ(prompts->count(), 0);

    EXPECT_EQ(child<QSpinBox>(dialog, "spinBox_y_segment_linenum")->value(), 100);
    EXPECT_EQ(child<QSpinBox>(dialog, "spinBox_y_segment_linenum")->maximum(), 250);
    EXPECT_EQ(child<QSpinBox>(dialog, "spinBox_y_segment_gray_upper")->value(), 200);
    EXPECT_EQ(child<QSpinBox>(dialog, "spinBox_y_segment_gray_lower")->value(), 15);
    EXPECT_EQ(child<QComboBox>(dialog, "comboBox_y_segment_peak_mode")->currentIndex(), 3);  // code 7
    EXPECT_EQ(child<QSpinBox>(dialog, "spinBox_y_segment_exposure")->value(), 300);
    EXPECT_TRUE(child<QCheckBox>(dialog, "checkBox_y_segment_en")->isChecked());
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(dialog, "doubleSpinBox_563tif_z_offset")->value(), 29.0);
    EXPECT_EQ(child<QSpinBox>(dialog, "spinBox_peak_mean_thres")->value(), 12);
    EXPECT_TRUE(child<QRadioButton>(dialog, "radioButton_height_filter_on")->isChecked());
    EXPECT_TRUE(child<QSpinBox>(dialog, "spinBox_height_filter_thres1")->isEnabled());
    EXPECT_EQ(child<QSpinBox>(dialog, "spinBox_z_base")->value(), 50000);
    EXPECT_EQ(child<QComboBox>(dialog, "comboBox_log_level")->currentText(), "Info");  // a missing level
    dialog.show();
    mirevo::test::saveGrab(dialog, "advanced_settings_dialog");
}

TEST_F(AdvancedDialog, EachHeightFilterAndDualHeadControlChangesOnlyItsOwnValue) {
    ScopedPrompter prompts;
    SupperSettingsDialog dialog;
    const HVQ5_2_EXTEND* block = HVQ5_2_GET_EXTEND_CNF(0);
    ASSERT_NE(block, nullptr);
    // The members a setter call carries, read back from the interface's block.
    auto members = [block] {
        return std::vector<double>{double(block->grad_thres1), double(block->grad_thres2), double(block->grad_r),
                                   double(block->grad_open_on), double(block->grad_r_open),
                                   double(block->grad_connected_on), double(block->grad_connected_area),
                                   double(block->grad_object), double(block->cloud_align), double(block->b_x_offset),
                                   block->b_z_offset, double(block->single_valid_output), block->height_delta,
                                   double(block->valid_output_in_delta), double(block->valid_output_beyond_delta)};
    };
    struct Case {
        const char* name;
        size_t member;
        double expected;
        std::function<void()> change;
    };
    const Case cases[] = {
        {"thres1", 0, -30000, [&] { child<QSpinBox>(dialog, "spinBox_height_filter_thres1")->setValue(-30000); }},
        {"thres2", 1, -500, [&] { child<QSpinBox>(dialog, "spinBox_height_filter_thres2")->setValue(-500); }},
        {"r", 2, 21, [&] { child<QSpinBox>(dialog, "spinBox_height_filter_r")->setValue(21); }},
        {"open_on", 3, 1, [&] { child<QRadioButton>(dialog, "radioButton_height_filter_open_on")->click(); }},
        {"r_open", 4, 7, [&] { child<QSpinBox>(dialog, "spinBox_height_filter_r_open")->setValue(7); }},
        {"connected_on", 5, 0,
         [&] { child<QRadioButton>(dialog, "radioButton_height_filter_connected_off")->click(); }},
        {"connected_area", 6, 321,
         [&] { child<QSpinBox>(dialog, "spinBox_height_filter_connected_area")->setValue(321); }},
        {"object", 7, 1, [&] { child<QComboBox>(dialog, "comboBox_height_filter_object")->setCurrentIndex(0); }},
        {"align", 8, 1, [&] { child<QCheckBox>(dialog, "checkBox_dual_cloud_align")->click(); }},
        {"b x offset", 9, -12, [&] { child<QSpinBox>(dialog, "spinBox_dual_b_x_offset")->setValue(-12); }},
        {"b z offset", 10, 3.5, [&] { child<QDoubleSpinBox>(dialog, "doubleSpinBox_dual_b_z_offset")->setValue(3.5); }},
        {"single valid", 11, 1,
         [&] { child<QComboBox>(dialog, "comboBox_dual_single_valid_output")->setCurrentIndex(1); }},
        {"height delta", 12, 7.25,
         [&] { child<QDoubleSpinBox>(dialog, "doubleSpinBox_dual_height_delta")->setValue(7.25); }},
        {"in delta", 13, 2,
         [&] { child<QComboBox>(dialog, "comboBox_dual_valid_output_in_delta")->setCurrentIndex(2); }},
        {"beyond delta", 14, 3,
         [&] { child<QComboBox>(dialog, "comboBox_dual_valid_output_beyond_delta")->setCurrentIndex(3); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> expected = members();
        ASSERT_NE(expected[c.member], c.expected) << "the case must change its member";
        expected[c.member] = c.expected;
        c.change();
        EXPECT_EQ(members(), expected);
    }
    EXPECT_EQ(prompts->count(), 0);
}

TEST_F(AdvancedDialog, TheOptimisationButtonInForceDoesNothing) {
    setSettingsString("system", "SettingsOptimizedEn", "1");
    ScopedPrompter prompts;
    SupperSettingsDialog dialog;
    QSignalSpy switched(&dialog, &SupperSettingsDialog::signal_update_optimized_settings);
    child<QRadioButton>(dialog, "radioButton_settings_optimized_on")->click();
    EXPECT_TRUE(switched.isEmpty());
    child<QRadioButton>(dialog, "radioButton_settings_optimized_off")->click();
    ASSERT_EQ(switched.size(), 1);
    EXPECT_EQ(switched.at(0).at(0).toInt(), 0);
    EXPECT_EQ(settingsString("system", "SettingsOptimizedEn", ""), "0");
}

TEST_F(AdvancedDialog, RunLogLevelsAndTheDebugSwitch) {
    setSettingsString("Debug", "data_save_en", "1");
    {
        mirevo::test::ScopedEnv level("ZP_RUNLOG_EN", "3");
        ScopedPrompter prompts;
        SupperSettingsDialog dialog;
        EXPECT_EQ(child<QComboBox>(dialog, "comboBox_log_level")->currentIndex(), -1);
        EXPECT_TRUE(child<QCheckBox>(dialog, "checkBox_save_debug_data")->isChecked());
        EXPECT_EQ(data_save_enabled.load(), 1) << "the switch follows the stored key";
        child<QCheckBox>(dialog, "checkBox_save_debug_data")->click();
        EXPECT_EQ(data_save_enabled.load(), 0);
        EXPECT_EQ(settingsString("Debug", "data_save_en", ""), "0");
    }
}

TEST_F(AdvancedDialog, SegmentEndsBecomeCounts) {
    ScopedPrompter prompts;
    SupperSettingsDialog dialog;
    QSpinBox* end = child<QSpinBox>(dialog, "spinBox_y_segment_linenum");
    sensor().clearPacketLog();
    end->setValue(60);  // segment 0 ends earlier; segment 1 keeps its end 250
    EXPECT_EQ(sensor().writesTo(540), std::vector<uint32_t>{60});
    EXPECT_EQ(sensor().writesTo(550), std::vector<uint32_t>{190});
    child<QComboBox>(dialog, "comboBox_y_segment_id")->setCurrentIndex(1);
    EXPECT_EQ(end->minimum(), 60);
    sensor().clearPacketLog();
    end->setValue(60);  // equal to the previous end: unused, the next untouched
    EXPECT_EQ(sensor().writesTo(550), std::vector<uint32_t>{0xFFFF});
    EXPECT_TRUE(sensor().writesTo(560).empty());
    child<QComboBox>(dialog, "comboBox_y_segment_peak_mode")->setCurrentIndex(2);
    EXPECT_EQ(sensor().writesTo(553), std::vector<uint32_t>{1});  // "远端" is code 1
}

TEST_F(AdvancedDialog, RegisterToolShowsUnsignedAndSendsThe32BitPattern) {
    sensor().setReg(1234, 0xFFFFFFFFu);
    ScopedPrompter prompts;
    SupperSettingsDialog dialog;
    child<QSpinBox>(dialog, "spinBox_reg_reg")->setValue(1234);
    child<QPushButton>(dialog, "pushButton_reg_get")->click();
    QDoubleSpinBox* value = child<QDoubleSpinBox>(dialog, "spinBox_reg_val");
    EXPECT_EQ(value->value(), 4294967295.0);
    sensor().clearPacketLog();
    value->setValue(3000000000.0);
    child<QPushButton>(dialog, "pushButton_reg_set")->click();
    value->setValue(-2);
    child<QPushButton>(dialog, "pushButton_reg_set")->click();
    value->setValue(1e11);
    child<QPushButton>(dialog, "pushButton_reg_set")->click();
    EXPECT_EQ(sensor().writesTo(1234), (std::vector<uint32_t>{3000000000u, 0xFFFFFFFEu}));
    EXPECT_EQ(prompts->count(), 0);
}

// ---------------------------------------------------------------- flash export

std::vector<uint8_t> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> simulatorFlash(uint32_t address, int blocks) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < blocks; ++i) {
        const auto block = sensor_sim::SensorModel().memoryBlock(address + static_cast<uint32_t>(i) * 256);
        bytes.insert(bytes.end(), block.begin(), block.end());
    }
    return bytes;
}

class FlashExport : public AdvancedDialog {
protected:
    // The reports as the dialog's GUI thread receives them.
    void record(SupperSettingsDialog& dialog) {
        QObject::connect(
            &dialog, &SupperSettingsDialog::signal_prompt_settings, &receiver_,
            [this](int progress, QString prompt, QString) { reports.push_back({progress, prompt}); },
            Qt::QueuedConnection);
    }
    bool waitForReport(const QString& prompt) {
        return waitUntil([&] {
            for (const auto& report : reports)
                if (report.second == prompt) return true;
            return false;
        });
    }
    void startExport(SupperSettingsDialog& dialog, const std::filesystem::path& file, int address, int blocks) {
        child<QSpinBox>(dialog, "spinBox_ctl_flash_address")->setValue(address);
        child<QSpinBox>(dialog, "spinBox_ctl_flash_blocks")->setValue(blocks);
        child<QPushButton>(dialog, "pushButton_export_ctl_flash")->click();
    }
    void slowFlash(int delayMs) {
        sensor_sim::Fault slow;
        slow.kind = sensor_sim::FaultKind::Delay;
        slow.delayMs = delayMs;
        sensor().head().injectOpcodeFault(kFlashRead, slow);
    }

    QObject receiver_;
    std::vector<std::pair<int, QString>> reports;
};

TEST_F(FlashExport, ThreeBlocksGiveTheSimulatorsBytes) {
    const std::filesystem::path file = workFolder() / "flash.dat";
    ScopedPrompter prompts;
    prompts->answerFile(QString::fromStdString(file.string()));
    SupperSettingsDialog dialog;
    record(dialog);
    startExport(dialog, file, 0x2000, 3);
    ASSERT_TRUE(waitForReport("数据导出完成"));
    std::vector<int> percents;
    for (const auto& report : reports) percents.push_back(report.first);
    EXPECT_EQ(percents, (std::vector<int>{0, 33, 66, 100}));
    EXPECT_EQ(fileBytes(file), simulatorFlash(0x2000, 3));
    EXPECT_FALSE(dialog.exportActive());
    EXPECT_EQ(dialog.progressDialog()->value(), 100);
    EXPECT_EQ(dialog.progressDialog()->labelText(), "数据导出完成");
    EXPECT_TRUE(hvq5_get_link_paused(0)) << "live reads allowed again";
    const auto asked = prompts->prompts();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].kind, PromptKind::SaveFile);
    EXPECT_EQ(asked[0].title, "导出");
    EXPECT_EQ(asked[0].buttons, QStringList{"数据文件(*.dat)"});
}

TEST_F(FlashExport, ACancelKeepsTheBlocksReadSoFarWithoutABox) {
    slowFlash(40);
    const std::filesystem::path file = workFolder() / "partial.dat";
    ScopedPrompter prompts;
    prompts->answerFile(QString::fromStdString(file.string()));
    SupperSettingsDialog dialog;
    record(dialog);
    startExport(dialog, file, 0, 100);
    ASSERT_TRUE(waitUntil([&] { return dialog.progressDialog()->value() >= 1; }));
    QPushButton* cancel = dialog.progressDialog()->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), "取消");
    cancel->click();
    EXPECT_FALSE(dialog.exportActive());
    ASSERT_TRUE(waitForReport("数据导出完成"));
    const std::vector<uint8_t> bytes = fileBytes(file);
    ASSERT_GT(bytes.size(), 0u);
    ASSERT_LT(bytes.size(), 100u * 256u);
    EXPECT_EQ(bytes, simulatorFlash(0, static_cast<int>(bytes.size() / 256)));
    EXPECT_EQ(prompts->count(), 1) << "the file dialog only";
}

TEST_F(FlashExport, ALostSensorShowsTheFailureAndWritesNoFile) {
    sensor_sim::Fault closed;
    closed.kind = sensor_sim::FaultKind::CloseConnection;
    sensor().head().injectOpcodeFault(kFlashRead, closed);
    const std::filesystem::path file = workFolder() / "lost.dat";
    ScopedPrompter prompts;
    prompts->answerFile(QString::fromStdString(file.string()));
    prompts->answerIndex(0);
    SupperSettingsDialog dialog;
    startExport(dialog, file, 0, 3);
    ASSERT_TRUE(waitUntil([&] { return prompts->count(PromptKind::Ask) == 1; }, 10000));
    const auto box = prompts->prompts().back();
    EXPECT_EQ(box.title, "导出");
    EXPECT_EQ(box.text, "数据导出失败!");
    EXPECT_EQ(box.buttons, QStringList{"确定"});
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(FlashExport, AFileThatCannotBeWrittenIsShown) {
    const std::filesystem::path file = workFolder() / "no-such-folder" / "flash.dat";
    ScopedPrompter prompts;
    prompts->answerFile(QString::fromStdString(file.string()));
    prompts->answerIndex(0);
    SupperSettingsDialog dialog;
    startExport(dialog, file, 0, 1);
    ASSERT_TRUE(waitUntil([&] { return prompts->count(PromptKind::Ask) == 1; }));
    EXPECT_EQ(prompts->prompts().back().text, "数据文件保存失败!");
}

TEST_F(FlashExport, WithoutASensorNothingStarts) {
    client().close();
    ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    prompts->answerUnscriptedBoxesWith(QMessageBox::Ok);  // the load's missing extend block
    SupperSettingsDialog dialog;
    prompts->clear();
    prompts->answer(QMessageBox::Ok);
    child<QPushButton>(dialog, "pushButton_export_ctl_flash")->click();
    ASSERT_EQ(prompts->count(), 1);
    EXPECT_EQ(prompts->prompts()[0].kind, PromptKind::Critical);
    EXPECT_EQ(prompts->prompts()[0].text, "未连接传感器!");
}

TEST_F(FlashExport, ClosingTheDialogDuringAnExportEndsItFirst) {
    slowFlash(20);
    const std::filesystem::path file = workFolder() / "closed.dat";
    ScopedPrompter prompts;
    prompts->answerFile(QString::fromStdString(file.string()));
    auto dialog = std::make_unique<SupperSettingsDialog>();
    startExport(*dialog, file, 0, 1000);
    ASSERT_TRUE(waitUntil([&] { return dialog->progressDialog()->value() >= 1; }));
    dialog.reset();  // cancels and joins the export before the dialog goes
    waitUntil([] { return false; }, 50);  // queued reports of the dead dialog go nowhere
    EXPECT_LT(std::filesystem::file_size(file), 1000u * 256u);
    EXPECT_TRUE(hvq5_get_link_paused(0));
}

// No sensor at all: the extend block is missing.
class AdvancedDialogClosed : public mirevo::test::ClientFixture {
protected:
    bool openInSetUp() const override { return false; }
};

TEST_F(AdvancedDialogClosed, LoadingShowsTheMissingExtendBlockOnce) {
    ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    SupperSettingsDialog dialog;
    ASSERT_EQ(prompts->count(), 1);
    EXPECT_EQ(prompts->prompts()[0].kind, PromptKind::Critical);
    EXPECT_EQ(prompts->prompts()[0].title, "错误");
    EXPECT_EQ(prompts->prompts()[0].text, "获取扩展配置失败!");
}

}  // namespace
