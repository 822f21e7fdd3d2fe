#include "settings_windows/outline_setting_advanced.h"

#include <QButtonGroup>
#include <QSignalBlocker>

#include <memory>
#include <vector>

#include "sensor_client/app_settings.h"
#include "sensor_client/linelaser_client.h"
#include "sensor_client/prompter.h"
#include "sensor_interface/registry/device_functions.h"
#include "settings_windows/core/value_rules.h"
#include "settings_windows/outline_setting_advanced_form.h"

using profile_filters::Value;

namespace {

constexpr int kDevice = 0;
constexpr int kTiltOnRegister = 324;
constexpr int kTiltAngleRegister = 325;
constexpr int kHeightOnRegister = 330;
constexpr int kHeightFactorRegister = 331;
constexpr int kPointFormatRegister = 354;
constexpr int kDeadZonePage = 10;
constexpr int kCloudFilterPage = 16;

}  // namespace

OutLineSettingAdvanced::OutLineSettingAdvanced(QWidget* parent) : QWidget(parent), ui(new Ui::OutLineSettingAdvanced) {
    ui->setupUi(this);
    ui->tabWidget->setTabText(0, tr("数据处理"));
    ui->tabWidget->setTabText(1, tr("轮廓补正"));
    deadAngleGroup_ = new QButtonGroup(this);
    deadAngleGroup_->setExclusive(true);
    deadAngleGroup_->addButton(ui->radioButton_process_invalid_0);
    deadAngleGroup_->addButton(ui->radioButton_process_invalid_1);
    deadAngleGroup_->addButton(ui->radioButton_process_invalid_2);
    QMetaObject::connectSlotsByName(this);
}

OutLineSettingAdvanced::~OutLineSettingAdvanced() { delete ui; }

bool OutLineSettingAdvanced::optimised() { return settingsInt(settings_keys::kSettingsOptimizedEn) != 0; }

uint16_t OutLineSettingAdvanced::offset(Value value) {
    return static_cast<uint16_t>(settingsInt(QStringLiteral("SettingsOptimized"),
                                             QString::fromLatin1(profile_filters::offsetKey(value)), 0));
}

int OutLineSettingAdvanced::filterAccess(Value value, int dir, uint16_t* v) {
    LinelaserClient* client = linelaserClient();
    switch (value) {
        case profile_filters::XAverage: return client->cfgFilterXAverage(dir, v);
        case profile_filters::XMedian: return client->cfgFilterXMedian(dir, v);
        case profile_filters::YAverage: return client->cfgFilterYAverage(dir, v);
        case profile_filters::YMedian: return client->cfgFilterYMedian(dir, v);
        default: return 0;
    }
}

QComboBox* OutLineSettingAdvanced::filterCombo(Value value) const {
    switch (value) {
        case profile_filters::XAverage: return ui->comboBox_outline_filter_xaverage;
        case profile_filters::XMedian: return ui->comboBox_outline_filter_xmedian;
        case profile_filters::YAverage: return ui->comboBox_outline_filter_yaverage;
        case profile_filters::YMedian: return ui->comboBox_outline_filter_ymedian;
        default: return nullptr;
    }
}

uint16_t OutLineSettingAdvanced::checked(Value value, uint16_t given) {
    const profile_filters::Checked result = profile_filters::clampToRange(value, given);
    if (result.outOfRange) {
        QString text;
        switch (value) {
            case profile_filters::XAverage: text = tr("X轴平滑(%1)超出范围!"); break;
            case profile_filters::XMedian: text = tr("X轴中位(%1)超出范围!"); break;
            case profile_filters::YAverage: text = tr("Y轴平均(%1)超出范围!"); break;
            case profile_filters::YMedian: text = tr("Y轴中位(%1)超出范围!"); break;
            case profile_filters::DealTimes: text = tr("时间轴处理次数(%1)超出范围!"); break;
            case profile_filters::RestoreTimes: text = tr("时间轴恢复次数(%1)超出范围!"); break;
        }
        ui::prompter().critical(this, tr("参数错误"), text.arg(given), QMessageBox::Ok, QMessageBox::Ok);
    }
    return result.value;
}

void OutLineSettingAdvanced::communicationFailed() {
    ui::prompter().question(this, tr("提示"), tr("通信失败!"), QMessageBox::Ok, QMessageBox::Ok);
}

void OutLineSettingAdvanced::loadSettings() {
    LinelaserClient* client = linelaserClient();
    std::vector<std::unique_ptr<QSignalBlocker>> blocked;
    // The X pitch is blocked too: written back, 10.03 um would lose its last digit.
    for (QObject* control : std::initializer_list<QObject*>{
             ui->comboBox_outline_filter_xaverage, ui->comboBox_outline_filter_xmedian,
             ui->comboBox_outline_filter_yaverage, ui->comboBox_outline_filter_ymedian,
             ui->spinBox_outline_invalid_process, ui->spinBox_outline_invalid_recover,
             ui->radioButton_process_invalid_0, ui->radioButton_process_invalid_1, ui->radioButton_process_invalid_2,
             ui->checkBox_k_en, ui->checkBox_b_en, ui->lineEdit_k_val, ui->lineEdit_b_val, ui->doubleSpinBox_xptich})
        blocked.push_back(std::make_unique<QSignalBlocker>(control));

    const bool on = optimised();
    int status = 0;
    bool processingRead = false;
    do {
        for (Value value : {profile_filters::XAverage, profile_filters::XMedian, profile_filters::YAverage,
                            profile_filters::YMedian}) {
            uint16_t sensor = 0;
            if ((status = filterAccess(value, 0, &sensor)) != 0) break;
            const uint16_t shown = profile_filters::shownFromSensor(sensor, offset(value), on);
            QComboBox* combo = filterCombo(value);
            const int item = combo->findText(QString::fromStdString(profile_filters::itemText(value, shown)));
            if (item >= 0) combo->setCurrentIndex(item);
        }
        if (status != 0) break;

        uint16_t process = 0;
        uint16_t restore = 0;
        if ((status = client->cfgInvalidPointRepair(0, &process, &restore)) != 0) break;
        ui->spinBox_outline_invalid_process->setValue(
            profile_filters::shownFromSensor(process, offset(profile_filters::DealTimes), on));
        ui->spinBox_outline_invalid_recover->setValue(
            profile_filters::shownFromSensor(restore, offset(profile_filters::RestoreTimes), on));

        int mode = 0;
        if ((status = client->cfgInvalidDataProcess(0, &mode)) != 0) break;
        (mode == 0 ? ui->radioButton_process_invalid_0
                   : mode == 1 ? ui->radioButton_process_invalid_1 : ui->radioButton_process_invalid_2)
            ->setChecked(true);

        bool flip = false;
        if ((status = client->cfgFlipLeftRight(0, &flip)) != 0) break;
        ui->checkBox_reversal_2->setChecked(flip);
        if ((status = client->cfgFlipTopBottom(0, &flip)) != 0) break;
        ui->checkBox_reversal1_2->setChecked(flip);
        processingRead = true;
    } while (false);

    if (processingRead) {
        int tiltOn = 0;
        client->cfgRegister(0, kTiltOnRegister, &tiltOn);
        ui->checkBox_k_en->setChecked(tiltOn != 0);
        ui->pushButton_k->setEnabled(tiltOn != 0);
        int angle = 0;
        client->cfgRegister(0, kTiltAngleRegister, &angle);
        ui->lineEdit_k_val->setText(QStringLiteral("%1").arg(angle / 100000.0, 0, 'g', 6));
        int heightOn = 0;
        client->cfgRegister(0, kHeightOnRegister, &heightOn);
        ui->checkBox_b_en->setChecked(heightOn != 0);
        ui->pushButton_b->setEnabled(heightOn != 0);
        int factor = 0;
        client->cfgRegister(0, kHeightFactorRegister, &factor);
        const uint32_t factorValue = factor == 0 ? 100000u : static_cast<uint32_t>(factor);
        ui->lineEdit_b_val->setText(QStringLiteral("%1").arg(factorValue / 100000.0, 0, 'g', 6));
        ui->lineEdit_k_val->setEnabled(false);
        ui->lineEdit_b_val->setEnabled(false);
        {
            int format = 0;
            client->cfgRegister(0, kPointFormatRegister, &format);
            const QSignalBlocker blockFormat(ui->comboBox_polyFormat);
            ui->comboBox_polyFormat->setCurrentIndex(format);
        }
        double pitch = 0;
        status = client->cfgXPitch(0, &pitch);
        if (status == 0) ui->doubleSpinBox_xptich->setValue(pitch);
        const QString model = client->headModelText;
        if (model.size() > 2 && (model[2] == QLatin1Char('3') || model[2] == QLatin1Char('4'))) {
            ui->label_data_type->hide();
            ui->comboBox_polyFormat->hide();
        }
        uint32_t firmware135 = 0;
        uint32_t version166 = 0;
        const bool versionRead = hvq5_get_firmware_versions(kDevice, 1, &firmware135, &version166) == 0;
        ui->pushButton_cloud_filter->setEnabled(
            value_rules::cloudFilterAvailable(hvq5_is_new_series(kDevice), versionRead, version166));
    }

    blocked.clear();
    if (status != 0) communicationFailed();
}

void OutLineSettingAdvanced::slot_update_optimized_settings(int en) {
    const bool switchedOn = en != 0;
    for (Value value : {profile_filters::XAverage, profile_filters::XMedian, profile_filters::YAverage,
                        profile_filters::YMedian}) {
        uint16_t sensor = 0;
        if (filterAccess(value, 0, &sensor) != 0) return;
        uint16_t rebased = checked(value, profile_filters::rebased(sensor, offset(value), switchedOn));
        filterAccess(value, 1, &rebased);
    }
    uint16_t process = 0;
    uint16_t restore = 0;
    if (linelaserClient()->cfgInvalidPointRepair(0, &process, &restore) != 0) return;
    process = checked(profile_filters::DealTimes,
                      profile_filters::rebased(process, offset(profile_filters::DealTimes), switchedOn));
    restore = checked(profile_filters::RestoreTimes,
                      profile_filters::rebased(restore, offset(profile_filters::RestoreTimes), switchedOn));
    linelaserClient()->cfgInvalidPointRepair(1, &process, &restore);
}

// ---------------------------------------------------------------- writes

void OutLineSettingAdvanced::writeFilter(Value value) {
    const uint16_t shown = profile_filters::itemValue(filterCombo(value)->currentText().toStdString());
    uint16_t sensor = checked(value, profile_filters::sensorFromShown(shown, offset(value), optimised()));
    if (filterAccess(value, 1, &sensor) != 0) communicationFailed();
}

void OutLineSettingAdvanced::writeCounts() {
    const bool on = optimised();
    uint16_t process = checked(
        profile_filters::DealTimes,
        profile_filters::sensorFromShown(static_cast<uint16_t>(ui->spinBox_outline_invalid_process->value()),
                                         offset(profile_filters::DealTimes), on));
    uint16_t restore = checked(
        profile_filters::RestoreTimes,
        profile_filters::sensorFromShown(static_cast<uint16_t>(ui->spinBox_outline_invalid_recover->value()),
                                         offset(profile_filters::RestoreTimes), on));
    if (linelaserClient()->cfgInvalidPointRepair(1, &process, &restore) != 0) communicationFailed();
}

void OutLineSettingAdvanced::writeDeadAngleMode(int mode) {
    if (linelaserClient()->cfgInvalidDataProcess(1, &mode) != 0) communicationFailed();
}

void OutLineSettingAdvanced::on_comboBox_outline_filter_xaverage_currentIndexChanged(int) {
    writeFilter(profile_filters::XAverage);
}
void OutLineSettingAdvanced::on_comboBox_outline_filter_xmedian_currentIndexChanged(int) {
    writeFilter(profile_filters::XMedian);
}
void OutLineSettingAdvanced::on_comboBox_outline_filter_yaverage_currentIndexChanged(int) {
    writeFilter(profile_filters::YAverage);
}
void OutLineSettingAdvanced::on_comboBox_outline_filter_ymedian_currentIndexChanged(int) {
    writeFilter(profile_filters::YMedian);
}
void OutLineSettingAdvanced::on_spinBox_outline_invalid_process_valueChanged(int) { writeCounts(); }
void OutLineSettingAdvanced::on_spinBox_outline_invalid_recover_valueChanged(int) { writeCounts(); }

void OutLineSettingAdvanced::on_radioButton_process_invalid_0_clicked(bool checked) {
    if (checked) writeDeadAngleMode(0);
}
void OutLineSettingAdvanced::on_radioButton_process_invalid_1_clicked(bool checked) {
    if (checked) writeDeadAngleMode(1);
}
void OutLineSettingAdvanced::on_radioButton_process_invalid_2_clicked(bool checked) {
    if (checked) writeDeadAngleMode(2);
}

void OutLineSettingAdvanced::on_checkBox_reversal_2_clicked() {
    bool on = ui->checkBox_reversal_2->isChecked();
    if (linelaserClient()->cfgFlipLeftRight(1, &on) != 0) communicationFailed();
}

void OutLineSettingAdvanced::on_checkBox_reversal1_2_clicked() {
    bool on = ui->checkBox_reversal1_2->isChecked();
    if (linelaserClient()->cfgFlipTopBottom(1, &on) != 0) communicationFailed();
}

void OutLineSettingAdvanced::on_checkBox_k_en_clicked() {
    int on = ui->checkBox_k_en->isChecked() ? 1 : 0;
    linelaserClient()->cfgRegister(1, kTiltOnRegister, &on);
    ui->pushButton_k->setEnabled(on != 0);
}

void OutLineSettingAdvanced::on_checkBox_b_en_clicked() {
    int on = ui->checkBox_b_en->isChecked() ? 1 : 0;
    linelaserClient()->cfgRegister(1, kHeightOnRegister, &on);
    ui->pushButton_b->setEnabled(on != 0);
}

void OutLineSettingAdvanced::on_pushButton_k_clicked() {
    int off = 0;
    linelaserClient()->cfgRegister(1, kTiltOnRegister, &off);
    emit signal_btn_env(0);
}

void OutLineSettingAdvanced::on_pushButton_b_clicked() {
    int off = 0;
    linelaserClient()->cfgRegister(1, kHeightOnRegister, &off);
    emit signal_btn_env(1);
}

void OutLineSettingAdvanced::on_comboBox_polyFormat_currentIndexChanged(int index) {
    linelaserClient()->cfgRegister(1, kPointFormatRegister, &index);
}

void OutLineSettingAdvanced::on_doubleSpinBox_xptich_valueChanged(double value) {
    if (linelaserClient()->cfgXPitch(1, &value) != 0) communicationFailed();
}

void OutLineSettingAdvanced::on_pushButton_deadzone_advance_clicked() { emit signal_clicked(kDeadZonePage); }

void OutLineSettingAdvanced::on_pushButton_cloud_filter_clicked() { emit signal_clicked(kCloudFilterPage); }
