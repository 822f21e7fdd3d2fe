#include "views/camera/image_setting_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

#include "sensor_client/linelaser_client.h"
#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/hvq5_setting_api.h"
#include "sensor_interface/settings/register_decimal.h"
#include "views/camera/page_form.h"

using page_form::button;
using page_form::combo;
using page_form::label;
using page_form::named;

namespace {

constexpr int kSharpening = 450;
constexpr int kSharpeningPair = 451;
constexpr int kGammaOn = 741;
constexpr int kGammaValue = 742;
constexpr int kWideningZero = 434;
constexpr int kWidening = 436;
constexpr int kWideningShare = 437;
constexpr int kGrayEffect = 441;
constexpr int kBinning = 740;
constexpr int kSamplingWindow = 442;
constexpr int kDropEdge = 433;
constexpr int kGrayMapLower = 774;
constexpr int kGrayMapSlope = 775;
constexpr int kGrayMapUpper = 776;
constexpr uint64_t kSaturationCorrectionBit = 2;
constexpr uint64_t kGrayMapBit = 4;

// A register read that leaves the caller's value alone when it fails.
bool readRegister(int reg, int* value) {
    int read = 0;
    if (linelaserClient()->cfgRegister(0, reg, &read) != 0) return false;
    *value = read;
    return true;
}

}  // namespace

GrayImageGates grayImageGates(bool newSeries, std::optional<uint32_t> register134,
                              std::optional<uint32_t> register166) {
    const uint32_t lowByte = newSeries && register134 ? (*register134 & 0xFFu) : 0u;
    GrayImageGates gates{};
    gates.samplingWindow = newSeries && register134 && lowByte >= 127;
    gates.dropEdge = lowByte >= 136;
    gates.grayMap = newSeries && register166 && (*register166 & 0xFFFu) >= 844;
    return gates;
}

SharpeningWords sharpeningWords(bool on) {
    return on ? SharpeningWords{0xFF010000u, 0u} : SharpeningWords{0x683E0E00u, 0x00000E3Eu};
}

bool sharpeningIsOn(uint32_t reg450, uint32_t reg451) { return (reg450 >> 24) == 0xFFu && reg451 == 0u; }

int graySlopeWord(double slope) { return mirevo::settings::register_from_decimal(slope, 100.0); }

void Ui::ImageSettingWidget::setupUi(QWidget* form) {
    form->setObjectName(QStringLiteral("ImageSettingWidget"));
    form->resize(350, 533);
    form->setWindowTitle(QStringLiteral("Form"));
    auto* column = new QVBoxLayout(form);
    groupBox_10 = named<QGroupBox>(form, "groupBox_10");
    groupBox_10->setTitle(QCoreApplication::translate("ImageSettingWidget", "高级"));
    auto* grid = new QGridLayout(groupBox_10);
    int row = 0;

    checkBox_windx = named<QCheckBox>(groupBox_10, "checkBox_windx");
    checkBox_windx->setText(QCoreApplication::translate("ImageSettingWidget", "锐化"));
    grid->addWidget(checkBox_windx, row++, 0, 1, 2);

    checkBox_gamma = named<QCheckBox>(groupBox_10, "checkBox_gamma");
    checkBox_gamma->setText(QCoreApplication::translate("ImageSettingWidget", "Gamma补正"));
    spinBox_gamma = named<QDoubleSpinBox>(groupBox_10, "spinBox_gamma");
    spinBox_gamma->setRange(0.01, 24);
    spinBox_gamma->setDecimals(2);
    spinBox_gamma->setEnabled(false);
    grid->addWidget(checkBox_gamma, row, 0);
    grid->addWidget(spinBox_gamma, row++, 1);

    label_grayShiftBit =
        label(groupBox_10, "label_grayShiftBit", QCoreApplication::translate("ImageSettingWidget", "光带展宽"));
    spinBox_grayShiftBit = named<QSpinBox>(groupBox_10, "spinBox_grayShiftBit");
    spinBox_grayShiftBit->setRange(1, 255);
    spinBox_grayShiftBit->setValue(1);
    grid->addWidget(label_grayShiftBit, row, 0);
    grid->addWidget(spinBox_grayShiftBit, row++, 1);

    label_gray_effect =
        label(groupBox_10, "label_gray_effect", QCoreApplication::translate("ImageSettingWidget", "灰度图效果"));
    spinBox_gray_effect = named<QSpinBox>(groupBox_10, "spinBox_gray_effect");
    spinBox_gray_effect->setRange(0, 8);
    grid->addWidget(label_gray_effect, row, 0);
    grid->addWidget(spinBox_gray_effect, row++, 1);

    checkBox_binning = named<QCheckBox>(groupBox_10, "checkBox_binning");
    checkBox_binning->setText(QStringLiteral("Binning"));
    grid->addWidget(checkBox_binning, row++, 0, 1, 2);
    checkBox_gray_correct = named<QCheckBox>(groupBox_10, "checkBox_gray_correct");
    checkBox_gray_correct->setText(QCoreApplication::translate("ImageSettingWidget", "灰度饱和补正"));
    grid->addWidget(checkBox_gray_correct, row++, 0, 1, 2);

    label_gray_win_width =
        label(groupBox_10, "label_gray_win_width", QCoreApplication::translate("ImageSettingWidget", "灰度采样窗宽"));
    comboBox_gray_win_width =
        combo(groupBox_10, "comboBox_gray_win_width", {"1", "3", "5", "7", "9", "11", "13", "15", "17"});
    comboBox_gray_win_width->setCurrentIndex(-1);
    grid->addWidget(label_gray_win_width, row, 0);
    grid->addWidget(comboBox_gray_win_width, row++, 1);

    groupBox_gray_map = named<QGroupBox>(groupBox_10, "groupBox_gray_map");
    groupBox_gray_map->setTitle(QCoreApplication::translate("ImageSettingWidget", "灰度映射"));
    groupBox_gray_map->setCheckable(true);
    groupBox_gray_map->setChecked(false);
    auto* map = new QGridLayout(groupBox_gray_map);
    label_gray_effect_2 =
        label(groupBox_gray_map, "label_gray_effect_2", QCoreApplication::translate("ImageSettingWidget", "最小阈值"));
    spinBox_gray_map_min = named<QSpinBox>(groupBox_gray_map, "spinBox_gray_map_min");
    spinBox_gray_map_min->setRange(0, 255);
    label_gray_effect_4 =
        label(groupBox_gray_map, "label_gray_effect_4", QCoreApplication::translate("ImageSettingWidget", "最大阈值"));
    spinBox_gray_map_max = named<QSpinBox>(groupBox_gray_map, "spinBox_gray_map_max");
    spinBox_gray_map_max->setRange(0, 255);
    label_gray_effect_3 =
        label(groupBox_gray_map, "label_gray_effect_3", QCoreApplication::translate("ImageSettingWidget", "灰度斜率"));
    spinBox_gray_map_ratio = named<QDoubleSpinBox>(groupBox_gray_map, "spinBox_gray_map_ratio");
    spinBox_gray_map_ratio->setRange(-1, 1);
    spinBox_gray_map_ratio->setDecimals(2);
    map->addWidget(label_gray_effect_2, 0, 0);
    map->addWidget(spinBox_gray_map_min, 0, 1);
    map->addWidget(label_gray_effect_4, 1, 0);
    map->addWidget(spinBox_gray_map_max, 1, 1);
    map->addWidget(label_gray_effect_3, 2, 0);
    map->addWidget(spinBox_gray_map_ratio, 2, 1);
    grid->addWidget(groupBox_gray_map, row++, 0, 1, 2);

    checkBox_drop_edge = named<QCheckBox>(groupBox_10, "checkBox_drop_edge");
    checkBox_drop_edge->setText(QCoreApplication::translate("ImageSettingWidget", "剔除上下边缘点"));
    grid->addWidget(checkBox_drop_edge, row++, 0, 1, 2);

    column->addWidget(groupBox_10);
    column->addStretch(1);
    pushButton_close = button(form, "pushButton_close", QCoreApplication::translate("ImageSettingWidget", "关闭"));
    column->addWidget(pushButton_close);
}

ImageSettingWidget::ImageSettingWidget(QWidget* parent) : QWidget(parent), ui(new Ui::ImageSettingWidget) {
    ui->setupUi(this);
    QMetaObject::connectSlotsByName(this);
}

ImageSettingWidget::~ImageSettingWidget() { delete ui; }

void ImageSettingWidget::blockControls(bool block) {
    for (QObject* o : std::initializer_list<QObject*>{
             ui->checkBox_windx, ui->checkBox_gamma, ui->spinBox_gamma, ui->spinBox_grayShiftBit,
             ui->spinBox_gray_effect, ui->checkBox_binning, ui->checkBox_gray_correct, ui->comboBox_gray_win_width,
             ui->groupBox_gray_map, ui->spinBox_gray_map_min, ui->spinBox_gray_map_max, ui->spinBox_gray_map_ratio,
             ui->checkBox_drop_edge})
        o->blockSignals(block);
}

void ImageSettingWidget::loadFromDevice() {
    // The load shows the sensor's values without writing them back; a read
    // that fails leaves its control as it was.
    blockControls(true);
    const std::optional<int> slope = loadControls();
    blockControls(false);

    // The slope box cannot show every register value (its range is -1 to 1):
    // what it shows is written back, the one write of a load.
    if (slope && graySlopeWord(ui->spinBox_gray_map_ratio->value()) != *slope)
        on_spinBox_gray_map_ratio_valueChanged(ui->spinBox_gray_map_ratio->value());
}

std::optional<int> ImageSettingWidget::loadControls() {
    int a = 0;
    int b = 0;
    if (readRegister(kSharpening, &a) && readRegister(kSharpeningPair, &b))
        ui->checkBox_windx->setChecked(sharpeningIsOn(static_cast<uint32_t>(a), static_cast<uint32_t>(b)));
    int value = 0;
    if (readRegister(kWidening, &value)) ui->spinBox_grayShiftBit->setValue(value);
    if (readRegister(kGammaOn, &value)) {
        ui->checkBox_gamma->setChecked(value != 0);
        ui->spinBox_gamma->setEnabled(value != 0);
    }
    const int gamma = linelaserClient()->cachedRegister(kGammaValue);
    if (gamma >= 0) ui->spinBox_gamma->setValue(gamma / 100.0);
    if (readRegister(kGrayEffect, &value)) ui->spinBox_gray_effect->setValue(value);
    if (readRegister(kBinning, &value)) ui->checkBox_binning->setChecked(value != 0);
    bool on = ui->checkBox_gray_correct->isChecked();
    HVQ5_2_GET_EXTEND_FEATURE_EN(0, kSaturationCorrectionBit, &on);
    ui->checkBox_gray_correct->setChecked(on);
    if (readRegister(kSamplingWindow, &value)) {
        const int index = ui->comboBox_gray_win_width->findText(QString::number(value));
        if (index >= 0) ui->comboBox_gray_win_width->setCurrentIndex(index);
    }

    const bool newSeries = hvq5_is_new_series(0);
    std::optional<uint32_t> register134;
    std::optional<uint32_t> register166;
    uint32_t version = 0;
    uint32_t other = 0;
    if (newSeries && hvq5_get_firmware_versions(0, 0, &version, &other) == 0) register134 = version;
    if (newSeries && hvq5_get_firmware_versions(0, 1, &other, &version) == 0) register166 = version;
    return applyGates(grayImageGates(newSeries, register134, register166));
}

std::optional<int> ImageSettingWidget::applyGates(const GrayImageGates& gates) {
    ui->label_gray_win_width->setVisible(gates.samplingWindow);
    ui->comboBox_gray_win_width->setVisible(gates.samplingWindow);
    for (QWidget* w : {static_cast<QWidget*>(ui->label_grayShiftBit), static_cast<QWidget*>(ui->spinBox_grayShiftBit),
                       static_cast<QWidget*>(ui->label_gray_effect), static_cast<QWidget*>(ui->spinBox_gray_effect)})
        w->setVisible(!gates.samplingWindow);

    ui->checkBox_drop_edge->setEnabled(gates.dropEdge);
    int value = 0;
    if (gates.dropEdge && readRegister(kDropEdge, &value)) ui->checkBox_drop_edge->setChecked(value != 0);

    ui->groupBox_gray_map->setEnabled(gates.grayMap);
    bool on = false;
    if (HVQ5_2_GET_EXTEND_FEATURE_EN(0, kGrayMapBit, &on) == 0) ui->groupBox_gray_map->setChecked(on);
    if (!gates.grayMap) return std::nullopt;
    if (readRegister(kGrayMapLower, &value)) ui->spinBox_gray_map_min->setValue(value);
    if (readRegister(kGrayMapUpper, &value)) ui->spinBox_gray_map_max->setValue(value);
    if (!readRegister(kGrayMapSlope, &value)) return std::nullopt;
    ui->spinBox_gray_map_ratio->setValue(value / 100.0);
    return value;
}

void ImageSettingWidget::writeRegister(int reg, int value) {
    // This page shows no message; the sensor keeps what it had.
    linelaserClient()->cfgRegister(1, reg, &value);
}

void ImageSettingWidget::on_checkBox_windx_clicked() {
    const SharpeningWords words = sharpeningWords(ui->checkBox_windx->isChecked());
    writeRegister(kSharpening, static_cast<int>(words.reg450));
    writeRegister(kSharpeningPair, static_cast<int>(words.reg451));
}

void ImageSettingWidget::on_checkBox_gamma_stateChanged(int state) {
    writeRegister(kGammaOn, state);
    ui->spinBox_gamma->setEnabled(state == Qt::Checked);
}

void ImageSettingWidget::on_spinBox_gamma_valueChanged(double val) {
    HVQ5_2_SET_EXTEND_LIGHT_CORRECTION(0, static_cast<float>(val));
}

void ImageSettingWidget::on_spinBox_grayShiftBit_valueChanged(int val) {
    if (val <= 0) return;
    writeRegister(kWideningZero, 0);
    writeRegister(kWidening, val);
    writeRegister(kWideningShare, 256 / val);
}

void ImageSettingWidget::on_spinBox_gray_effect_valueChanged(int val) {
    if (val >= 0) writeRegister(kGrayEffect, val);
}

void ImageSettingWidget::on_checkBox_binning_stateChanged(int state) { writeRegister(kBinning, std::min(state, 1)); }

void ImageSettingWidget::on_checkBox_gray_correct_stateChanged(int state) {
    HVQ5_2_SET_EXTEND_FEATURE_EN(0, kSaturationCorrectionBit, state != Qt::Unchecked);
}

void ImageSettingWidget::on_comboBox_gray_win_width_currentTextChanged(const QString& text) {
    if (text.isEmpty()) return;
    writeRegister(kSamplingWindow, text.toInt());
}

void ImageSettingWidget::on_groupBox_gray_map_toggled(bool on) { HVQ5_2_SET_EXTEND_FEATURE_EN(0, kGrayMapBit, on); }

void ImageSettingWidget::on_spinBox_gray_map_min_valueChanged(int val) { writeRegister(kGrayMapLower, val); }

void ImageSettingWidget::on_spinBox_gray_map_max_valueChanged(int val) { writeRegister(kGrayMapUpper, val); }

void ImageSettingWidget::on_spinBox_gray_map_ratio_valueChanged(double val) {
    writeRegister(kGrayMapSlope, graySlopeWord(val));
}

void ImageSettingWidget::on_checkBox_drop_edge_toggled(bool checked) { writeRegister(kDropEdge, checked ? 1 : 0); }

void ImageSettingWidget::on_pushButton_close_clicked() { emit signal_clicked(1); }
