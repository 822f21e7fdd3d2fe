#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>

#include <gtest/gtest.h>

#include "sensor_client/app_settings.h"
#include "settings_windows/dead_zone_setting_widget.h"
#include "settings_windows/outline_setting_advanced.h"
#include "settings_windows/outline_setting_widget.h"
#include "tests/settings_windows/page_test_support.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scripted_prompter.h"

using namespace settings_gui;
using mirevo::test::ClientSensorOptions;
using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;

namespace {

// ---------------------------------------------------------------- dead zone

class DeadZonePage : public mirevo::test::ClientFixture {};

TEST_F(DeadZonePage, ThresholdsAreShownInSixteenthsAndStoredTruncated) {
    const struct {
        uint32_t reg804;
        const char* shown;
    } cases[] = {{24, "1.50"}, {1, "0.06"}, {0, "0.00"}};
    for (const auto& c : cases) {
        sensor().setReg(804, c.reg804);
        sensor().setReg(805, 1234);
        sensor().clearPacketLog();
        DeadZoneSettingWidget page;
        EXPECT_TRUE(writtenRegisters(sensor()).empty()) << "the load writes nothing back";
        EXPECT_EQ(child<QDoubleSpinBox>(page, "doubleSpinBox_gradientThreshold")->text(), c.shown);
        EXPECT_EQ(child<QSpinBox>(page, "spinBox_heightThreshold")->value(), 1234);
    }

    DeadZoneSettingWidget page;
    QSignalSpy pages(&page, &DeadZoneSettingWidget::signal_clicked);
    sensor().clearPacketLog();
    child<QDoubleSpinBox>(page, "doubleSpinBox_gradientThreshold")->setValue(2.99);
    child<QDoubleSpinBox>(page, "doubleSpinBox_gradientThreshold")->setValue(0.06);
    EXPECT_EQ(sensor().writesTo(804), (std::vector<uint32_t>{47, 0}));
    QSpinBox* height = child<QSpinBox>(page, "spinBox_heightThreshold");
    height->setValue(2000000);
    EXPECT_EQ(height->value(), 1000000);
    EXPECT_EQ(sensor().writesTo(805), std::vector<uint32_t>{1000000});
    child<QPushButton>(page, "pushButton_close")->click();
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages.at(0).at(0).toInt(), 5);
}

TEST_F(DeadZonePage, TheReducedProfilePageOnlyAsksForTheProfileProcessingPage) {
    OutLineSettingWidget page;
    QSignalSpy pages(&page, &OutLineSettingWidget::signal_clicked);
    sensor().clearPacketLog();
    child<QComboBox>(page, "comboBox_outline_filter_xaverage")->setCurrentIndex(3);
    child<QComboBox>(page, "comboBox_outline_filter_yaverage")->setCurrentIndex(3);
    child<QCheckBox>(page, "checkBox_reversal")->click();
    child<QCheckBox>(page, "checkBox_reversal1")->click();
    EXPECT_TRUE(writtenRegisters(sensor()).empty());
    child<QPushButton>(page, "pushButton_to_uutLine_Setting_Advanced")->click();
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages.at(0).at(0).toInt(), 5);
}

// ---------------------------------------------------------------- profile processing

// X average 473, X median 472, time-axis average 471 and median 470, the
// counts 190 and 191, dead-angle mode 185, flips, corrections, format, pitch.
std::vector<std::pair<uint32_t, uint32_t>> profileRegisters() {
    return {{473, 7}, {472, 5}, {471, 3}, {470, 1}, {190, 4}, {191, 2}, {185, 1}, {324, 1},
            {325, static_cast<uint32_t>(-150000)}, {330, 0}, {331, 0}, {354, 1}, {285, 1003}};
}

class ProfilePage : public mirevo::test::ClientFixture {
protected:
    ClientSensorOptions sensorOptions() const override {
        return headOf(sensor_sim::newSeriesPreset(844), profileRegisters());
    }
    void optimise(int xAverageOffset, int dealOffset = 0) {
        setSettingsString("system", "SettingsOptimizedEn", "1");
        setSettingsString("SettingsOptimized", "x_average", QString::number(xAverageOffset));
        setSettingsString("SettingsOptimized", "invalid_points_deal_times", QString::number(dealOffset));
    }
};

TEST_F(ProfilePage, TheLoadShowsTheSensorAndWritesNothing) {
    ScopedPrompter prompts;
    OutLineSettingAdvanced page;
    sensor().clearPacketLog();
    page.loadSettings();
    EXPECT_TRUE(writtenRegisters(sensor()).empty());
    EXPECT_EQ(prompts->count(), 0);
    QTabWidget* tabs = child<QTabWidget>(page, "tabWidget");
    EXPECT_EQ(tabs->tabText(0), "数据处理");
    EXPECT_EQ(tabs->tabText(1), "轮廓补正");
    EXPECT_EQ(child<QComboBox>(page, "comboBox_outline_filter_xmedian")->currentText(), "5");
    EXPECT_EQ(child<QComboBox>(page, "comboBox_outline_filter_yaverage")->currentText(), "3");
    EXPECT_EQ(child<QComboBox>(page, "comboBox_outline_filter_ymedian")->currentText(), "off");
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_outline_invalid_process")->value(), 4);
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_outline_invalid_recover")->value(), 2);
    EXPECT_TRUE(child<QRadioButton>(page, "radioButton_process_invalid_1")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(page, "checkBox_k_en")->isChecked());
    EXPECT_TRUE(child<QPushButton>(page, "pushButton_k")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(page, "pushButton_b")->isEnabled());
    EXPECT_EQ(child<QLineEdit>(page, "lineEdit_k_val")->text(), "-1.5");
    EXPECT_EQ(child<QLineEdit>(page, "lineEdit_b_val")->text(), "1");
    EXPECT_EQ(child<QComboBox>(page, "comboBox_polyFormat")->currentIndex(), 1);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(page, "doubleSpinBox_xptich")->value(), 10.03);
    EXPECT_TRUE(shown(child<QComboBox>(page, "comboBox_polyFormat"), page));
    EXPECT_TRUE(child<QPushButton>(page, "pushButton_cloud_filter")->isEnabled());
    page.show();
    mirevo::test::saveGrab(page, "profile_processing_page");
}

TEST_F(ProfilePage, TheXPitchKeepsItsLastDigitAcrossALoadAndAnEntry) {
    ScopedPrompter prompts;
    OutLineSettingAdvanced page;
    page.loadSettings();
    QDoubleSpinBox* pitch = child<QDoubleSpinBox>(page, "doubleSpinBox_xptich");
    pitch->setValue(10.04);
    pitch->setValue(10.03);
    EXPECT_EQ(sensor().writesTo(285), (std::vector<uint32_t>{1004, 1003}));
    page.loadSettings();
    EXPECT_EQ(sensor().reg(285), 1003u);
    EXPECT_DOUBLE_EQ(pitch->value(), 10.03);
}

TEST_F(ProfilePage, OptimisationOffsetsAreRemovedForShowingAndAddedForWriting) {
    optimise(3);
    ScopedPrompter prompts;
    OutLineSettingAdvanced page;
    page.loadSettings();
    QComboBox* xAverage = child<QComboBox>(page, "comboBox_outline_filter_xaverage");
    EXPECT_EQ(xAverage->currentText(), "4");
    sensor().clearPacketLog();
    xAverage->setCurrentText("8");
    EXPECT_EQ(sensor().writesTo(473), std::vector<uint32_t>{11});
    EXPECT_EQ(prompts->count(), 0);
}

TEST_F(ProfilePage, AnOffsetLargerThanTheSensorValueLeavesTheComboAsItWas) {
    optimise(9);
    ScopedPrompter prompts;
    OutLineSettingAdvanced page;
    QComboBox* xAverage = child<QComboBox>(page, "comboBox_outline_filter_xaverage");
    page.loadSettings();
    EXPECT_EQ(xAverage->currentText(), "1");  // 7 - 9 wraps to 65534: no item
}

TEST_F(ProfilePage, RebasingOutOfRangeShowsTheValueAndWritesItClamped) {
    sensor().setReg(473, 8);
    optimise(255);
    ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    OutLineSettingAdvanced page;
    sensor().clearPacketLog();
    page.slot_update_optimized_settings(1);
    ASSERT_EQ(prompts->count(PromptKind::Critical), 1);
    EXPECT_EQ(prompts->prompts()[0].title, "参数错误");
    EXPECT_EQ(prompts->prompts()[0].text, "X轴平滑(263)超出范围!");
    EXPECT_EQ(sensor().writesTo(473), std::vector<uint32_t>{256});
}

TEST_F(ProfilePage, AUserCountPlusItsOffsetIsCheckedAndClampedBeforeTheOneByteWrite) {
    sensor().setReg(190, 54);
    optimise(0, 50);
    ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    OutLineSettingAdvanced page;
    page.loadSettings();
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_outline_invalid_process")->value(), 4);
    child<QSpinBox>(page, "spinBox_outline_invalid_process")->setValue(99);
    ASSERT_EQ(prompts->count(PromptKind::Critical), 1);
    EXPECT_EQ(prompts->prompts()[0].text, "时间轴处理次数(149)超出范围!");
    EXPECT_EQ(sensor().reg(190) & 0xFF, 99u);  // clamped before the one-byte write
}

TEST_F(ProfilePage, TheCorrectionButtonsSwitchTheCorrectionOffAndAskForItsSetUp) {
    ScopedPrompter prompts;
    OutLineSettingAdvanced page;
    page.loadSettings();
    QSignalSpy env(&page, &OutLineSettingAdvanced::signal_btn_env);
    QSignalSpy pages(&page, &OutLineSettingAdvanced::signal_clicked);
    child<QPushButton>(page, "pushButton_k")->click();
    EXPECT_EQ(sensor().writesTo(324), std::vector<uint32_t>{0});
    EXPECT_TRUE(child<QCheckBox>(page, "checkBox_k_en")->isChecked());
    ASSERT_EQ(env.size(), 1);
    EXPECT_EQ(env.at(0).at(0).toInt(), 0);
    child<QPushButton>(page, "pushButton_deadzone_advance")->click();
    child<QPushButton>(page, "pushButton_cloud_filter")->click();
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(pages.at(0).at(0).toInt(), 10);
    EXPECT_EQ(pages.at(1).at(0).toInt(), 16);
}

TEST_F(ProfilePage, AFailedProcessingReadSkipsTheRegisterStepsWithOneBox) {
    ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    OutLineSettingAdvanced page;
    sensor().head().injectRegisterFault(185, rejected());
    sensor().clearPacketLog();
    page.loadSettings();
    sensor().head().clearFaults();
    EXPECT_EQ(prompts->count(PromptKind::Question), 1);
    EXPECT_FALSE(wasRead(sensor(), 324));
    EXPECT_FALSE(wasRead(sensor(), 354));
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_outline_invalid_process")->value(), 4);  // read before the failure
    EXPECT_FALSE(child<QCheckBox>(page, "checkBox_k_en")->isChecked());
}

struct GateCase {
    sensor_sim::ModelPreset preset;
    bool formatShown;
    bool cloudButton;
};

class ProfilePageGate : public mirevo::test::ClientFixture, public ::testing::WithParamInterface<int> {
protected:
    static GateCase gate(int index) {
        const GateCase cases[] = {
            {sensor_sim::series3Preset(), false, false},
            {sensor_sim::series4Preset(28712), false, false},
            {sensor_sim::newSeriesPreset(843), true, false},
            {sensor_sim::newSeriesPreset(844), true, true},
        };
        return cases[index];
    }
    ClientSensorOptions sensorOptions() const override { return headOf(gate(GetParam()).preset); }
};

TEST_P(ProfilePageGate, TransferFormatAndCloudFilterFollowTheSeriesAndVersion) {
    ScopedPrompter prompts;
    OutLineSettingAdvanced page;
    page.loadSettings();
    const GateCase expected = gate(GetParam());
    EXPECT_EQ(shown(child<QComboBox>(page, "comboBox_polyFormat"), page), expected.formatShown);
    EXPECT_EQ(shown(child<QLabel>(page, "label_data_type"), page), expected.formatShown);
    EXPECT_EQ(child<QPushButton>(page, "pushButton_cloud_filter")->isEnabled(), expected.cloudButton);
}

INSTANTIATE_TEST_SUITE_P(Heads, ProfilePageGate, ::testing::Range(0, 4));

}  // namespace
