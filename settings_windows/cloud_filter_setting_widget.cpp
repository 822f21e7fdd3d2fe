#include "settings_windows/cloud_filter_setting_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "sensor_client/linelaser_client.h"
#include "sensor_client/prompter.h"
#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/batch_handlers_api.h"
#include "sensor_interface/registry/hvq5_api.h"
#include "settings_windows/core/value_rules.h"
#include "settings_windows/form_helpers.h"

using forms::make;

namespace {

constexpr int kDevice = 0;
constexpr uint64_t kWeldFilterBit = 8;
constexpr int kMaxWidthRegister = 777;
constexpr int kGrayFilterRegister = 778;
constexpr int kObjectRegister = 779;
constexpr int kHeightRegister = 785;
constexpr int kProfileProcessingPage = 5;
constexpr double kWide = 999999999;

QLabel* label(QWidget* parent, const char* name, const QString& text) {
    QLabel* l = make<QLabel>(parent, name);
    l->setText(text);
    return l;
}

}  // namespace

CloudFilterSettingWidget::CloudFilterSettingWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CloudFilterSettingWidget"));
    setWindowTitle(QStringLiteral("Form"));
    resize(350, 533);
    setFont(forms::pageFont());
    auto* layout = new QVBoxLayout(this);
    const QStringList objects{tr("尾部"), tr("头部"), tr("尾部和头部")};

    weldFilter_ = make<QGroupBox>(this, "groupBox_weld_filter");
    weldFilter_->setTitle(tr("焊道过滤"));
    weldFilter_->setCheckable(true);
    weldFilter_->setChecked(false);
    QGridLayout* weld = forms::grid(weldFilter_);
    maxValidWidth_ = forms::spinBox(weldFilter_, "spinBox_max_valid_width", 1, 4096, 4096);
    heightThreshold_ = forms::doubleSpinBox(weldFilter_, "doubleSpinBox_height_threshold", -kWide, kWide, 3, 1, 0);
    processObject_ = make<QComboBox>(weldFilter_, "comboBox_process_object");
    processObject_->addItems(objects);
    grayFilter_ = make<QCheckBox>(weldFilter_, "checkBox_gray_filter_en");
    grayFilter_->setText(tr("过滤灰度图"));
    weld->addWidget(label(weldFilter_, "label_2", tr("最大有效宽度")), 0, 0);
    weld->addWidget(maxValidWidth_, 0, 1);
    weld->addWidget(label(weldFilter_, "label_3", tr("高度阈值(mm)")), 1, 0);
    weld->addWidget(heightThreshold_, 1, 1);
    weld->addWidget(label(weldFilter_, "label_process_object", tr("处理对象")), 2, 0);
    weld->addWidget(processObject_, 2, 1);
    weld->addWidget(grayFilter_, 3, 0, 1, 2);
    weld->setColumnStretch(1, 1);
    layout->addWidget(weldFilter_);

    QGroupBox* cover = make<QGroupBox>(this, "groupBox_cover_filter");
    cover->setTitle(tr("盖板过滤"));
    QGridLayout* coverGrid = forms::grid(cover);
    auto coverDouble = [cover](const char* name) {
        return forms::doubleSpinBox(cover, name, -kWide, kWide, 3, 1, 0);
    };
    auto coverRow = [cover](const char* name) { return forms::spinBox(cover, name, 1, 999999999, 1); };
    QComboBox* coverObject = make<QComboBox>(cover, "comboBox_cover_process_object");
    coverObject->addItems(objects);
    QCheckBox* coverGray = make<QCheckBox>(cover, "checkBox_cover_gray_filter_en");
    coverGray->setText(tr("过滤灰度图"));
    coverGrid->addWidget(label(cover, "label_4", tr("头部高度阈值(mm)")), 0, 0);
    coverGrid->addWidget(coverDouble("doubleSpinBox_top_height_thr"), 0, 1);
    coverGrid->addWidget(label(cover, "label_5", tr("头部起始行")), 1, 0);
    coverGrid->addWidget(coverRow("doubleSpinBox_top_start"), 1, 1);
    coverGrid->addWidget(label(cover, "label_6", tr("头部结束行")), 2, 0);
    coverGrid->addWidget(coverRow("doubleSpinBox_top_end"), 2, 1);
    coverGrid->addWidget(label(cover, "label_7", tr("尾部高度阈值(mm)")), 3, 0);
    coverGrid->addWidget(coverDouble("doubleSpinBox_bottom_height_thr"), 3, 1);
    coverGrid->addWidget(coverRow("doubleSpinBox_bottom_start"), 4, 1);
    coverGrid->addWidget(coverRow("doubleSpinBox_bottom_end"), 5, 1);
    coverGrid->addWidget(label(cover, "label_8", tr("高度滤波阈值(mm)")), 6, 0);
    coverGrid->addWidget(coverDouble("doubleSpinBox_height_filter_thr"), 6, 1);
    coverGrid->addWidget(label(cover, "label_9", tr("处理对象")), 7, 0);
    coverGrid->addWidget(coverObject, 7, 1);
    coverGrid->addWidget(coverGray, 8, 0, 1, 2);
    coverGrid->setColumnStretch(1, 1);
    cover->setEnabled(false);
    layout->addWidget(cover);
    layout->addStretch(1);

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    QPushButton* close = make<QPushButton>(this, "pushButton_close");
    close->setText(tr("关闭"));
    buttons->addWidget(close);
    layout->addLayout(buttons);

    QMetaObject::connectSlotsByName(this);
}

void CloudFilterSettingWidget::communicationFailed() {
    ui::prompter().question(this, tr("提示"), tr("通信失败!"), QMessageBox::Ok, QMessageBox::Ok);
}

void CloudFilterSettingWidget::loadSettings() {
    uint32_t firmware135 = 0;
    uint32_t version166 = 0;
    const bool versionRead = hvq5_get_firmware_versions(kDevice, 1, &firmware135, &version166) == 0;
    if (!value_rules::cloudFilterAvailable(hvq5_is_new_series(kDevice), versionRead, version166)) return;

    // Nothing is written back: the filter is already installed from bit 8 when
    // the sensor opens, and a value beyond a control's range would be clamped.
    const QSignalBlocker b1(weldFilter_), b2(maxValidWidth_), b3(heightThreshold_), b4(processObject_),
        b5(grayFilter_);
    bool on = false;
    if (HVQ5_2_GET_EXTEND_FEATURE_EN(kDevice, kWeldFilterBit, &on) == 0) weldFilter_->setChecked(on);

    uint32_t value = 0;
    if (hvq5_read_register(kDevice, kMaxWidthRegister, &value) != 0) return communicationFailed();
    maxValidWidth_->setValue(static_cast<int>(value));
    if (hvq5_read_register(kDevice, kHeightRegister, &value) != 0) return communicationFailed();
    heightThreshold_->setValue(value_rules::heightThresholdShownMm(value));
    if (hvq5_read_register(kDevice, kObjectRegister, &value) != 0) return communicationFailed();
    processObject_->setCurrentIndex(static_cast<int>(value));
    if (hvq5_read_register(kDevice, kGrayFilterRegister, &value) != 0) return communicationFailed();
    grayFilter_->setChecked(value != 0);
}

void CloudFilterSettingWidget::writeRegister(int reg, int value) {
    if (hvq5_write_register(kDevice, reg, value) != 0) communicationFailed();
}

void CloudFilterSettingWidget::on_groupBox_weld_filter_toggled(bool on) {
    HVQ5_2_ENABLE_CLOUD_FILTER(kDevice, static_cast<int>(kWeldFilterBit), on);
}

void CloudFilterSettingWidget::on_spinBox_max_valid_width_valueChanged(int width) {
    if (value_rules::validWidth(width, linelaserClient()->profilePointCount())) writeRegister(kMaxWidthRegister, width);
}

void CloudFilterSettingWidget::on_doubleSpinBox_height_threshold_valueChanged(double mm) {
    writeRegister(kHeightRegister, value_rules::heightThresholdStored(mm));
}

void CloudFilterSettingWidget::on_comboBox_process_object_currentIndexChanged(int index) {
    if (index >= 0) writeRegister(kObjectRegister, index);
}

void CloudFilterSettingWidget::on_checkBox_gray_filter_en_toggled(bool on) {
    writeRegister(kGrayFilterRegister, on ? 1 : 0);
}

void CloudFilterSettingWidget::on_pushButton_close_clicked() { emit signal_clicked(kProfileProcessingPage); }

void CloudFilterSettingWidget::on_groupBox_cover_filter_toggled(bool) {}
void CloudFilterSettingWidget::on_checkBox_cover_gray_filter_en_toggled(bool) {}
void CloudFilterSettingWidget::on_comboBox_cover_process_object_currentIndexChanged(int) {}
void CloudFilterSettingWidget::on_doubleSpinBox_top_height_thr_valueChanged(double) {}
void CloudFilterSettingWidget::on_doubleSpinBox_top_start_valueChanged(int) {}
void CloudFilterSettingWidget::on_doubleSpinBox_top_end_valueChanged(int) {}
void CloudFilterSettingWidget::on_doubleSpinBox_bottom_height_thr_valueChanged(double) {}
void CloudFilterSettingWidget::on_doubleSpinBox_bottom_start_valueChanged(int) {}
void CloudFilterSettingWidget::on_doubleSpinBox_bottom_end_valueChanged(int) {}
void CloudFilterSettingWidget::on_doubleSpinBox_height_filter_thr_valueChanged(double) {}
