#include "views/profile/tools/incline_set_form.h"

#include <QSignalBlocker>

#include <cmath>
#include <limits>

#include "sensor_client/linelaser_client.h"
#include "sensor_client/prompter.h"
#include "sensor_interface/processing/rotation.h"
#include "sensor_interface/registry/hvq5_setting_api.h"
#include "sensor_interface/settings/register_decimal.h"
#include "ui_incline_set_form.h"

namespace {

constexpr double kScale = 100000.0;
constexpr uint64_t kBaseZeroFeature = 1;
constexpr double kSmallestFactor = 0.001;
constexpr double kLargestFactor = 2.0;

// Values are stored x 100000, the double product truncated toward zero (a
// factor shown as 1.001 is stored as 100099).
int scaled(double value) {
    return mirevo::settings::register_from_decimal(value, kScale, mirevo::settings::DecimalCut::ProductTruncated);
}

QString fixed3(double value) { return QString::number(value, 'f', 3); }

// One area's point: the x half way between its bounds' first indexes and the
// mean of its valid heights. Invalid when a bound lies beyond the profile or
// no valid height is left.
struct AreaPoint {
    bool valid = false;
    double xz[2] = {0, 0};
};

AreaPoint measureArea(const std::vector<double>& x, const std::vector<double>& z, double left, double right) {
    AreaPoint point;
    const int start = kx_rotate_2d::first_index_at_or_above(x, left);
    const int end = kx_rotate_2d::first_index_at_or_above(x, right);
    double centre = 0, mean = 0;
    if (!kx_rotate_2d::mean_valid_range(x, z, start, end, &centre, &mean) || std::isnan(mean)) return point;
    point.valid = true;
    point.xz[0] = centre;
    point.xz[1] = mean;
    return point;
}

}  // namespace

InclineSetForm::InclineSetForm(QWidget* parent) : QWidget(parent), ui(new Ui::InclineSetForm) {
    if (objectName().isEmpty()) setObjectName(QStringLiteral("page_incline"));
    ui->setupUi(this);
    qRegisterMetaType<tevu::laser_correction>("tevu::laser_correction");
    qRegisterMetaType<tevu::enumBtnEnv>("tevu::enumBtnEnv");
    for (QWidget* display : std::initializer_list<QWidget*>{
             ui->lineEdit_kval_now, ui->lineEdit_bval_now, ui->doubleSpinBox_kleft_1, ui->doubleSpinBox_kright_1,
             ui->doubleSpinBox_kleft_2, ui->doubleSpinBox_kright_2, ui->doubleSpinBox_bleft_1,
             ui->doubleSpinBox_bright_1, ui->doubleSpinBox_bleft_2, ui->doubleSpinBox_bright_2, ui->lineEdit_k_cal,
             ui->lineEdit_b_cal, ui->lineEdit_k_valshow, ui->lineEdit_b_valshow})
        display->setEnabled(false);
    const int n = std::max(0, linelaserClient()->profilePointCount());
    x_.resize(n);
    z_.resize(n);
}

InclineSetForm::~InclineSetForm() { delete ui; }

void InclineSetForm::setCorrectionPage(int page) {
    page_ = page;
    ui->stackedWidget->setCurrentIndex(page);
}

void InclineSetForm::loadFromDevice() {
    LinelaserClient& client = *linelaserClient();
    int angle = 0, factor = 0;
    client.cfgRegister(0, 325, &angle);
    ui->lineEdit_kval_now->setText(QString::number(angle / kScale, 'g', 6));
    client.cfgRegister(0, 331, &factor);
    ui->lineEdit_bval_now->setText(QString::number(factor == 0 ? 1.0 : factor / kScale, 'g', 6));
    bool baseZero = false;
    HVQ5_2_GET_EXTEND_FEATURE_EN(0, kBaseZeroFeature, &baseZero);
    // Showing the stored bit must not write it back.
    const QSignalBlocker quiet(ui->checkBox_k_base_zero);
    ui->checkBox_k_base_zero->setChecked(baseZero);
}

void InclineSetForm::calculateCorrection(tevu::laser_correction lcor) {
    const bool anglePage = ui->stackedWidget->currentIndex() == 0;
    if (anglePage) {
        ui->doubleSpinBox_kleft_1->setValue(lcor.area1Begin);
        ui->doubleSpinBox_kright_1->setValue(lcor.area1End);
        ui->doubleSpinBox_kleft_2->setValue(lcor.area2Begin);
        ui->doubleSpinBox_kright_2->setValue(lcor.area2End);
    } else {
        ui->doubleSpinBox_bleft_1->setValue(lcor.area1Begin);
        ui->doubleSpinBox_bright_1->setValue(lcor.area1End);
        ui->doubleSpinBox_bleft_2->setValue(lcor.area2Begin);
        ui->doubleSpinBox_bright_2->setValue(lcor.area2End);
    }
    LinelaserClient& client = *linelaserClient();
    if (client.cachedRegister(149) != 0) return;
    if (!client.copyProfile(x_.data(), z_.data(), static_cast<int>(x_.size())) || x_.empty()) return;

    const AreaPoint area1 = measureArea(x_, z_, lcor.area1Begin, lcor.area1End);
    const AreaPoint area2 = measureArea(x_, z_, lcor.area2Begin, lcor.area2End);
    if (anglePage) {
        if (!area1.valid || !area2.valid) {
            showAngleFailed();
            return;
        }
        // From the area further left to the other; area 2 when both start alike.
        const bool area1Left = lcor.area1Begin < lcor.area2Begin;
        const AreaPoint& left = area1Left ? area1 : area2;
        const AreaPoint& right = area1Left ? area2 : area1;
        angle_ = kx_rotate_2d::angle_degrees(left.xz, right.xz);
        angleMeasured_ = true;
        angleStale_ = false;
        ui->lineEdit_k_cal->setText(fixed3(angle_));
        ui->lineEdit_k_valshow->setText(fixed3(ui->doubleSpinBox_k_cal_after->value() - angle_));
        ui->pushButton_k_save->setEnabled(true);
        return;
    }
    // Without a valid point in each area there is no height: the factor is
    // not a number until a measurement succeeds.
    height_ = (area1.valid && area2.valid) ? std::fabs(area2.xz[1] - area1.xz[1])
                                           : std::numeric_limits<double>::quiet_NaN();
    ui->lineEdit_b_cal->setText(fixed3(height_));
    showFactor(ui->doubleSpinBox_b_cal_after->value() / height_);
}

void InclineSetForm::showAngleFailed() {
    angleStale_ = angleMeasured_;
    ui->lineEdit_k_cal->clear();
    ui->lineEdit_k_valshow->clear();
    ui->pushButton_k_save->setEnabled(false);
}

bool InclineSetForm::isUsableFactor(double factor) {
    return factor >= kSmallestFactor && factor <= kLargestFactor;  // false for NaN
}

void InclineSetForm::showFactor(double factor) {
    ui->lineEdit_b_valshow->setText(fixed3(factor));
    const bool usable = isUsableFactor(factor);
    ui->lineEdit_b_valshow->setStyleSheet(usable ? QStringLiteral("QLineEdit {color: black;}")
                                                 : QStringLiteral("QLineEdit {color: red;}"));
    ui->pushButton_b_save->setEnabled(usable);
}

void InclineSetForm::on_doubleSpinBox_k_cal_after_valueChanged(double val) {
    if (angleStale_) return;
    ui->lineEdit_k_valshow->setText(fixed3(val - angle_));
}

void InclineSetForm::on_doubleSpinBox_b_cal_after_valueChanged(double) {
    showFactor(ui->doubleSpinBox_b_cal_after->value() / height_);
}

bool InclineSetForm::writeRegisters(const std::vector<std::pair<int, int>>& values) {
    LinelaserClient& client = *linelaserClient();
    for (auto [reg, value] : values) {
        if (client.cfgRegister(1, reg, &value) != 0) {
            ui::prompter().question(this, tr("提示"), tr("通信失败!"), QMessageBox::Ok);
            return false;
        }
    }
    return true;
}

void InclineSetForm::on_pushButton_k_save_clicked() {
    const QString correction = ui->lineEdit_k_valshow->text();
    if (!writeRegisters({{325, scaled(correction.toDouble())},
                         {326, scaled(ui->doubleSpinBox_kleft_1->value())},
                         {327, scaled(ui->doubleSpinBox_kright_1->value())},
                         {328, scaled(ui->doubleSpinBox_kleft_2->value())},
                         {329, scaled(ui->doubleSpinBox_kright_2->value())}}))
        return;
    ui->lineEdit_kval_now->setText(correction);
    emit signal_thetaangle(angle_);
}

void InclineSetForm::on_pushButton_b_save_clicked() {
    const QString factor = ui->lineEdit_b_valshow->text();
    if (!writeRegisters({{331, scaled(factor.toDouble())},
                         {332, scaled(ui->doubleSpinBox_bleft_1->value())},
                         {333, scaled(ui->doubleSpinBox_bright_1->value())},
                         {334, scaled(ui->doubleSpinBox_bleft_2->value())},
                         {335, scaled(ui->doubleSpinBox_bright_2->value())}}))
        return;
    ui->lineEdit_bval_now->setText(factor);
}

void InclineSetForm::on_checkBox_k_base_zero_stateChanged(int state) {
    HVQ5_2_SET_EXTEND_FEATURE_EN(0, kBaseZeroFeature, state != 0);
}

void InclineSetForm::on_pushButton_close_clicked() { emit signal_btn_env(tevu::btnEnvClose); }
