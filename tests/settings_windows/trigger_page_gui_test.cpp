#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStackedWidget>

#include <gtest/gtest.h>

#include "settings_windows/tigger_setting_widget.h"
#include "tests/settings_windows/page_test_support.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scripted_prompter.h"

using namespace settings_gui;
using mirevo::test::ClientSensorOptions;
using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;

namespace {

// A series-'5' head with a known maximum line rate, batch mode on and every
// trigger setting away from the page's defaults.
class TriggerPage : public mirevo::test::ClientFixture {
protected:
    ClientSensorOptions sensorOptions() const override {
        return headOf(sensor_sim::knownLineRatePreset(),
                      {{143, 1}, {145, 2}, {176, 70}, {283, 1}, {284, 25000}, {233, 1}, {206, 3}, {767, 1},
                       {768, 333}},
                      1);
    }
    void SetUp() override {
        ClientFixture::SetUp();
        sensor().setReg(138, 500);
    }
};

TEST_F(TriggerPage, ReloadShowsTheSensorAndWritesNothing) {
    ScopedPrompter prompts;
    TiggerSettingWidget page;
    QSignalSpy batchSignal(&page, &TiggerSettingWidget::signal_trigger_batch);
    sensor().clearPacketLog();
    page.reload();

    EXPECT_TRUE(writtenRegisters(sensor()).empty());
    EXPECT_EQ(prompts->count(), 0);
    EXPECT_EQ(child<QComboBox>(page, "comboBox_trigger_method")->currentIndex(), 1);  // stored 1 shows encoder
    EXPECT_TRUE(shown(child<QGroupBox>(page, "groupBox_trigger_method_3"), page));
    EXPECT_EQ(child<QComboBox>(page, "comboBox_trigger_encoder_mode")->currentIndex(), 2);
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_trigger_encoder_interval")->value(), 70);
    EXPECT_TRUE(child<QCheckBox>(page, "checkBox_trigger_interval")->isChecked());
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(page, "doubleSpinBox_trigger_yinterval")->value(), 0.25);
    EXPECT_TRUE(child<QCheckBox>(page, "checkBox_batch_en")->isChecked());
    EXPECT_FALSE(shown(child<QCheckBox>(page, "checkBox_batch_mode"), page));
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_trigger_batch_size")->value(), 500);
    EXPECT_EQ(child<QComboBox>(page, "comboBox_batchModel")->currentIndex(), 1);
    EXPECT_TRUE(child<QComboBox>(page, "comboBox_bacthView")->isEnabled());
    EXPECT_TRUE(child<QRadioButton>(page, "radioButton_async_client_sync")->isChecked());
    EXPECT_EQ(child<QLabel>(page, "label_max_sampling_freq")->text(), "3333 ");
    QSpinBox* rate = child<QSpinBox>(page, "spinBox_sampling_freq");
    EXPECT_EQ(rate->maximum(), sensor_sim::kKnownMaxLineRateHz);
    EXPECT_EQ(rate->value(), 1000000 / 333);
    EXPECT_TRUE(child<QCheckBox>(page, "checkBox_customized_sampling_freq")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(page, "checkBox_max_sampling_freq")->isChecked());
    ASSERT_FALSE(batchSignal.isEmpty());
    EXPECT_TRUE(batchSignal.last().at(0).toBool());
    EXPECT_FALSE(child<QSpinBox>(page, "spinBox_trigger_batch_size")->keyboardTracking());
    page.show();
    mirevo::test::saveGrab(page, "trigger_page");
}

TEST_F(TriggerPage, ASyncModeThePageCannotShowIsResetOnTheSensor) {
    sensor().setReg(206, 7);
    ScopedPrompter prompts;
    TiggerSettingWidget page;
    sensor().clearPacketLog();
    page.reload();
    // The sync setting alone (the interface writes its minimum period, 260, with it).
    EXPECT_EQ(writtenRegisters(sensor()), (std::vector<uint32_t>{206, 260}));
    EXPECT_EQ(sensor().reg(206), 0u);
    EXPECT_TRUE(child<QRadioButton>(page, "radioButton_async_off")->isChecked());
}

TEST_F(TriggerPage, AFailedReadEndsTheLoadWithOneBox) {
    // Registers read by the steps of the load, in order.
    for (uint32_t failing : {143u, 138u, 206u}) {
        SCOPED_TRACE(failing);
        ScopedPrompter prompts;
        prompts->answer(QMessageBox::Ok);
        TiggerSettingWidget page;
        sensor().head().injectRegisterFault(failing, rejected());
        page.reload();
        sensor().head().clearFaults();
        ASSERT_EQ(prompts->count(PromptKind::Question), 1);
        EXPECT_EQ(prompts->prompts()[0].title, "提示");
        EXPECT_EQ(prompts->prompts()[0].text, "通信失败!");
        // The rate is the last step: a failure before it leaves the form's values.
        EXPECT_EQ(child<QSpinBox>(page, "spinBox_sampling_freq")->value(), 50);
        EXPECT_EQ(child<QSpinBox>(page, "spinBox_trigger_batch_size")->value(), failing == 206 ? 500 : 1000);
    }
}

TEST_F(TriggerPage, SyncModesShowTheirButtonsAndAreWritten) {
    struct Case {
        int mode;
        const char* checked[5];  // the checked buttons (hidden ones too)
        bool masterChoicesShown;
        bool slaveChoicesShown;
        int slaveSignal;  // -1 none, 0 false, 1 true
        uint32_t written;
    };
    // A pair the table leaves alone keeps what the mode before gave it.
    const Case cases[] = {
        {0, {"radioButton_async_off"}, false, false, 0, 0},
        {1, {"radioButton_async_on", "radioButton_async_server", "radioButton_async_server_sync"}, true, false, 0, 1},
        {2,
         {"radioButton_async_on", "radioButton_async_client", "radioButton_async_client_alter",
          "radioButton_async_server_sync"},
         false, true, 1, 2},
        {3,
         {"radioButton_async_on", "radioButton_async_client", "radioButton_async_client_sync",
          "radioButton_async_server_sync"},
         false, true, -1, 3},
        {4,
         {"radioButton_async_on", "radioButton_async_server", "radioButton_async_server_sync",
          "radioButton_async_client_sync"},
         true, true, -1, 4},
        {5,
         {"radioButton_async_on", "radioButton_async_server", "radioButton_async_server_async",
          "radioButton_async_client_sync"},
         true, true, -1, 5},
        {6, {"radioButton_async_off"}, false, false, 0, 0},
        {7, {"radioButton_async_off"}, false, false, 0, 0},
    };
    const char* all[] = {"radioButton_async_on",          "radioButton_async_off",
                         "radioButton_async_server",      "radioButton_async_client",
                         "radioButton_async_client_alter", "radioButton_async_client_sync",
                         "radioButton_async_server_sync", "radioButton_async_server_async"};
    ScopedPrompter prompts;
    TiggerSettingWidget page;
    page.reload();
    // Each mode is reached the way the operator reaches it: from the one before.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        QSignalSpy slave(&page, &TiggerSettingWidget::signal_slave_mode);
        sensor().clearPacketLog();
        page.setSyncMode(c.mode);
        for (const char* name : all) {
            bool expected = false;
            for (const char* on : c.checked) expected = expected || (on && QString(on) == name);
            EXPECT_EQ(child<QRadioButton>(page, name)->isChecked(), expected) << name;
        }
        EXPECT_EQ(shown(child<QRadioButton>(page, "radioButton_async_server_sync"), page), c.masterChoicesShown);
        EXPECT_EQ(shown(child<QRadioButton>(page, "radioButton_async_client_alter"), page), c.slaveChoicesShown);
        if (c.slaveSignal < 0) {
            EXPECT_TRUE(slave.isEmpty());
        } else {
            ASSERT_EQ(slave.size(), 1);
            EXPECT_EQ(slave.at(0).at(0).toBool(), c.slaveSignal == 1);
        }
        EXPECT_EQ(sensor().writesTo(206), std::vector<uint32_t>{c.written});
    }
}

TEST_F(TriggerPage, ClickingSlaveThenMasterSendsTheirModes) {
    ScopedPrompter prompts;
    TiggerSettingWidget page;
    page.reload();
    QSignalSpy slave(&page, &TiggerSettingWidget::signal_slave_mode);
    sensor().clearPacketLog();
    child<QRadioButton>(page, "radioButton_async_client")->click();
    child<QRadioButton>(page, "radioButton_async_server")->click();
    EXPECT_EQ(sensor().writesTo(206), (std::vector<uint32_t>{2, 1}));
    ASSERT_EQ(slave.size(), 2);
    EXPECT_TRUE(slave.at(0).at(0).toBool());
    EXPECT_FALSE(slave.at(1).at(0).toBool());
}

TEST_F(TriggerPage, TheMaximumRateAndACustomRate) {
    ScopedPrompter prompts;
    TiggerSettingWidget page;
    page.reload();
    sensor().clearPacketLog();
    child<QCheckBox>(page, "checkBox_max_sampling_freq")->click();
    EXPECT_FALSE(child<QCheckBox>(page, "checkBox_customized_sampling_freq")->isChecked());
    EXPECT_EQ(sensor().writesTo(767), std::vector<uint32_t>{0});
    EXPECT_EQ(sensor().writesTo(144).back(), 1000000u / sensor_sim::kKnownMaxLineRateHz);  // the line period in us

    sensor().clearPacketLog();
    child<QSpinBox>(page, "spinBox_sampling_freq")->setValue(3000);
    child<QCheckBox>(page, "checkBox_customized_sampling_freq")->click();
    EXPECT_EQ(sensor().writesTo(768), std::vector<uint32_t>{333});
    EXPECT_EQ(sensor().writesTo(767), std::vector<uint32_t>{1});
    EXPECT_EQ(sensor().writesTo(144).back(), 333u);
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_sampling_freq")->minimum(), 10);
    EXPECT_EQ(prompts->count(), 0);
}

TEST_F(TriggerPage, ABatchSizeChangeAsksForTheHeightMap) {
    ScopedPrompter prompts;
    TiggerSettingWidget page;
    page.reload();
    QSignalSpy batchSignal(&page, &TiggerSettingWidget::signal_trigger_batch);
    child<QSpinBox>(page, "spinBox_trigger_batch_size")->setValue(800);
    EXPECT_EQ(sensor().reg(138), 800u);
    ASSERT_EQ(batchSignal.size(), 1);
    EXPECT_TRUE(batchSignal.at(0).at(0).toBool());
}

TEST_F(TriggerPage, AStoredExternalTriggerIsStoredAsEncoderWhenChosenAgain) {
    ScopedPrompter prompts;
    TiggerSettingWidget page;
    page.reload();
    QComboBox* method = child<QComboBox>(page, "comboBox_trigger_method");
    method->setCurrentIndex(0);
    EXPECT_FALSE(shown(child<QGroupBox>(page, "groupBox_trigger_method_3"), page));
    method->setCurrentIndex(1);
    EXPECT_EQ(sensor().writesTo(143), (std::vector<uint32_t>{0, 2}));
    EXPECT_TRUE(shown(child<QGroupBox>(page, "groupBox_trigger_method_3"), page));
}

TEST_F(TriggerPage, AZeroCustomPeriodInTheRegisterImageLeavesTheRateBoxAlone) {
    sensor().setReg(768, 0);
    int zero = 0;
    client().cfgRegister(1, 768, &zero);  // into the register image
    ScopedPrompter prompts;
    TiggerSettingWidget page;
    page.reload();
    EXPECT_EQ(child<QSpinBox>(page, "spinBox_sampling_freq")->value(), 50);
    EXPECT_EQ(prompts->count(), 0);
}

// Batch mode off (the fixture's default head) and a series-'3' head.
class TriggerPageProfileMode : public mirevo::test::ClientFixture {};

TEST_F(TriggerPageProfileMode, WithBatchOffTheBatchControlsAreDisabledAndTheSwitchStartsABatch) {
    ScopedPrompter prompts;
    TiggerSettingWidget page;
    page.reload();
    EXPECT_FALSE(child<QComboBox>(page, "comboBox_trigger_method")->isEnabled());
    EXPECT_FALSE(child<QSpinBox>(page, "spinBox_trigger_batch_size")->isEnabled());
    EXPECT_FALSE(child<QComboBox>(page, "comboBox_batchModel")->isEnabled());
    EXPECT_FALSE(child<QGroupBox>(page, "groupBox_trigger_method_3")->isEnabled());

    QSignalSpy batchSignal(&page, &TiggerSettingWidget::signal_trigger_batch);
    child<QCheckBox>(page, "checkBox_batch_en")->click();
    ASSERT_FALSE(sensor().writesTo(149).empty());
    EXPECT_EQ(sensor().writesTo(149).back(), 1u);
    ASSERT_EQ(batchSignal.size(), 1);
    EXPECT_TRUE(batchSignal.at(0).at(0).toBool());
    EXPECT_TRUE(client().batchThread.joinable());
    EXPECT_TRUE(child<QSpinBox>(page, "spinBox_trigger_batch_size")->isEnabled());
    EXPECT_EQ(prompts->count(), 0);
}

TEST_F(TriggerPageProfileMode, AFailedBatchSwitchShowsOneBoxAndChangesNothingElse) {
    ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    TiggerSettingWidget page;
    page.reload();
    QSignalSpy batchSignal(&page, &TiggerSettingWidget::signal_trigger_batch);
    sensor().head().injectRegisterFault(149, rejected());
    child<QCheckBox>(page, "checkBox_batch_en")->click();
    sensor().head().clearFaults();
    EXPECT_EQ(prompts->count(PromptKind::Question), 1);
    EXPECT_TRUE(batchSignal.isEmpty());
    EXPECT_FALSE(child<QSpinBox>(page, "spinBox_trigger_batch_size")->isEnabled());
    EXPECT_FALSE(client().batchThread.joinable());
}

class TriggerPageSeries3 : public mirevo::test::ClientFixture {
protected:
    ClientSensorOptions sensorOptions() const override { return headOf(sensor_sim::series3Preset()); }
};

TEST_F(TriggerPageSeries3, TriggerSourceAndSyncAreOutOfReachAndSingleFrameFollowsBatchMode) {
    ScopedPrompter prompts;
    TiggerSettingWidget page;
    page.reload();
    EXPECT_FALSE(child<QComboBox>(page, "comboBox_trigger_method")->isEnabled());
    EXPECT_FALSE(shown(child<QGroupBox>(page, "groupBox_trigger_method_3"), page));
    EXPECT_FALSE(shown(child<QGroupBox>(page, "groupBox_master_slave"), page));
    QCheckBox* single = child<QCheckBox>(page, "checkBox_batch_mode");
    EXPECT_FALSE(shown(single, page));

    child<QCheckBox>(page, "checkBox_batch_en")->click();
    EXPECT_TRUE(shown(single, page));
    EXPECT_FALSE(child<QComboBox>(page, "comboBox_trigger_method")->isEnabled());
    sensor().clearPacketLog();
    single->click();
    single->click();
    EXPECT_EQ(sensor().writesTo(722), (std::vector<uint32_t>{3, 2}));
    child<QCheckBox>(page, "checkBox_batch_en")->click();
    EXPECT_FALSE(shown(single, page));
    EXPECT_EQ(prompts->count(), 0);
}

}  // namespace
