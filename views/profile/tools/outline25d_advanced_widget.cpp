#include "views/profile/tools/outline25d_advanced_widget.h"

#include <QSignalBlocker>

#include <vector>

#include "sensor_client/app_settings.h"
#include "sensor_client/prompter.h"
#include "ui_outline25d_advanced_widget.h"
#include "views/profile/tools/step_height_registers.h"

using step_height::floatBits;
using step_height::floatOf;

namespace {

constexpr int kBoundaryBase = 830;
constexpr int kBoundaryMethod = 831;
constexpr int kWorkMode = 842;
constexpr int kSeparationWindow = 871;
constexpr int kStopThreshold = 872;
constexpr int kAutoBoundary = 873;
constexpr int kRowsPerOutput = 874;
constexpr int kSamplingPeriod = 875;
constexpr int kDifferenceWay = 876;

}  // namespace

Outline25dAdvancedWidget::Outline25dAdvancedWidget(QWidget* parent)
    : QWidget(parent), ui(new Ui::Outline25dAdvancedWidget) {
    if (objectName().isEmpty()) setObjectName(QStringLiteral("page_outline25d_advanced"));
    ui->setupUi(this);
}

Outline25dAdvancedWidget::~Outline25dAdvancedWidget() { delete ui; }

void Outline25dAdvancedWidget::enableBoundaryControls(int choice) {
    ui->doubleSpinBox_sep_stop_thr->setEnabled(choice == 1 || choice == 2);
    ui->spinBox_delta_sep->setEnabled(choice == 1);
    ui->comboBox_auto_boundary_base->setEnabled(choice == 2);
}

void Outline25dAdvancedWidget::loadFromDevice() {
    // The register image's work mode; unreadable counts as on.
    const bool idle = step_height::cachedRegister(kWorkMode, 1) == 0;
    ui->groupBox_run->setEnabled(idle);
    ui->groupBox_boundary->setEnabled(idle);

    // The settings file's controls write their keys back as they load.
    save_ = settingsInt(settings_keys::kMvalueSave) != 0;
    ui->checkBox_25d_save_output_values->setChecked(save_);
    warn_ = settingsInt(settings_keys::kMvalueBeyondWarning) != 0;
    ui->checkBox_25d_beyond_tip->setChecked(warn_);
    upper_ = settingsDouble(settings_keys::kMvalueUpper);
    ui->doubleSpinBox_mvalue_upper->setValue(upper_);
    lower_ = settingsDouble(settings_keys::kMvalueLower);
    ui->doubleSpinBox_mvalue_lower->setValue(lower_);

    // The sensor's controls must not write back what a control clamps or
    // rounds merely because it was loaded.
    std::vector<std::unique_ptr<QSignalBlocker>> quiet;
    for (QObject* control : std::initializer_list<QObject*>{
             ui->comboBox_delta_cal_way, ui->spinBox_trigger_period, ui->spinBox_batch_times, ui->spinBox_delta_sep,
             ui->doubleSpinBox_sep_stop_thr, ui->comboBox_auto_boundary, ui->comboBox_auto_boundary_base})
        quiet.push_back(std::make_unique<QSignalBlocker>(control));

    auto read = [this](int reg, uint32_t* value) {
        if (step_height::readRegister(reg, value)) return true;
        step_height::reportCommunicationFailure(this);
        return false;
    };
    uint32_t value = 0;
    if (!read(kDifferenceWay, &value)) return;
    ui->comboBox_delta_cal_way->setCurrentIndex(static_cast<int>(value));
    if (!read(kSamplingPeriod, &value)) return;
    ui->spinBox_trigger_period->setValue(static_cast<int>(value));
    if (!read(kRowsPerOutput, &value)) return;
    ui->spinBox_batch_times->setValue(static_cast<int>(value));
    if (!read(kSeparationWindow, &value)) return;
    ui->spinBox_delta_sep->setValue(static_cast<int>(value));
    if (!read(kStopThreshold, &value)) return;
    ui->doubleSpinBox_sep_stop_thr->setValue(floatOf(value));
    uint32_t automatic = 0, method = 0;
    if (!read(kAutoBoundary, &automatic)) return;
    if (automatic != 0 && !read(kBoundaryMethod, &method)) return;
    ui->comboBox_auto_boundary->setCurrentIndex(automatic != 0 ? static_cast<int>(method) + 1 : 0);
    ui->doubleSpinBox_sep_stop_thr->setEnabled(automatic != 0);
    ui->spinBox_delta_sep->setEnabled(automatic != 0 && method == 0);
    ui->comboBox_auto_boundary_base->setEnabled(automatic != 0 && method != 0);
    if (!read(kBoundaryBase, &value)) return;
    ui->comboBox_auto_boundary_base->setCurrentIndex(static_cast<int>(value));
}

void Outline25dAdvancedWidget::writeRegister(int reg, uint32_t value) {
    if (!step_height::writeRegister(reg, value)) step_height::reportCommunicationFailure(this);
}

void Outline25dAdvancedWidget::on_comboBox_delta_cal_way_currentIndexChanged(int index) {
    if (index >= 0) writeRegister(kDifferenceWay, static_cast<uint32_t>(index));
}

void Outline25dAdvancedWidget::on_spinBox_trigger_period_valueChanged(int value) {
    writeRegister(kSamplingPeriod, static_cast<uint32_t>(value));
}

void Outline25dAdvancedWidget::on_spinBox_batch_times_valueChanged(int value) {
    writeRegister(kRowsPerOutput, static_cast<uint32_t>(value));
}

void Outline25dAdvancedWidget::on_spinBox_delta_sep_valueChanged(int value) {
    if (value >= 0 && value <= 255) writeRegister(kSeparationWindow, static_cast<uint32_t>(value));
}

void Outline25dAdvancedWidget::on_doubleSpinBox_sep_stop_thr_valueChanged(double value) {
    writeRegister(kStopThreshold, floatBits(value));
}

void Outline25dAdvancedWidget::on_comboBox_auto_boundary_base_currentIndexChanged(int index) {
    if (index >= 0) writeRegister(kBoundaryBase, static_cast<uint32_t>(index));
}

void Outline25dAdvancedWidget::on_comboBox_auto_boundary_currentIndexChanged(int index) {
    if (index < 0) return;
    if (!step_height::writeRegister(kAutoBoundary, index != 0 ? 1u : 0u)) {
        step_height::reportCommunicationFailure(this);
        return;
    }
    if (index > 0 && !step_height::writeRegister(kBoundaryMethod, static_cast<uint32_t>(index - 1))) {
        step_height::reportCommunicationFailure(this);
        return;
    }
    enableBoundaryControls(index);
    emit signal_boundary_method_changed();
}

void Outline25dAdvancedWidget::on_checkBox_25d_save_output_values_toggled(bool checked) {
    save_ = checked;
    setSettingsInt(settings_keys::kMvalueSave, checked ? 1 : 0);
    emit signal_values_save_changed();
}

void Outline25dAdvancedWidget::on_checkBox_25d_beyond_tip_toggled(bool checked) {
    warn_ = checked;
    setSettingsInt(settings_keys::kMvalueBeyondWarning, checked ? 1 : 0);
}

void Outline25dAdvancedWidget::on_doubleSpinBox_mvalue_upper_valueChanged(double value) {
    upper_ = value;
    setSettingsDouble(settings_keys::kMvalueUpper, value);
}

void Outline25dAdvancedWidget::on_doubleSpinBox_mvalue_lower_valueChanged(double value) {
    lower_ = value;
    setSettingsDouble(settings_keys::kMvalueLower, value);
    // The upper limit cannot lie below the lower one (the lower has no such bound).
    ui->doubleSpinBox_mvalue_upper->setMinimum(value);
}

void Outline25dAdvancedWidget::on_pushButton_close_clicked() { emit signal_clicked(13); }

void Outline25dAdvancedWidget::update_data(QString, QString value, int, int, int, int, int) {
    if (value.isEmpty() || step_height::cachedRegister(kWorkMode, 1) == 0) return;
    const QString first = value.split(QLatin1Char(','), Qt::KeepEmptyParts).first();
    const double x = first.toDouble();  // 0 when it is no number
    if (!warn_ || !(x > upper_ || x < lower_)) return;
    // Shown once: the operator re-arms it with the check box.
    ui->checkBox_25d_beyond_tip->setChecked(false);
    ui::prompter().warning(this, tr("测量结果"), tr("测量结果%1超限").arg(first), QMessageBox::Ok);
}
