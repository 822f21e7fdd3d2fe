#include "tests/support/settings_host/settings_page_host.h"

#include "sensor_client/linelaser_client.h"
#include "views/profile/tools/incline_chart_form.h"
#include "views/profile/tools/incline_set_form.h"
#include "views/profile/tools/outline25d_advanced_widget.h"
#include "views/profile/tools/outline25d_setting_widget.h"
#include "views/profile/tools/outline25d_setup_widget.h"

namespace mirevo::test {

namespace {

void writeRegister(int reg, int value) { linelaserClient()->cfgRegister(1, reg, &value); }

}  // namespace

SettingsPageHost::SettingsPageHost()
    : inclineChart_(std::make_unique<InclineChartForm>()),
      inclineSet_(std::make_unique<InclineSetForm>()),
      stepHeight_(std::make_unique<Outline25dSettingWidget>()),
      stepHeightSetup_(std::make_unique<Outline25dSetupWidget>()),
      stepHeightAdvanced_(std::make_unique<Outline25dAdvancedWidget>()) {
    connect(inclineChart_.get(), &InclineChartForm::signal_abarea_line_mode, this, &SettingsPageHost::onTiltAreas);
    connect(inclineSet_.get(), &InclineSetForm::signal_btn_env, this, &SettingsPageHost::onTiltButton);
    connect(linelaserClient(), &LinelaserClient::signal_recv_type_datas, this, &SettingsPageHost::onLiveData);

    Outline25dSettingWidget* main = stepHeight_.get();
    Outline25dSetupWidget* setup = stepHeightSetup_.get();
    Outline25dAdvancedWidget* advanced = stepHeightAdvanced_.get();
    connect(main, &Outline25dSettingWidget::signal_clicked, this, &SettingsPageHost::onStepHeightPageRequest);
    connect(advanced, &Outline25dAdvancedWidget::signal_clicked, this, &SettingsPageHost::onStepHeightPageRequest);
    connect(setup, &Outline25dSetupWidget::signal_clicked, this, &SettingsPageHost::onSetupPageRequest);
    connect(main, &Outline25dSettingWidget::signal_work_mode, this, &SettingsPageHost::setWorkModeLocked);
    connect(main, &Outline25dSettingWidget::signal_values_save_changed, &outputPage_,
            &OutputPageStandIn::slot_values_save_changed);
    connect(advanced, &Outline25dAdvancedWidget::signal_values_save_changed, &outputPage_,
            &OutputPageStandIn::slot_values_save_changed);
    connect(advanced, &Outline25dAdvancedWidget::signal_boundary_method_changed, main,
            &Outline25dSettingWidget::on_boundary_method_changed);
    connect(main, &Outline25dSettingWidget::signal_set_cursor_x, &cameraCursors_,
            &CameraCursorRecorder::slot_set_cursor_x);
    connect(setup, &Outline25dSetupWidget::signal_set_cursor_x, &cameraCursors_,
            &CameraCursorRecorder::slot_set_cursor_x);
    // The output page's thread delivers its values queued.
    connect(&outputPage_, &OutputPageStandIn::signal_update_data, main, &Outline25dSettingWidget::update_data);
    connect(&outputPage_, &OutputPageStandIn::signal_update_data, advanced, &Outline25dAdvancedWidget::update_data);
}

SettingsPageHost::~SettingsPageHost() = default;

void SettingsPageHost::openTilt(int page) {
    writeRegister(page == 0 ? 324 : 330, 0);
    rightPage_ = kTiltPage;
    leftView_ = kTiltChartView;
    inclineSet_->setCorrectionPage(page);
    inclineSet_->loadFromDevice();
    inclineChart_->showCorrectionAreas(page == 1);
}

void SettingsPageHost::leaveTiltPage() {
    if (rightPage_ != kTiltPage) return;
    writeRegister(inclineSet_->correctionPage() != 0 ? 330 : 324, 1);
}

void SettingsPageHost::showPage(int rightPage, int leftView) {
    leaveTiltPage();
    rightPage_ = rightPage;
    leftView_ = leftView;
}

void SettingsPageHost::saveAndClose() {
    // Whatever correction the tilt page shows, the window enables k.
    if (rightPage_ == kTiltPage) writeRegister(324, 1);
    closed_ = true;
}

void SettingsPageHost::closeWithoutSaving() { closed_ = true; }

void SettingsPageHost::openStepHeight() {
    leaveTiltPage();
    LinelaserClient& client = *linelaserClient();
    client.stopAcquisition();
    stepHeight_->loadFromDevice();
    rightPage_ = kStepHeightPage;
    title_ = QStringLiteral("2.5D设定");
    if (client.cachedRegister(149) == 0) client.startProfileAcquisition();
}

void SettingsPageHost::setWorkModeLocked(bool on) {
    pageButtonsEnabled_ = !on;
    if (on) batchStartEnabled_ = false;
}

void SettingsPageHost::onStepHeightPageRequest(int page) {
    rightPage_ = page;
    title_ = page == kStepHeightPage ? QStringLiteral("2.5D设定")
                                     : page == kOutputPage ? QStringLiteral("输出设定") : QStringLiteral("高级设定");
    if (page == kOutputPage) {
        outputPage_.load();
        outputPage_.setOutputKind(2);
    } else if (page == kStepHeightSetupPage) {
        stepHeightSetup_->loadFromDevice();
    } else if (page == kStepHeightAdvancedPage) {
        stepHeightAdvanced_->loadFromDevice();
    }
}

void SettingsPageHost::onSetupPageRequest(int page) {
    onStepHeightPageRequest(page);
    if (page == kStepHeightPage) {
        stepHeight_->setCursorEnabled(true);
        stepHeight_->updateCursor();
    }
}

void SettingsPageHost::onLiveData(int kind) {
    if (kind == 0 && leftView_ == kTiltChartView) inclineChart_->refreshOutline();
}

void SettingsPageHost::onTiltAreas(tevu::laser_correction record) { inclineSet_->calculateCorrection(record); }

void SettingsPageHost::onTiltButton(tevu::enumBtnEnv env) {
    if (env == tevu::btnEnvClose) showPage(kProfileSettingsPage);
}

}  // namespace mirevo::test
