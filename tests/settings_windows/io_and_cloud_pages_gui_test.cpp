#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>

#include <gtest/gtest.h>

#include "settings_windows/cloud_filter_setting_widget.h"
#include "settings_windows/io_listen_form.h"
#include "tests/settings_windows/page_test_support.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scripted_prompter.h"

using namespace settings_gui;
using mirevo::test::ClientSensorOptions;
using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;

namespace {

// ---------------------------------------------------------------- cloud filter

constexpr uint32_t kWeldFilterBit = 8;

class CloudFilterPage : public mirevo::test::ClientFixture {
protected:
    ClientSensorOptions sensorOptions() const override {
        return headOf(sensor_sim::newSeriesPreset(844),
                      {{777, 6000}, {785, 1001}, {779, 2}, {778, 1}, {772, kWeldFilterBit}});
    }
};

TEST_F(CloudFilterPage, TheLoadShowsTheFilterAndWritesNothing) {
    ScopedPrompter prompts;
    CloudFilterSettingWidget page;
    sensor().clearPacketLog();
    page.loadSettings();
    EXPECT_TRUE(writtenRegisters(sensor()).empty());
    EXPECT_TRUE(child<QGroupBox>(page, "groupBox_weld_filter")->isChecked());
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_max_valid_width")->value(), 4096);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(page, "doubleSpinBox_height_threshold")->value(), 1.001);
    EXPECT_EQ(child<QComboBox>(page, "comboBox_process_object")->currentIndex(), 2);
    EXPECT_TRUE(child<QCheckBox>(page, "checkBox_gray_filter_en")->isChecked());
    EXPECT_FALSE(child<QGroupBox>(page, "groupBox_cover_filter")->isEnabled());
    EXPECT_EQ(prompts->count(), 0);
    page.show();
    mirevo::test::saveGrab(page, "cloud_filter_page");
}

TEST_F(CloudFilterPage, EditsWriteTheirRegistersAndTheSwitchTheFeatureBit) {
    ScopedPrompter prompts;
    CloudFilterSettingWidget page;
    page.loadSettings();
    sensor().clearPacketLog();
    QDoubleSpinBox* height = child<QDoubleSpinBox>(page, "doubleSpinBox_height_threshold");
    height->setValue(1.235);
    height->setValue(-2.5);
    height->setValue(1.001);  // the double product lies just below 1001 and is truncated
    EXPECT_EQ(sensor().writesTo(785), (std::vector<uint32_t>{1235, static_cast<uint32_t>(-2500), 1000}));
    child<QSpinBox>(page, "spinBox_max_valid_width")->setValue(2000);
    EXPECT_EQ(sensor().writesTo(777), std::vector<uint32_t>{2000});
    child<QComboBox>(page, "comboBox_process_object")->setCurrentIndex(1);
    EXPECT_EQ(sensor().writesTo(779), std::vector<uint32_t>{1});
    child<QCheckBox>(page, "checkBox_gray_filter_en")->click();
    EXPECT_EQ(sensor().writesTo(778), std::vector<uint32_t>{0});

    child<QGroupBox>(page, "groupBox_weld_filter")->setChecked(false);
    EXPECT_EQ(sensor().reg(772) & kWeldFilterBit, 0u);
    child<QGroupBox>(page, "groupBox_weld_filter")->setChecked(true);
    EXPECT_EQ(sensor().reg(772) & kWeldFilterBit, kWeldFilterBit);
    EXPECT_EQ(prompts->count(), 0);

    QSignalSpy pages(&page, &CloudFilterSettingWidget::signal_clicked);
    child<QPushButton>(page, "pushButton_close")->click();
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages.at(0).at(0).toInt(), 5);
}

TEST_F(CloudFilterPage, AFailedReadShowsOneBoxAndEndsTheLoad) {
    ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    CloudFilterSettingWidget page;
    sensor().head().injectRegisterFault(785, rejected());
    page.loadSettings();
    sensor().head().clearFaults();
    EXPECT_EQ(prompts->count(PromptKind::Question), 1);
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_max_valid_width")->value(), 4096);
    EXPECT_FALSE(child<QCheckBox>(page, "checkBox_gray_filter_en")->isChecked());
}

class CloudFilterGate : public mirevo::test::ClientFixture, public ::testing::WithParamInterface<int> {
protected:
    static sensor_sim::ModelPreset preset(int index) {
        const sensor_sim::ModelPreset presets[] = {sensor_sim::series3Preset(), sensor_sim::series4Preset(28712),
                                                   sensor_sim::newSeriesPreset(843)};
        return presets[index];
    }
    ClientSensorOptions sensorOptions() const override { return headOf(preset(GetParam()), {{777, 100}}); }
};

TEST_P(CloudFilterGate, HeadsWithoutTheFilterLeaveThePageAsItIs) {
    ScopedPrompter prompts;
    CloudFilterSettingWidget page;
    sensor().clearPacketLog();
    page.loadSettings();
    for (const auto& packet : sensor().packetLog()) {
        EXPECT_NE(packet.opcode, kWriteOpcode);
        EXPECT_NE(packet.address & 0xFFFF, 777u);
    }
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_max_valid_width")->value(), 4096);
}

INSTANTIATE_TEST_SUITE_P(Heads, CloudFilterGate, ::testing::Range(0, 3));

// ---------------------------------------------------------------- I/O monitor

class IoMonitor : public mirevo::test::ClientFixture {
protected:
    void SetUp() override {
        ClientFixture::SetUp();
        sensor().setReg(706, 12345);  // encoder of a new-series head
        sensor().setReg(294, 7);
    }
    // Waits until the page shows the status word's lamps.
    bool waitForLamp(IOListenForm& page, const char* lamp, bool green) {
        QPushButton* button = child<QPushButton>(page, lamp);
        return waitUntil([&] { return button->styleSheet() == ioLampStyle(green); });
    }
};

TEST_F(IoMonitor, StatusWordBitsLightTheirLampsAndTheCountersAreShown) {
    IOListenForm page;
    ASSERT_TRUE(client().startStatusAcquisition());
    page.startListen();
    EXPECT_EQ(IOListenForm::kRefreshMs, 30);
    // A flag is 1 (green) while its status-word bit is clear.
    const struct {
        int bit;
        const char* lamp;
    } lamps[] = {{14, "pushButton_m_start"}, {13, "pushButton_m_stop"}, {8, "pushButton_pin1"},
                 {9, "pushButton_pin2"},     {10, "pushButton_pin3"}};
    constexpr uint16_t kAllSet = (1 << 14) | (1 << 13) | (1 << 8) | (1 << 9) | (1 << 10);
    sensor().status().setStatus(kAllSet, 0);
    for (const auto& lamp : lamps) ASSERT_TRUE(waitForLamp(page, lamp.lamp, false)) << lamp.lamp;
    for (const auto& lamp : lamps) {
        SCOPED_TRACE(lamp.lamp);
        sensor().status().setStatus(static_cast<uint16_t>(kAllSet & ~(1 << lamp.bit)), 0);
        ASSERT_TRUE(waitForLamp(page, lamp.lamp, true));
        for (const auto& other : lamps)
            if (other.lamp != lamp.lamp)
                EXPECT_EQ(child<QPushButton>(page, other.lamp)->styleSheet(), ioLampStyle(false)) << other.lamp;
    }
    EXPECT_TRUE(waitUntil([&] { return child<QLineEdit>(page, "lineEdit_encoder_val")->text() == "12345"; }));
    EXPECT_EQ(child<QLineEdit>(page, "lineEdit_batch_nums")->text(), "7");
    for (const auto& lamp : lamps) EXPECT_TRUE(shown(child<QPushButton>(page, lamp.lamp), page));
    EXPECT_FALSE(shown(child<QPushButton>(page, "pushButton_pin4"), page));
    EXPECT_FALSE(shown(child<QPushButton>(page, "pushButton_resetall"), page));

    page.stopListen();
    sensor().setReg(706, 99);
    QApplication::processEvents();
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(child<QLineEdit>(page, "lineEdit_encoder_val")->text(), "12345") << "frozen after stopListen";
    page.show();
    mirevo::test::saveGrab(page, "io_monitor");
}

TEST_F(IoMonitor, CopyPlacesTheShownTextAndResetWritesTheResetRegister) {
    IOListenForm page;
    QLineEdit* encoder = child<QLineEdit>(page, "lineEdit_encoder_val");
    encoder->setText("  12 edited");
    child<QPushButton>(page, "pushButton_encoder_copy")->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "  12 edited");
    sensor().clearPacketLog();
    child<QPushButton>(page, "pushButton_encoder_reset")->click();
    EXPECT_EQ(sensor().writesTo(711), std::vector<uint32_t>{1});
}

class IoMonitorSeries3 : public mirevo::test::ClientFixture {
protected:
    ClientSensorOptions sensorOptions() const override { return headOf(sensor_sim::series3Preset()); }
};

TEST_F(IoMonitorSeries3, OnlyTheMeasureLampsRemain) {
    IOListenForm page;
    page.startListen();
    page.stopListen();
    EXPECT_TRUE(shown(child<QPushButton>(page, "pushButton_m_start"), page));
    EXPECT_TRUE(shown(child<QPushButton>(page, "pushButton_m_stop"), page));
    for (const char* lamp : {"pushButton_pin1", "pushButton_pin2", "pushButton_pin3"})
        EXPECT_FALSE(shown(child<QPushButton>(page, lamp), page)) << lamp;
}

}  // namespace
