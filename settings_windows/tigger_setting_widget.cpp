#include "settings_windows/tigger_setting_widget.h"

#include <QButtonGroup>
#include <QSignalBlocker>
#include <QStackedWidget>

#include <initializer_list>
#include <memory>
#include <vector>

#include "sensor_client/linelaser_client.h"
#include "sensor_client/prompter.h"
#include "sensor_interface/registry/device_functions.h"
#include "settings_windows/button_states.h"
#include "settings_windows/core/sync_modes.h"
#include "settings_windows/tigger_setting_form.h"

namespace {

constexpr int kDevice = 0;
constexpr int kCustomRateRegister = 767;
constexpr int kCustomPeriodRegister = 768;
constexpr int kSingleFrameRegister = 722;
constexpr int kGrayImageView = 4;

}  // namespace

TiggerSettingWidget::TiggerSettingWidget(QWidget* parent) : QWidget(parent), ui(new Ui::TiggerSettingWidget) {
    ui->setupUi(this);
    rateGroup_ = new QButtonGroup(this);
    {
        const QSignalBlocker blockMax(ui->checkBox_max_sampling_freq);
        const QSignalBlocker blockCustom(ui->checkBox_customized_sampling_freq);
        rateGroup_->setExclusive(true);
        rateGroup_->addButton(ui->checkBox_max_sampling_freq);
        rateGroup_->addButton(ui->checkBox_customized_sampling_freq);
        ui->comboBox_async_func_en->hide();
    }
    QMetaObject::connectSlotsByName(this);
}

TiggerSettingWidget::~TiggerSettingWidget() { delete ui; }

void TiggerSettingWidget::setStartBatchButton(QWidget* button) { startBatchButton_ = button; }

void TiggerSettingWidget::setLeftStack(QStackedWidget* stack) { leftStack_ = stack; }

void TiggerSettingWidget::reload() {
    initSyncGroups();
    loadSettings();
    ui->spinBox_trigger_batch_size->setKeyboardTracking(false);
    ui->spinBox_trigger_encoder_interval->setKeyboardTracking(false);
}

void TiggerSettingWidget::resetBatchView() { ui->comboBox_bacthView->setCurrentIndex(0); }

void TiggerSettingWidget::initSyncGroups() {
    if (hvq5_is_series3(kDevice)) {
        ui->comboBox_trigger_method->setEnabled(false);
        ui->groupBox_trigger_method_3->hide();
        ui->groupBox_master_slave->hide();
    }
    const std::pair<QAbstractButton*, QAbstractButton*> pairs[3] = {
        {ui->radioButton_async_off, ui->radioButton_async_on},
        {ui->radioButton_async_server, ui->radioButton_async_client},
        {ui->radioButton_async_client_alter, ui->radioButton_async_client_sync},
    };
    for (int i = 0; i < 3; ++i) {
        delete syncGroups_[i];
        syncGroups_[i] = new QButtonGroup(this);
        syncGroups_[i]->addButton(pairs[i].first);
        syncGroups_[i]->addButton(pairs[i].second);
    }
    // Only shown: writing mode 0 here would erase the sensor's sync setting
    // before loadSettings reads it.
    showSyncMode(sync_modes::kOff);
}

void TiggerSettingWidget::loadSettings() {
    LinelaserClient* client = linelaserClient();
    std::vector<std::unique_ptr<QSignalBlocker>> blocked;
    for (QWidget* control : findChildren<QWidget*>()) blocked.push_back(std::make_unique<QSignalBlocker>(control));
    blocked.push_back(std::make_unique<QSignalBlocker>(rateGroup_));

    int status = 0;
    do {
        int method = 0;
        if ((status = client->cfgTriggerMethod(0, &method)) != 0) break;
        ui->comboBox_trigger_method->setCurrentIndex(method);
        ui->groupBox_trigger_method_3->setVisible(method != 0);
        ui->groupBox_trigger_method_3->setEnabled(method != 0);

        int encoderMode = 0;
        if ((status = client->cfgEncoderMode(0, &encoderMode)) != 0) break;
        ui->comboBox_trigger_encoder_mode->setCurrentIndex(encoderMode);

        bool encoderInterval = false;  // read, not shown
        if ((status = client->cfgEncoderIntervalEnable(0, &encoderInterval)) != 0) break;

        int thinning = 0;
        if ((status = client->cfgEncoderInterval(0, &thinning)) != 0) break;
        ui->spinBox_trigger_encoder_interval->setValue(thinning);

        bool intervalOn = false;
        if ((status = client->cfgTriggerIntervalEnable(0, &intervalOn)) != 0) break;
        ui->checkBox_trigger_interval->setChecked(intervalOn);

        double intervalMm = 0;
        if ((status = client->cfgTriggerYInterval(0, &intervalMm)) != 0) break;
        ui->doubleSpinBox_trigger_yinterval->setValue(intervalMm);

        // The batch switch is shown, never written back: writing it clears the
        // sensor's batch memory (and on series '3' rewrites register 722).
        bool batch = false;
        bool single = false;
        if ((status = client->cfgBatchEnable(0, &batch, &single)) != 0) break;
        setBatchControlsEnabled(batch);
        ui->checkBox_batch_mode->setChecked(single);
        if (!hvq5_is_series3(kDevice) || !batch) ui->checkBox_batch_mode->hide();

        int batchSize = 0;
        if ((status = client->cfgBatchSize(0, &batchSize)) != 0) break;
        ui->spinBox_trigger_batch_size->setValue(batchSize);

        bool withIntensity = false;
        if ((status = client->cfgBatchModel(0, &withIntensity)) != 0) break;
        ui->comboBox_batchModel->setCurrentIndex(withIntensity ? 1 : 0);
        ui->comboBox_bacthView->setEnabled(withIntensity && batch);

        int syncMode = 0;
        if ((status = client->cfgAsyncFunction(0, &syncMode)) != 0) break;
        // A mode the page cannot show is reset on the sensor as well.
        if (sync_modes::written(syncMode) != syncMode)
            setSyncMode(syncMode);
        else
            showSyncMode(syncMode);

        const unsigned maxRate = static_cast<unsigned>(client->maxSamplingFrequency());
        ui->label_max_sampling_freq->setText(QStringLiteral("%1 ").arg(maxRate));
        ui->spinBox_sampling_freq->setMaximum(static_cast<int>(maxRate));
        const unsigned period = static_cast<unsigned>(client->cachedRegister(kCustomPeriodRegister));
        if (period != 0) ui->spinBox_sampling_freq->setValue(static_cast<int>(1000000u / period));

        const bool maxChosen = client->cachedRegister(kCustomRateRegister) == 0;
        ui->checkBox_max_sampling_freq->setChecked(maxChosen);
        ui->checkBox_customized_sampling_freq->setChecked(!maxChosen);
    } while (false);

    blocked.clear();
    if (status != 0) communicationFailed();
}

void TiggerSettingWidget::setBatchControlsEnabled(bool on) {
    if (on) {
        ui->spinBox_trigger_batch_size->setEnabled(true);
        ui->comboBox_trigger_method->setEnabled(true);
        if (ui->comboBox_trigger_method->currentIndex() != 0) ui->groupBox_trigger_method_3->setEnabled(true);
        ui->comboBox_batchModel->setEnabled(true);
        ui->comboBox_bacthView->setEnabled(ui->comboBox_batchModel->currentIndex() == 1);
        ui->comboBox_bacthView->setCurrentIndex(0);
        ui->checkBox_batch_en->setChecked(true);
    } else {
        ui->comboBox_bacthView->setCurrentIndex(0);
        ui->comboBox_bacthView->setEnabled(false);
        ui->spinBox_trigger_batch_size->setEnabled(false);
        ui->comboBox_trigger_method->setEnabled(false);
        ui->groupBox_trigger_method_3->setEnabled(false);
        ui->comboBox_batchModel->setEnabled(false);
        ui->checkBox_batch_en->setChecked(false);
    }
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
             ui->radioButton_async_off, ui->radioButton_async_on, ui->radioButton_async_server,
             ui->radioButton_async_client, ui->radioButton_async_client_alter, ui->radioButton_async_client_sync})
        button->setEnabled(on);
    emit signal_trigger_batch(on);
    if (hvq5_is_series3(kDevice)) ui->comboBox_trigger_method->setEnabled(false);
}

void TiggerSettingWidget::showSyncMode(int mode) {
    const sync_modes::View view = sync_modes::view(mode);
    {
        const QSignalBlocker b1(ui->radioButton_async_on), b2(ui->radioButton_async_off),
            b3(ui->radioButton_async_server), b4(ui->radioButton_async_client),
            b5(ui->radioButton_async_client_alter), b6(ui->radioButton_async_client_sync),
            b7(ui->radioButton_async_server_sync), b8(ui->radioButton_async_server_async);
        button_states::applyPair(ui->radioButton_async_on, ui->radioButton_async_off,
                                 {sync_modes::Visibility::Keep, view.on ? 1 : 2});
        button_states::applyPair(ui->radioButton_async_server, ui->radioButton_async_client, view.masterSlave);
        button_states::applyPair(ui->radioButton_async_client_alter, ui->radioButton_async_client_sync,
                                 view.slaveChoices);
        button_states::applyPair(ui->radioButton_async_server_sync, ui->radioButton_async_server_async,
                                 view.masterChoices);
    }
    if (view.slaveMode) emit signal_slave_mode(*view.slaveMode);
}

void TiggerSettingWidget::setSyncMode(int mode) {
    showSyncMode(mode);
    int written = sync_modes::written(mode);
    if (linelaserClient()->cfgAsyncFunction(1, &written) != 0) communicationFailed();
}

void TiggerSettingWidget::showTriggerMethod(int index) {
    ui->comboBox_trigger_method->setCurrentIndex(index);
    ui->groupBox_trigger_method_3->setVisible(index != 0);
    if (index != 0) ui->groupBox_trigger_method_3->setEnabled(true);
}

void TiggerSettingWidget::communicationFailed() {
    ui::prompter().question(this, tr("提示"), tr("通信失败!"), QMessageBox::Ok, QMessageBox::Ok);
}

// ---------------------------------------------------------------- trigger and encoder

void TiggerSettingWidget::on_comboBox_trigger_method_currentIndexChanged(int index) {
    int method = index;
    if (linelaserClient()->cfgTriggerMethod(1, &method) == 0)
        showTriggerMethod(index);
    else
        communicationFailed();
}

void TiggerSettingWidget::on_comboBox_trigger_encoder_mode_currentIndexChanged(int index) {
    int mode = index;
    if (linelaserClient()->cfgEncoderMode(1, &mode) != 0) communicationFailed();
}

void TiggerSettingWidget::on_spinBox_trigger_encoder_interval_valueChanged(int value) {
    if (value >= 10000) return;
    int count = ui->spinBox_trigger_encoder_interval->value();
    if (linelaserClient()->cfgEncoderInterval(1, &count) != 0) communicationFailed();
}

void TiggerSettingWidget::on_doubleSpinBox_trigger_yinterval_valueChanged(double mm) {
    if (linelaserClient()->cfgTriggerYInterval(1, &mm) != 0) communicationFailed();
}

void TiggerSettingWidget::on_checkBox_trigger_interval_stateChanged(int state) {
    bool on = state != 0;
    if (linelaserClient()->cfgTriggerIntervalEnable(1, &on) != 0) communicationFailed();
}

// ---------------------------------------------------------------- line rate

void TiggerSettingWidget::on_checkBox_max_sampling_freq_stateChanged(int state) {
    if (state == 0) return;
    int hz = linelaserClient()->maxSamplingFrequency();
    if (linelaserClient()->cfgSamplingFrequency(1, &hz) != 0) communicationFailed();
}

void TiggerSettingWidget::on_checkBox_customized_sampling_freq_stateChanged(int state) {
    int custom = state != 0 ? 1 : 0;
    linelaserClient()->cfgRegister(1, kCustomRateRegister, &custom);
    if (state == 0) return;
    int hz = ui->spinBox_sampling_freq->value();
    if (linelaserClient()->cfgSamplingFrequency(1, &hz) != 0) communicationFailed();
}

void TiggerSettingWidget::on_spinBox_sampling_freq_valueChanged(int hz) {
    if (hz <= 0) return;
    int period = 1000000 / hz;
    linelaserClient()->cfgRegister(1, kCustomPeriodRegister, &period);
    if (!ui->checkBox_customized_sampling_freq->isChecked()) return;
    if (linelaserClient()->cfgSamplingFrequency(1, &hz) != 0) communicationFailed();
}

// ---------------------------------------------------------------- batches

void TiggerSettingWidget::on_checkBox_batch_en_stateChanged(int state) {
    LinelaserClient* client = linelaserClient();
    client->stopAcquisition();
    bool batch = state != 0;
    bool single = ui->checkBox_batch_mode->isChecked();
    int status;
    {
        const QSignalBlocker blockModel(ui->comboBox_batchModel);
        const QSignalBlocker blockView(ui->comboBox_bacthView);
        status = client->cfgBatchEnable(1, &batch, &single);
    }
    if (status != 0) {
        communicationFailed();
        return;
    }
    setBatchControlsEnabled(batch);
    if (batch) {
        client->startBatchAcquisition(false);
        if (hvq5_is_series3(kDevice)) ui->checkBox_batch_mode->show();
    } else {
        client->startProfileAcquisition();
        ui->checkBox_batch_mode->hide();
    }
}

void TiggerSettingWidget::on_checkBox_batch_mode_stateChanged(int state) {
    int value = state != 0 ? 3 : 2;
    linelaserClient()->cfgRegister(1, kSingleFrameRegister, &value);
}

void TiggerSettingWidget::on_spinBox_trigger_batch_size_valueChanged(int profiles) {
    if (linelaserClient()->cfgBatchSize(1, &profiles) == 0)
        emit signal_trigger_batch(true);
    else
        communicationFailed();
}

void TiggerSettingWidget::on_comboBox_batchModel_currentIndexChanged(int index) {
    bool withIntensity = index == 1;
    if (linelaserClient()->cfgBatchModel(1, &withIntensity) == 0) ui->comboBox_bacthView->setEnabled(index == 1);
}

void TiggerSettingWidget::on_comboBox_bacthView_currentIndexChanged(int index) {
    if (index == 1) {
        if (leftStack_) leftStack_->setCurrentIndex(kGrayImageView);
        if (startBatchButton_) startBatchButton_->setEnabled(true);
        return;
    }
    setBatchControlsEnabled(ui->checkBox_batch_en->isChecked());
}

// ---------------------------------------------------------------- sync

void TiggerSettingWidget::on_radioButton_async_off_clicked() { setSyncMode(sync_modes::kOff); }
void TiggerSettingWidget::on_radioButton_async_on_clicked() { setSyncMode(sync_modes::kOn); }
void TiggerSettingWidget::on_radioButton_async_server_clicked() { setSyncMode(sync_modes::kMaster); }
void TiggerSettingWidget::on_radioButton_async_client_clicked() { setSyncMode(sync_modes::kSlave); }
void TiggerSettingWidget::on_radioButton_async_client_alter_clicked() { setSyncMode(sync_modes::kSlaveAlternate); }
void TiggerSettingWidget::on_radioButton_async_client_sync_clicked() { setSyncMode(sync_modes::kSlaveSync); }
void TiggerSettingWidget::on_radioButton_async_server_sync_clicked() { setSyncMode(sync_modes::kMasterSync); }
void TiggerSettingWidget::on_radioButton_async_server_async_clicked() { setSyncMode(sync_modes::kMasterAlternate); }
