#include "tests/support/settings_host/settings_page_host.h"

#include "sensor_client/linelaser_client.h"
#include "views/profile/tools/incline_chart_form.h"
#include "views/profile/tools/incline_set_form.h"

namespace mirevo::test {

namespace {

void writeRegister(int reg, int value) { linelaserClient()->cfgRegister(1, reg, &value); }

}  // namespace

SettingsPageHost::SettingsPageHost()
    : inclineChart_(std::make_unique<InclineChartForm>()), inclineSet_(std::make_unique<InclineSetForm>()) {
    connect(inclineChart_.get(), &InclineChartForm::signal_abarea_line_mode, this, &SettingsPageHost::onTiltAreas);
    connect(inclineSet_.get(), &InclineSetForm::signal_btn_env, this, &SettingsPageHost::onTiltButton);
    connect(linelaserClient(), &LinelaserClient::signal_recv_type_datas, this, &SettingsPageHost::onLiveData);
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

void SettingsPageHost::onLiveData(int kind) {
    if (kind == 0 && leftView_ == kTiltChartView) inclineChart_->refreshOutline();
}

void SettingsPageHost::onTiltAreas(tevu::laser_correction record) { inclineSet_->calculateCorrection(record); }

void SettingsPageHost::onTiltButton(tevu::enumBtnEnv env) {
    if (env == tevu::btnEnvClose) showPage(kProfileSettingsPage);
}

}  // namespace mirevo::test
