#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include "settings_windows/measurement_common_settings_dlg.h"
#include "tests/settings_windows/page_test_support.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scripted_prompter.h"

using namespace settings_gui;
using mirevo::test::ClientSensorOptions;
using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;

namespace {

// Encoder minimum input time 1500 ns (register 146 in units of 20 ns),
// terminal time 250 us, batch start delay 5 ms (310 in us), edges, level
// mode on, an encoder time-out of 1 (which the sensor cannot keep) and
// direction 3.
std::vector<std::pair<uint32_t, uint32_t>> terminalRegisters() {
    return {{146, 75}, {205, 250}, {310, 5000}, {311, 1}, {312, 0}, {790, 1}, {309, 1}, {792, 3}};
}

std::vector<uint32_t> only(const std::vector<uint32_t>& registers, std::initializer_list<uint32_t> wanted) {
    std::vector<uint32_t> out;
    for (uint32_t reg : registers)
        for (uint32_t w : wanted)
            if (reg == w) out.push_back(reg);
    return out;
}

class TerminalDialog : public mirevo::test::ClientFixture {
protected:
    ClientSensorOptions sensorOptions() const override {
        return headOf(sensor_sim::ModelPreset{}, terminalRegisters());
    }
};

TEST_F(TerminalDialog, OpeningShowsTheSensorAndWritesOnlyTheTimeOutAndLevelMode) {
    ScopedPrompter prompts;
    sensor().clearPacketLog();
    MeasurementCommonSettingsDlg dialog;
    const std::vector<uint32_t> written = writtenRegisters(sensor());
    for (uint32_t reg : written) EXPECT_TRUE(reg == 309 || reg == 790) << reg;
    EXPECT_EQ(sensor().writesTo(309), std::vector<uint32_t>{2});  // a time-out of 1 goes back as 2
    EXPECT_EQ(sensor().writesTo(790), std::vector<uint32_t>{1});
    EXPECT_EQ(prompts->count(), 0);
    EXPECT_EQ(child<QComboBox>(dialog, "comboBox_encoder")->currentText(), "1us");
    EXPECT_EQ(child<QComboBox>(dialog, "comboBox_out_mintimes")->currentText(), "250μs");
    EXPECT_EQ(child<QSpinBox>(dialog, "spinBox_batch_start_timeout")->value(), 5);
    EXPECT_EQ(child<QComboBox>(dialog, "comboBox_batch_start_ns")->currentIndex(), 1);
    EXPECT_EQ(child<QComboBox>(dialog, "comboBox_encoder_direction")->currentIndex(), 3);
    EXPECT_EQ(child<QLabel>(dialog, "label_model")->text(), "5160");  // the model as the interface names it
    dialog.show();
    mirevo::test::saveGrab(dialog, "terminal_settings_dialog");
}

TEST_F(TerminalDialog, OkWritesTheFiveValuesInOrderAndCloses) {
    ScopedPrompter prompts;
    MeasurementCommonSettingsDlg dialog;
    child<QComboBox>(dialog, "comboBox_encoder")->setCurrentText("1ms");
    child<QComboBox>(dialog, "comboBox_out_mintimes")->setCurrentText("50ms");
    child<QComboBox>(dialog, "comboBox_batch_stop_ns")->setCurrentIndex(1);
    sensor().clearPacketLog();
    child<QPushButton>(dialog, "pushButton_ok")->click();
    EXPECT_EQ(only(writtenRegisters(sensor()), {146, 205, 310, 311, 312}),
              (std::vector<uint32_t>{146, 205, 310, 311, 312}));
    EXPECT_EQ(sensor().reg(146), 1000000u / 20);  // "1ms": 1000000 ns
    EXPECT_EQ(sensor().reg(205), 50000u);         // "50ms": 50000 us
    EXPECT_EQ(sensor().reg(310), 5000u);
    EXPECT_EQ(sensor().reg(312), 1u);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(prompts->count(), 0);
}

TEST_F(TerminalDialog, AnEncoderTimeOf1500nsIsWrittenAs1us) {
    ScopedPrompter prompts;
    MeasurementCommonSettingsDlg dialog;
    child<QPushButton>(dialog, "pushButton_ok")->click();
    EXPECT_EQ(sensor().reg(146), 1000u / 20);
}

TEST_F(TerminalDialog, AFailedDelayWriteClosesWithoutABoxOrTheEdges) {
    ScopedPrompter prompts;
    MeasurementCommonSettingsDlg dialog;
    sensor().head().injectRegisterFault(310, rejected());
    sensor().clearPacketLog();
    child<QPushButton>(dialog, "pushButton_ok")->click();
    sensor().head().clearFaults();
    EXPECT_EQ(prompts->count(), 0);
    EXPECT_TRUE(sensor().writesTo(311).empty());
    EXPECT_TRUE(sensor().writesTo(312).empty());
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(TerminalDialog, ATimeWithoutItsItemLeavesTheFirstItemWhichOkThenWrites) {
    sensor().setReg(146, 1);  // 20 ns
    sensor().setReg(205, 7);  // 7 us
    ScopedPrompter prompts;
    MeasurementCommonSettingsDlg dialog;
    EXPECT_EQ(child<QComboBox>(dialog, "comboBox_encoder")->currentText(), "50ns");
    EXPECT_EQ(child<QComboBox>(dialog, "comboBox_out_mintimes")->currentText(), "5μs");
    child<QPushButton>(dialog, "pushButton_close")->click();
    EXPECT_TRUE(sensor().writesTo(146).empty()) << "cancel writes nothing";
}

TEST_F(TerminalDialog, AFailedReadShowsOneBoxAtTheEnd) {
    ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    sensor().head().injectRegisterFault(205, rejected());
    MeasurementCommonSettingsDlg dialog;
    sensor().head().clearFaults();
    ASSERT_EQ(prompts->count(PromptKind::Question), 1);
    EXPECT_EQ(prompts->prompts()[0].text, "通信失败!");
    EXPECT_EQ(child<QSpinBox>(dialog, "spinBox_batch_start_timeout")->value(), 0);
}

struct SeriesCase {
    sensor_sim::ModelPreset preset;
    bool timeout, direction, levelMode;
};

class TerminalDialogSeries : public mirevo::test::ClientFixture, public ::testing::WithParamInterface<int> {
protected:
    static SeriesCase series(int index) {
        const SeriesCase cases[] = {
            {sensor_sim::series3Preset(), false, false, true},
            {sensor_sim::series4Preset(), true, false, true},
            {sensor_sim::ModelPreset{}, true, true, false},
        };
        return cases[index];
    }
    ClientSensorOptions sensorOptions() const override { return headOf(series(GetParam()).preset); }
};

TEST_P(TerminalDialogSeries, ControlsFollowTheSeries) {
    ScopedPrompter prompts;
    MeasurementCommonSettingsDlg dialog;
    const SeriesCase expected = series(GetParam());
    EXPECT_EQ(shown(child<QSpinBox>(dialog, "spinBox_encoder_timeout"), dialog), expected.timeout);
    EXPECT_EQ(shown(child<QLabel>(dialog, "label_encoder_timeout"), dialog), expected.timeout);
    EXPECT_EQ(shown(child<QComboBox>(dialog, "comboBox_encoder_direction"), dialog), expected.direction);
    EXPECT_EQ(shown(child<QCheckBox>(dialog, "checkBox_batch_signal_integrated"), dialog), expected.levelMode);
}

INSTANTIATE_TEST_SUITE_P(Heads, TerminalDialogSeries, ::testing::Range(0, 3));

}  // namespace
