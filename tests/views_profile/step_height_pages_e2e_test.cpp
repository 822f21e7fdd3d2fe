// The 2.5D step-height pages in their host against a simulated series-'4'
// head that offers the measurement.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "sensor_client/app_settings.h"
#include "sensor_interface/registry/device_functions.h"
#include "tests/support/qt/client_fixture.h"
#include "tests/support/qt/scripted_prompter.h"
#include "tests/support/settings_host/settings_page_host.h"
#include "tools/sensor_sim/sim_presets.h"
#include "tools/sensor_sim/step_height_calibration.h"
#include "views/profile/tools/outline25d_advanced_widget.h"
#include "views/profile/tools/outline25d_setting_widget.h"
#include "views/profile/tools/outline25d_setup_widget.h"

using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;
using mirevo::test::SettingsPageHost;

namespace {

constexpr uint32_t kStepHeightVersion = 28696;
constexpr uint32_t kDebugModeRegister = 2;  // written before each live read

uint32_t bits(float value) {
    uint32_t b = 0;
    std::memcpy(&b, &value, sizeof b);
    return b;
}

class StepHeightPages : public mirevo::test::ClientFixture {
protected:
    mirevo::test::ClientSensorOptions sensorOptions() const override {
        mirevo::test::ClientSensorOptions options;
        options.preset = sensor_sim::series4Preset(kStepHeightVersion);
        return options;
    }

    void SetUp() override {
        ClientFixture::SetUp();
        if (HasFatalFailure()) return;
        calibration.install(sensor().head());
        // The sensor's power-on values of the 2.5D registers.
        for (auto [reg, value] : std::initializer_list<std::pair<uint32_t, uint32_t>>{
                 {820, 100u << 16 | 50}, {821, 300u << 16 | 20}, {822, 0}, {823, 127}, {870, 9}, {824, 0}, {825, 0},
                 {826, 0}, {827, 0}, {842, 0}, {873, 0}, {831, 0}, {876, 0}, {875, 1000000}, {874, 1000000},
                 {871, 9}, {872, 0}, {830, 0}, {866, 0}, {868, 0}, {864, 0}, {865, 0}})
            sensor().setReg(reg, value);
        host = std::make_unique<SettingsPageHost>();
    }
    void TearDown() override {
        host.reset();
        ClientFixture::TearDown();
    }

    Outline25dSettingWidget& main() { return host->stepHeight(); }
    Outline25dSetupWidget& setup() { return host->stepHeightSetup(); }
    Outline25dAdvancedWidget& advanced() { return host->stepHeightAdvanced(); }

    template <class T>
    T* child(QWidget& page, const char* name) {
        T* found = page.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // Register writes (opcode 160) since the log was last cleared.
    std::vector<uint32_t> writtenRegisters() {
        std::vector<uint32_t> written;
        for (const auto& packet : sensor().packetLog())
            if (packet.opcode == 160) written.push_back(packet.address & 0xFFFF);
        return written;
    }
    int debugRequests() {
        int count = 0;
        for (const auto& packet : sensor().packetLog())
            if (packet.opcode == 161 && (packet.address & 0xFFFF) == 319) ++count;
        return count;
    }
    // Makes the register image hold a value without the page writing it.
    void setImage(int reg, int value) {
        sensor().setReg(reg, static_cast<uint32_t>(value));
        uint32_t read = 0;
        ASSERT_EQ(hvq5_read_register(0, reg, &read), 0);
    }

    sensor_sim::StepHeightCalibration calibration;
    std::unique_ptr<SettingsPageHost> host;
};

}  // namespace

TEST_F(StepHeightPages, MakesTheMeasuredValueFolderForAHeadThatOffersIt) {
    EXPECT_TRUE(QDir(QStringLiteral("2.5D")).exists());
}

TEST_F(StepHeightPages, MainPageWritesEachControlAndSendsTheCursorColumns) {
    host->openStepHeight();
    ASSERT_EQ(host->rightPage(), SettingsPageHost::kStepHeightPage);
    EXPECT_EQ(host->title(), "2.5D设定");
    sensor().clearPacketLog();
    auto& cursors = host->cameraCursors();
    cursors.clear();

    child<QSpinBox>(main(), "spinBox_area1_start")->setValue(120);
    EXPECT_EQ(sensor().reg(820), 120u << 16 | 50);
    child<QSpinBox>(main(), "spinBox_area1_start")->setValue(100);
    child<QSpinBox>(main(), "spinBox_area1_len")->setValue(50);
    EXPECT_EQ(sensor().reg(820), 6553650u);
    ASSERT_FALSE(cursors.calls().empty());
    EXPECT_EQ(cursors.calls().back()[0], 92);
    EXPECT_EQ(cursors.calls().back()[1], 142);
    EXPECT_EQ(cursors.calls().back()[4], 0) << "the boundary before any result";
    child<QSpinBox>(main(), "spinBox_area2_len")->setValue(77);
    EXPECT_EQ(sensor().reg(821), 300u << 16 | 77);
    EXPECT_EQ(cursors.area(1), std::make_pair(292, 369));

    child<QSpinBox>(main(), "spinBox_delta_median")->setValue(31);
    child<QSpinBox>(main(), "spinBox_delta_average")->setValue(5);
    child<QDoubleSpinBox>(main(), "doubleSpinBox_delta_cmp")->setValue(12.5);
    child<QDoubleSpinBox>(main(), "doubleSpinBox_delta_invalid_output")->setValue(-0.0 + 3.25);
    child<QDoubleSpinBox>(main(), "doubleSpinBox_correction_k")->setValue(-1.125);
    child<QDoubleSpinBox>(main(), "doubleSpinBox_correction_b")->setValue(7.0);
    child<QComboBox>(main(), "comboBox_correction_ref_area")->setCurrentIndex(2);
    EXPECT_EQ(sensor().reg(823), 31u);
    EXPECT_EQ(sensor().reg(870), 5u);
    EXPECT_EQ(sensor().reg(824), bits(12.5f));
    EXPECT_EQ(sensor().reg(825), bits(3.25f));
    EXPECT_EQ(sensor().reg(826), bits(-1.125f));
    EXPECT_EQ(sensor().reg(827), bits(7.0f));
    EXPECT_EQ(sensor().reg(822), 2u);
}

TEST_F(StepHeightPages, LoadingShowsTheSensorsValuesWithoutWritingAny) {
    sensor().setReg(820, 10u << 16 | 300);
    sensor().setReg(821, 1500u << 16 | 40);
    sensor().setReg(822, 1);
    sensor().setReg(823, 15);
    sensor().setReg(870, 0);  // below the spin box's range
    sensor().setReg(824, bits(99.5f));
    sensor().setReg(827, bits(-2.0f));
    sensor().clearPacketLog();
    host->cameraCursors().clear();
    main().loadFromDevice();
    EXPECT_EQ(child<QSpinBox>(main(), "spinBox_area1_start")->value(), 10);
    EXPECT_EQ(child<QSpinBox>(main(), "spinBox_area1_len")->value(), 300);
    EXPECT_EQ(child<QSpinBox>(main(), "spinBox_area2_start")->value(), 1500);
    EXPECT_EQ(child<QComboBox>(main(), "comboBox_correction_ref_area")->currentIndex(), 1);
    EXPECT_EQ(child<QSpinBox>(main(), "spinBox_delta_median")->value(), 15);
    EXPECT_EQ(child<QSpinBox>(main(), "spinBox_delta_average")->value(), 1);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(main(), "doubleSpinBox_delta_cmp")->value(), 99.5);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(main(), "doubleSpinBox_correction_b")->value(), -2.0);
    EXPECT_FALSE(child<QCheckBox>(main(), "checkBox_25d_en")->isChecked());
    EXPECT_TRUE(child<QGroupBox>(main(), "groupBox_measure_params")->isEnabled());
    EXPECT_TRUE(writtenRegisters().empty()) << "a value the control changes is not written back";
    ASSERT_EQ(host->cameraCursors().calls().size(), 1u);
    EXPECT_EQ(host->cameraCursors().calls()[0], (std::array<int, 5>{2, 302, 1492, 1532, 0}));

    sensor().setReg(822, 7);  // no such item
    main().loadFromDevice();
    EXPECT_EQ(child<QComboBox>(main(), "comboBox_correction_ref_area")->currentIndex(), -1);
    EXPECT_TRUE(writtenRegisters().empty());

    sensor().setReg(842, 1);  // the work mode is on: the settings are locked
    main().loadFromDevice();
    EXPECT_TRUE(child<QCheckBox>(main(), "checkBox_25d_en")->isChecked());
    EXPECT_FALSE(child<QGroupBox>(main(), "groupBox_measure_area1")->isEnabled());
    EXPECT_TRUE(writtenRegisters().empty()) << "loading does not switch the work mode";
}

TEST_F(StepHeightPages, AFailedReadEndsTheLoadingWithOneBox) {
    main().loadFromDevice();
    sensor().setReg(820, 500u << 16 | 60);
    sensor().setReg(823, 3);
    sensor().head().injectRegisterFault(820, {sensor_sim::FaultKind::WrongAddressEcho});
    ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    main().loadFromDevice();
    sensor().head().clearFaults();
    ASSERT_EQ(prompts->count(), 1);
    EXPECT_EQ(prompts->prompts()[0].kind, PromptKind::Question);
    EXPECT_EQ(prompts->prompts()[0].title, "提示");
    EXPECT_EQ(prompts->prompts()[0].text, "通信失败!");
    EXPECT_EQ(child<QSpinBox>(main(), "spinBox_area1_start")->value(), 100) << "unchanged";
    EXPECT_EQ(child<QSpinBox>(main(), "spinBox_delta_median")->value(), 127) << "the loading ended";
    // The controls are unblocked again.
    child<QSpinBox>(main(), "spinBox_delta_median")->setValue(11);
    EXPECT_EQ(sensor().reg(823), 11u);
}

TEST_F(StepHeightPages, ResultsArriveQueuedFromTheOutputPagesThread) {
    main().loadFromDevice();
    host->cameraCursors().clear();
    host->outputPage().emitFromWorker("段差", " 0.125, 3", 700, 0, 0, 0, 0);
    EXPECT_EQ(child<QLabel>(main(), "label_output")->text(), "输出数值") << "queued, not yet delivered";
    ASSERT_TRUE(waitUntil([&] { return !host->cameraCursors().calls().empty(); }));
    EXPECT_EQ(child<QLabel>(main(), "label_output")->text(), "段差");
    EXPECT_EQ(child<QLabel>(main(), "label_output_value")->text(), " 0.125, 3");
    EXPECT_EQ(host->cameraCursors().boundary(), 692);

    // With the automatic search on, the areas follow the sensor's result.
    sensor().setReg(873, 1);
    sensor().setReg(831, 0);
    main().on_boundary_method_changed();
    EXPECT_EQ(main().boundaryMode, 1);
    EXPECT_EQ(child<QLabel>(main(), "label_area1_start")->text(), "偏移(pixel)");
    host->outputPage().emitFromWorker("", " 0.2", -1, 0, 0, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return host->cameraCursors().calls().size() == 2; }));
    EXPECT_EQ(host->cameraCursors().calls().back(), (std::array<int, 5>{-1, -1, -1, -1, -1}));
    EXPECT_FALSE(host->cameraCursors().area(0).has_value());
    EXPECT_FALSE(host->cameraCursors().boundary().has_value());
}

TEST_F(StepHeightPages, WorkModeOnStopsLiveReadsAndTheDataChannel) {
    host->openStepHeight();
    ASSERT_TRUE(waitUntil([&] { return client().frameCount > 2; })) << "the live profile runs";
    ASSERT_TRUE(sensor().dataChannel().connected());
    const int saves = host->outputPage().saveChanges();

    child<QCheckBox>(main(), "checkBox_25d_en")->setChecked(true);
    sensor().clearPacketLog();
    EXPECT_EQ(sensor().reg(842), 1u);
    EXPECT_TRUE(sensor().dataChannel().waitForDisconnect(2000)) << "the data channel is closed";
    EXPECT_FALSE(hvq5_get_link_paused(0)) << "live reads are off the command channel";
    EXPECT_FALSE(host->pageButtonsEnabled());
    EXPECT_FALSE(host->batchStartEnabled());
    EXPECT_EQ(host->outputPage().saveChanges(), saves + 1);
    EXPECT_FALSE(child<QGroupBox>(main(), "groupBox_measure_params")->isEnabled());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    QCoreApplication::processEvents();
    EXPECT_EQ(debugRequests(), 0);
}

TEST_F(StepHeightPages, WorkModeOffRestoresTheDataChannelBatchSettingIoModeAndLiveProfile) {
    host->openStepHeight();
    child<QCheckBox>(main(), "checkBox_25d_en")->setChecked(true);
    ASSERT_TRUE(sensor().dataChannel().waitForDisconnect(2000));
    const size_t connections = sensor().dataChannel().acceptedConnections();
    sensor().clearPacketLog();

    ScopedPrompter prompts;  // no box is expected
    child<QCheckBox>(main(), "checkBox_25d_en")->setChecked(false);
    EXPECT_EQ(prompts->count(), 0);
    EXPECT_TRUE(sensor().dataChannel().waitForConnection(connections + 1, 2000)) << "the receiver reconnected";
    EXPECT_TRUE(hvq5_get_link_paused(0));
    EXPECT_EQ(sensor().reg(149), 0u) << "batch mode off";
    EXPECT_EQ(sensor().writesTo(722), std::vector<uint32_t>{0}) << "I/O measure mode off";
    EXPECT_EQ(sensor().reg(842), 0u);
    // The live reads the switch restarts write the debug-mode register 2 from
    // their own thread at any time; the order holds among the page's writes.
    std::vector<uint32_t> pageWrites = writtenRegisters();
    pageWrites.erase(std::remove(pageWrites.begin(), pageWrites.end(), kDebugModeRegister), pageWrites.end());
    ASSERT_FALSE(pageWrites.empty());
    EXPECT_EQ(pageWrites.back(), 842u) << "the work mode is written last";
    const int frames = client().frameCount;
    EXPECT_TRUE(waitUntil([&] { return client().frameCount > frames + 1; })) << "live profiles resume";
    EXPECT_GT(debugRequests(), 0);
    EXPECT_TRUE(host->pageButtonsEnabled());
}

TEST_F(StepHeightPages, WorkModeOffWhileTheOutputConnectionIsSetKeepsTheLinkPaused) {
    host->openStepHeight();
    child<QCheckBox>(main(), "checkBox_25d_en")->setChecked(true);
    ASSERT_NO_FATAL_FAILURE(setImage(838, 1));
    child<QCheckBox>(main(), "checkBox_25d_en")->setChecked(false);
    EXPECT_FALSE(hvq5_get_link_paused(0));
    EXPECT_EQ(sensor().reg(842), 0u);
}

TEST_F(StepHeightPages, AdvancedPageWarnsOnceWhenAResultLeavesTheLimits) {
    ASSERT_NO_FATAL_FAILURE(setImage(842, 1));
    setSettingsInt(settings_keys::kMvalueBeyondWarning, 1);
    setSettingsDouble(settings_keys::kMvalueUpper, 10);
    setSettingsDouble(settings_keys::kMvalueLower, 0);
    advanced().loadFromDevice();
    ASSERT_TRUE(advanced().warnBeyondLimits());

    struct Case {
        const char* value;
        bool warns;
    };
    ScopedPrompter prompts;
    for (const Case& c : {Case{" 10.000, 1", false}, Case{" 0, 1", false}, Case{"", false}}) {
        advanced().update_data("段差", c.value, 0, 0, 0, 0, 0);
        EXPECT_EQ(prompts->count(), 0) << c.value;
    }
    prompts->answer(QMessageBox::Ok);
    advanced().update_data("段差", " 12.5, 3", 0, 0, 0, 0, 0);
    ASSERT_EQ(prompts->count(PromptKind::Warning), 1);
    EXPECT_EQ(prompts->prompts()[0].title, "测量结果");
    EXPECT_EQ(prompts->prompts()[0].text, "测量结果 12.5超限");
    EXPECT_FALSE(child<QCheckBox>(advanced(), "checkBox_25d_beyond_tip")->isChecked());
    EXPECT_EQ(settingsString("2.5D", "mvalue_beyond_warning", "?"), "0");
    advanced().update_data("段差", " -3", 0, 0, 0, 0, 0);
    EXPECT_EQ(prompts->count(), 1) << "shown once";

    child<QCheckBox>(advanced(), "checkBox_25d_beyond_tip")->setChecked(true);
    ASSERT_NO_FATAL_FAILURE(setImage(842, 0));
    advanced().update_data("段差", " 50", 0, 0, 0, 0, 0);
    EXPECT_EQ(prompts->count(), 1) << "no warning while the work mode is off";
}

TEST_F(StepHeightPages, AdvancedPageKeepsItsLimitsInTheSettingsFile) {
    advanced().loadFromDevice();
    auto* lower = child<QDoubleSpinBox>(advanced(), "doubleSpinBox_mvalue_lower");
    auto* upper = child<QDoubleSpinBox>(advanced(), "doubleSpinBox_mvalue_upper");
    upper->setValue(3);
    EXPECT_EQ(settingsString("2.5D", "mvalue_upper", "?"), "3");
    lower->setValue(5);
    EXPECT_DOUBLE_EQ(upper->minimum(), 5);
    EXPECT_DOUBLE_EQ(upper->value(), 5) << "raised to the lower limit";
    EXPECT_EQ(settingsString("2.5D", "mvalue_upper", "?"), "5");
    lower->setValue(123.4567);
    EXPECT_EQ(settingsString("2.5D", "mvalue_lower", "?"), "123.457");
    upper->setValue(999999999);
    EXPECT_EQ(settingsString("2.5D", "mvalue_upper", "?"), "1e+09");

    QSignalSpy saved(&advanced(), &Outline25dAdvancedWidget::signal_values_save_changed);
    child<QCheckBox>(advanced(), "checkBox_25d_save_output_values")->setChecked(true);
    EXPECT_EQ(saved.count(), 1);
    EXPECT_EQ(settingsString("2.5D", "mvalue_save", "?"), "1");

    // Read back from the file by a fresh page.
    reopenAppSettings();
    Outline25dAdvancedWidget fresh;
    fresh.loadFromDevice();
    EXPECT_TRUE(fresh.saveValues());
    EXPECT_DOUBLE_EQ(fresh.lowerLimit(), 123.457);
    EXPECT_DOUBLE_EQ(fresh.upperLimit(), 1e9);
    EXPECT_DOUBLE_EQ(fresh.findChild<QDoubleSpinBox*>("doubleSpinBox_mvalue_lower")->value(), 123.457);
}

TEST_F(StepHeightPages, AdvancedPageBoundarySearchChoiceAndLoading) {
    sensor().setReg(875, 500);  // below the spin box's range
    sensor().setReg(874, 5);
    sensor().setReg(872, bits(1.23456f));
    sensor().setReg(873, 1);
    sensor().setReg(831, 0);
    sensor().clearPacketLog();
    advanced().loadFromDevice();
    EXPECT_TRUE(writtenRegisters().empty()) << "loading writes nothing back";
    EXPECT_EQ(child<QComboBox>(advanced(), "comboBox_auto_boundary")->currentIndex(), 1);
    EXPECT_TRUE(child<QSpinBox>(advanced(), "spinBox_delta_sep")->isEnabled());
    EXPECT_FALSE(child<QComboBox>(advanced(), "comboBox_auto_boundary_base")->isEnabled());
    EXPECT_TRUE(child<QGroupBox>(advanced(), "groupBox_run")->isEnabled());

    host->openStepHeight();
    ASSERT_EQ(main().boundaryMode, 1);
    child<QComboBox>(advanced(), "comboBox_auto_boundary")->setCurrentIndex(2);  // "自动找边界v2"
    EXPECT_EQ(sensor().reg(873), 1u);
    EXPECT_EQ(sensor().reg(831), 1u);
    EXPECT_TRUE(child<QDoubleSpinBox>(advanced(), "doubleSpinBox_sep_stop_thr")->isEnabled());
    EXPECT_FALSE(child<QSpinBox>(advanced(), "spinBox_delta_sep")->isEnabled());
    EXPECT_TRUE(child<QComboBox>(advanced(), "comboBox_auto_boundary_base")->isEnabled());
    EXPECT_EQ(main().boundaryMode, 2) << "the main page relabels";

    child<QComboBox>(advanced(), "comboBox_auto_boundary")->setCurrentIndex(0);
    EXPECT_EQ(sensor().reg(873), 0u);
    EXPECT_EQ(main().boundaryMode, 0);
    EXPECT_EQ(child<QLabel>(main(), "label_area1_start")->text(), "起点(pixel)");
}

TEST_F(StepHeightPages, CalibrationRunsInTheSensorAndThePageShowsItsResult) {
    sensor().setReg(866, 6553650);  // start 100, length 50
    host->openStepHeight();
    host->cameraCursors().clear();
    child<QPushButton>(main(), "pushButton_setup")->click();
    EXPECT_EQ(host->rightPage(), SettingsPageHost::kStepHeightSetupPage);
    EXPECT_EQ(child<QSpinBox>(setup(), "spinBox_area_start")->value(), 100);
    EXPECT_EQ(child<QSpinBox>(setup(), "spinBox_area_end")->value(), 150);
    ASSERT_FALSE(host->cameraCursors().calls().empty());
    EXPECT_EQ(host->cameraCursors().calls().back(), (std::array<int, 5>{100, 150, -1, -1, -1}));
    EXPECT_EQ(child<QLabel>(setup(), "label_setup_state")->text(), "失败");
    EXPECT_TRUE(child<QGroupBox>(setup(), "groupBox_correction_cal")->isEnabled());

    sensor().clearPacketLog();
    child<QPushButton>(setup(), "pushButton_correction")->click();
    EXPECT_EQ(sensor().writesTo(867), std::vector<uint32_t>{1});
    EXPECT_TRUE(setup().reloadTimer().isActive());
    EXPECT_EQ(setup().reloadTimer().interval(), 100);
    ASSERT_TRUE(waitUntil([&] { return child<QLabel>(setup(), "label_setup_state")->text() == "成功"; }));
    ASSERT_TRUE(waitUntil([&] { return child<QDoubleSpinBox>(setup(), "doubleSpinBox_degree")->value() == 1.25; }));
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(setup(), "doubleSpinBox_linearity")->value(), 3.5);
    const int frames = setup().reloadTimer().isActive() ? 1 : 0;
    EXPECT_EQ(frames, 1) << "the page keeps re-reading";
    EXPECT_TRUE(sensor().writesTo(864).empty()) << "the re-reading never writes the angle";
    EXPECT_TRUE(sensor().writesTo(866).empty());

    // Back to the main page: it owns the cursors again.
    child<QPushButton>(setup(), "pushButton_close")->click();
    EXPECT_FALSE(setup().reloadTimer().isActive());
    EXPECT_EQ(host->rightPage(), SettingsPageHost::kStepHeightPage);
    EXPECT_TRUE(main().isCursorEnabled());
    EXPECT_EQ(host->cameraCursors().calls().back(), (std::array<int, 5>{92, 142, 292, 312, 0}));
}

TEST_F(StepHeightPages, SetupPageWritesItsAreaAndAngle) {
    setup().loadFromDevice();
    auto* start = child<QSpinBox>(setup(), "spinBox_area_start");
    auto* end = child<QSpinBox>(setup(), "spinBox_area_end");
    start->setValue(200);
    EXPECT_EQ(end->minimum(), 201);
    EXPECT_EQ(end->value(), 201) << "raised past the start";
    EXPECT_EQ(sensor().reg(866), 200u << 16 | 1);
    end->setValue(260);
    EXPECT_EQ(sensor().reg(866), 200u << 16 | 60);
    EXPECT_EQ(host->cameraCursors().calls().back(), (std::array<int, 5>{200, 260, -1, -1, -1})) << "unshifted";
    end->setValue(100);
    EXPECT_EQ(end->value(), 201) << "never at or before the start";
    child<QDoubleSpinBox>(setup(), "doubleSpinBox_degree")->setValue(-0.75);
    EXPECT_EQ(sensor().reg(864), bits(-0.75f));
}

TEST_F(StepHeightPages, AFailedCalibrationStartStartsNoTimer) {
    setup().loadFromDevice();
    sensor().head().injectRegisterFault(867, {sensor_sim::FaultKind::WrongAddressEcho});
    ScopedPrompter prompts;
    prompts->answer(QMessageBox::Ok);
    child<QPushButton>(setup(), "pushButton_correction")->click();
    EXPECT_EQ(prompts->count(), 1);
    EXPECT_FALSE(setup().reloadTimer().isActive());
}

TEST_F(StepHeightPages, AReloadThatFailsShowsOneBoxAndStops) {
    setup().loadFromDevice();
    child<QPushButton>(setup(), "pushButton_correction")->click();
    ASSERT_TRUE(setup().reloadTimer().isActive());
    sensor().head().injectRegisterFault(868, {sensor_sim::FaultKind::WrongAddressEcho});
    ScopedPrompter prompts;
    prompts->answerUnscriptedBoxesWith(QMessageBox::Ok);
    ASSERT_TRUE(waitUntil([&] { return prompts->count() > 0; }));
    EXPECT_FALSE(setup().reloadTimer().isActive());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    QCoreApplication::processEvents();
    EXPECT_EQ(prompts->count(), 1);
}

TEST_F(StepHeightPages, HostShowsTheRequestedPages) {
    host->openStepHeight();
    child<QPushButton>(main(), "pushButton_output_setting")->click();
    EXPECT_EQ(host->rightPage(), SettingsPageHost::kOutputPage);
    EXPECT_EQ(host->title(), "输出设定");
    EXPECT_EQ(host->outputPage().loads(), 1);
    EXPECT_EQ(host->outputPage().outputKind(), 2);
    sensor().setReg(876, 2);
    child<QPushButton>(main(), "pushButton_advanced")->click();
    EXPECT_EQ(host->rightPage(), SettingsPageHost::kStepHeightAdvancedPage);
    EXPECT_EQ(host->title(), "高级设定");
    EXPECT_EQ(child<QComboBox>(advanced(), "comboBox_delta_cal_way")->currentIndex(), 2) << "loaded";
    child<QPushButton>(advanced(), "pushButton_close")->click();
    EXPECT_EQ(host->rightPage(), SettingsPageHost::kStepHeightPage);
    EXPECT_EQ(host->title(), "2.5D设定");
}
