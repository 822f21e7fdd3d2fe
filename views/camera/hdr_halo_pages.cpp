#include "views/camera/hdr_halo_pages.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

#include "sensor_client/linelaser_client.h"
#include "sensor_client/prompter.h"
#include "sensor_interface/settings/register_decimal.h"
#include "views/camera/page_form.h"

using page_form::button;
using page_form::combo;
using page_form::label;
using page_form::named;

namespace {

constexpr int kMergeModeRegister = 474;
constexpr int kFrameExposureRegisters[3] = {261, 262, 263};
// Registers in use and their user-defined copies.
constexpr int kLowerWidth = 430;
constexpr int kUpperWidth = 427;
constexpr int kRatio = 426;
constexpr int kLowerWidthCopy = 756;
constexpr int kUpperWidthCopy = 757;
constexpr int kRatioCopy = 758;

void promptCommunicationFailed(QWidget* page) {
    ui::prompter().question(page, QCoreApplication::translate("HDRSettingWidget", "提示"),
                            QCoreApplication::translate("HDRSettingWidget", "通信失败!"), QMessageBox::Ok);
}

void selectBlocked(QComboBox* box, int index) {
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

}  // namespace

int haloRatioWord(double ratio) { return mirevo::settings::register_from_decimal(ratio, 256.0); }

// ---------------------------------------------------------------- HDR page

void Ui::HDRSettingWidget::setupUi(QWidget* form) {
    form->setObjectName(QStringLiteral("HDRSettingWidget"));
    form->resize(350, 533);
    form->setWindowTitle(QStringLiteral("Form"));
    auto* column = new QVBoxLayout(form);
    groupBox_20 = named<QGroupBox>(form, "groupBox_20");
    groupBox_20->setTitle(QCoreApplication::translate("HDRSettingWidget", "多帧HDR"));
    auto* grid = new QGridLayout(groupBox_20);
    label_36 = label(groupBox_20, "label_36", QCoreApplication::translate("HDRSettingWidget", "曝光模式"));
    comboBox_cmos_imaging_mode = combo(groupBox_20, "comboBox_cmos_imaging_mode",
                                       {QCoreApplication::translate("HDRSettingWidget", "标准模式"),
                                        QCoreApplication::translate("HDRSettingWidget", "2重曝光"),
                                        QCoreApplication::translate("HDRSettingWidget", "3重曝光")});
    label_hdr_mix_mode =
        label(groupBox_20, "label_hdr_mix_mode", QCoreApplication::translate("HDRSettingWidget", "融合模式"));
    comboBox_hdr_mix_mode = combo(groupBox_20, "comboBox_hdr_mix_mode",
                                  {QCoreApplication::translate("HDRSettingWidget", "加权"),
                                   QCoreApplication::translate("HDRSettingWidget", "标准")});
    label_gray_frame =
        label(groupBox_20, "label_gray_frame", QCoreApplication::translate("HDRSettingWidget", "亮度图"));
    comboBox_gray_frame = combo(groupBox_20, "comboBox_gray_frame", {});
    auto exposure = [&](const char* name) {
        auto* box = named<QSpinBox>(groupBox_20, name);
        box->setRange(2, 10000);
        return box;
    };
    label_frame1_exposure =
        label(groupBox_20, "label_frame1_exposure", QCoreApplication::translate("HDRSettingWidget", "帧1曝光时间(us)"));
    spinBox_frame1_exposure = exposure("spinBox_frame1_exposure");
    label_frame2_exposure =
        label(groupBox_20, "label_frame2_exposure", QCoreApplication::translate("HDRSettingWidget", "帧2曝光时间(us)"));
    spinBox_frame2_exposure = exposure("spinBox_frame2_exposure");
    label_frame3_exposure =
        label(groupBox_20, "label_frame3_exposure", QCoreApplication::translate("HDRSettingWidget", "帧3曝光时间(us)"));
    spinBox_frame3_exposure = exposure("spinBox_frame3_exposure");
    label_17 = label(groupBox_20, "label_17", QCoreApplication::translate("HDRSettingWidget", "区域帧选择"));
    pushButton_hdr_param_file_choose = button(groupBox_20, "pushButton_hdr_param_file_choose",
                                              QCoreApplication::translate("HDRSettingWidget", "选择参数文件"));
    int row = 0;
    for (auto [l, c] : {std::pair<QWidget*, QWidget*>{label_36, comboBox_cmos_imaging_mode},
                        {label_hdr_mix_mode, comboBox_hdr_mix_mode},
                        {label_gray_frame, comboBox_gray_frame},
                        {label_frame1_exposure, spinBox_frame1_exposure},
                        {label_frame2_exposure, spinBox_frame2_exposure},
                        {label_frame3_exposure, spinBox_frame3_exposure},
                        {label_17, pushButton_hdr_param_file_choose}}) {
        grid->addWidget(l, row, 0);
        grid->addWidget(c, row++, 1);
    }
    column->addWidget(groupBox_20);
    column->addStretch(1);
    pushButton_close = button(form, "pushButton_close", QCoreApplication::translate("HDRSettingWidget", "关闭"));
    column->addWidget(pushButton_close);
}

HDRSettingWidget::HDRSettingWidget(QWidget* parent) : QWidget(parent), ui(new Ui::HDRSettingWidget) {
    ui->setupUi(this);
    QMetaObject::connectSlotsByName(this);
    loadFromDevice();
}

HDRSettingWidget::~HDRSettingWidget() { delete ui; }

void HDRSettingWidget::communicationFailed() { promptCommunicationFailed(this); }

void HDRSettingWidget::blockControls(bool block) {
    for (QObject* o : std::initializer_list<QObject*>{
             ui->comboBox_cmos_imaging_mode, ui->comboBox_hdr_mix_mode, ui->comboBox_gray_frame,
             ui->spinBox_frame1_exposure, ui->spinBox_frame2_exposure, ui->spinBox_frame3_exposure})
        o->blockSignals(block);
}

void HDRSettingWidget::showFrames(int frames) {
    const bool hdr = frames >= 2;
    for (QWidget* w : {static_cast<QWidget*>(ui->label_frame1_exposure), static_cast<QWidget*>(ui->spinBox_frame1_exposure),
                       static_cast<QWidget*>(ui->label_frame2_exposure), static_cast<QWidget*>(ui->spinBox_frame2_exposure)})
        w->setEnabled(hdr);
    ui->label_frame3_exposure->setEnabled(frames == 3);
    ui->spinBox_frame3_exposure->setEnabled(frames == 3);
    for (QWidget* w : {static_cast<QWidget*>(ui->label_hdr_mix_mode), static_cast<QWidget*>(ui->comboBox_hdr_mix_mode),
                       static_cast<QWidget*>(ui->label_gray_frame), static_cast<QWidget*>(ui->comboBox_gray_frame)})
        w->setEnabled(hdr);
}

void HDRSettingWidget::showGrayFrames(int frames, int selected) {
    const QSignalBlocker blocker(ui->comboBox_gray_frame);
    ui->comboBox_gray_frame->clear();
    for (int f = 1; f <= frames; ++f) ui->comboBox_gray_frame->addItem(tr("帧%1").arg(f));
    ui->comboBox_gray_frame->setCurrentIndex(selected - 1);
}

bool HDRSettingWidget::loadSteps() {
    LinelaserClient* client = linelaserClient();
    uint8_t enabled = 0;
    if (client->cfgHdrEnable(0, &enabled) != 0) return false;
    uint8_t mode = 0;
    if (client->cfgImagingMode(0, &mode) != 0) return false;
    const int frames = std::clamp<int>(mode, 2, 3);
    const bool hdr = enabled != 0;
    ui->comboBox_cmos_imaging_mode->setCurrentIndex(hdr ? frames - 1 : 0);
    showFrames(hdr ? frames : 1);
    if (hdr) {
        int grayFrame = 0;
        if (client->cfgGrayFrame(0, &grayFrame) != 0) return false;
        showGrayFrames(frames, std::clamp(grayFrame, 1, frames));
    }
    QSpinBox* exposures[3] = {ui->spinBox_frame1_exposure, ui->spinBox_frame2_exposure, ui->spinBox_frame3_exposure};
    for (int k = 0; k < 3; ++k) {
        int us = 0;
        if (client->cfgRegister(0, kFrameExposureRegisters[k], &us) != 0) return false;
        exposures[k]->setValue(us);
    }
    int merge = 0;
    if (client->cfgRegister(0, kMergeModeRegister, &merge) != 0) return false;
    selectBlocked(ui->comboBox_hdr_mix_mode, merge);
    return true;
}

void HDRSettingWidget::loadFromDevice() {
    // A load shows what the sensor holds: nothing is written back, and the
    // imaging page hears of HDR only when the user switches it.
    blockControls(true);
    const bool loaded = loadSteps();
    blockControls(false);
    if (!loaded) communicationFailed();
}

void HDRSettingWidget::on_comboBox_cmos_imaging_mode_currentIndexChanged(int index) {
    if (index < 0) return;
    LinelaserClient* client = linelaserClient();
    const bool hdr = index >= 1;
    if (hdr) {
        const int frames = index + 1;
        showFrames(frames);
        int grayFrame = 0;
        if (client->cfgGrayFrame(0, &grayFrame) != 0) {
            communicationFailed();
            return;
        }
        grayFrame = std::clamp(grayFrame, 1, frames);
        // The list is refilled silently; the selection is written once.
        showGrayFrames(frames, grayFrame);
        client->cfgGrayFrame(1, &grayFrame);
        uint8_t mode = static_cast<uint8_t>(frames);
        if (client->cfgImagingMode(1, &mode) != 0) {
            communicationFailed();
            return;
        }
    } else {
        showFrames(1);
    }
    uint8_t on = hdr ? 1 : 0;
    if (client->cfgHdrEnable(1, &on) != 0) {
        communicationFailed();
        return;
    }
    emit hdr_en_changed(hdr);
}

void HDRSettingWidget::writeFrameExposure(int frame, int value) {
    int us = value;
    if (linelaserClient()->cfgHdrFrameExposure(1, frame, &us) != 0) communicationFailed();
}

void HDRSettingWidget::on_spinBox_frame1_exposure_valueChanged(int value) {
    if (value >= 0) writeFrameExposure(0, value);
}

void HDRSettingWidget::on_spinBox_frame2_exposure_valueChanged(int value) {
    if (value >= 0) writeFrameExposure(1, value);
}

void HDRSettingWidget::on_spinBox_frame3_exposure_valueChanged(int value) {
    if (value >= 0) writeFrameExposure(2, value);
}

void HDRSettingWidget::on_comboBox_hdr_mix_mode_currentIndexChanged(int index) {
    if (index < 0) return;
    int mode = index;
    if (linelaserClient()->cfgRegister(1, kMergeModeRegister, &mode) != 0) communicationFailed();
}

void HDRSettingWidget::on_comboBox_gray_frame_currentIndexChanged(int index) {
    if (index < 0) return;
    int frame = index + 1;
    linelaserClient()->cfgGrayFrame(1, &frame);
}

void HDRSettingWidget::on_pushButton_close_clicked() { emit signal_clicked(1); }

// ---------------------------------------------------------------- halo page

void Ui::HaloFilterWidget::setupUi(QWidget* form) {
    form->setObjectName(QStringLiteral("HaloFilterWidget"));
    form->resize(350, 533);
    form->setWindowTitle(QStringLiteral("Form"));
    auto* column = new QVBoxLayout(form);
    groupBox = named<QGroupBox>(form, "groupBox");
    groupBox->setTitle(QCoreApplication::translate("HaloFilterWidget", "光晕过滤"));
    groupBox->setFlat(true);
    QFont bold = groupBox->font();
    bold.setBold(true);
    groupBox->setFont(bold);
    auto* grid = new QGridLayout(groupBox);
    label_6 = label(groupBox, "label_6", QCoreApplication::translate("HaloFilterWidget", "过滤选择"));
    comboBox_halo = combo(groupBox, "comboBox_halo",
                          {QCoreApplication::translate("HaloFilterWidget", "无"),
                           QCoreApplication::translate("HaloFilterWidget", "光晕1"),
                           QCoreApplication::translate("HaloFilterWidget", "光晕2"),
                           QCoreApplication::translate("HaloFilterWidget", "光晕3"),
                           QCoreApplication::translate("HaloFilterWidget", "自定义")});
    label_9 = label(groupBox, "label_9", QCoreApplication::translate("HaloFilterWidget", "最小宽度"));
    spinBox_lower_width = named<QSpinBox>(groupBox, "spinBox_lower_width");
    label_10 = label(groupBox, "label_10", QCoreApplication::translate("HaloFilterWidget", "最大宽度"));
    spinBox_upper_width = named<QSpinBox>(groupBox, "spinBox_upper_width");
    label_12 = label(groupBox, "label_12", QCoreApplication::translate("HaloFilterWidget", "宽高比阈值"));
    doubleSpinBox_width_ratio = named<QDoubleSpinBox>(groupBox, "doubleSpinBox_width_ratio");
    doubleSpinBox_width_ratio->setDecimals(2);
    for (QWidget* w : {static_cast<QWidget*>(spinBox_lower_width), static_cast<QWidget*>(spinBox_upper_width),
                       static_cast<QWidget*>(doubleSpinBox_width_ratio)}) {
        w->setEnabled(false);
        QFont normal = w->font();
        normal.setBold(false);
        w->setFont(normal);
    }
    for (QWidget* w : {static_cast<QWidget*>(label_6), static_cast<QWidget*>(comboBox_halo),
                       static_cast<QWidget*>(label_9), static_cast<QWidget*>(label_10),
                       static_cast<QWidget*>(label_12)}) {
        QFont normal = w->font();
        normal.setBold(false);
        w->setFont(normal);
    }
    int row = 0;
    for (auto [l, c] : {std::pair<QWidget*, QWidget*>{label_6, comboBox_halo}, {label_9, spinBox_lower_width},
                        {label_10, spinBox_upper_width}, {label_12, doubleSpinBox_width_ratio}}) {
        grid->addWidget(l, row, 0);
        grid->addWidget(c, row++, 1);
    }
    column->addWidget(groupBox);
    column->addStretch(1);
    pushButton_close = button(form, "pushButton_close", QCoreApplication::translate("HaloFilterWidget", "关闭"));
    column->addWidget(pushButton_close);
}

HaloFilterWidget::HaloFilterWidget(QWidget* parent) : QWidget(parent), ui(new Ui::HaloFilterWidget) {
    ui->setupUi(this);
    QMetaObject::connectSlotsByName(this);
}

HaloFilterWidget::~HaloFilterWidget() { delete ui; }

void HaloFilterWidget::communicationFailed() { promptCommunicationFailed(this); }

void HaloFilterWidget::enableParameters(bool on) {
    ui->spinBox_lower_width->setEnabled(on);
    ui->spinBox_upper_width->setEnabled(on);
    ui->doubleSpinBox_width_ratio->setEnabled(on);
}

bool HaloFilterWidget::showParameters() {
    LinelaserClient* client = linelaserClient();
    int lower = 0;
    int upper = 0;
    int ratio = 0;
    if (client->cfgRegister(0, kLowerWidth, &lower) != 0) return false;
    if (client->cfgRegister(0, kUpperWidth, &upper) != 0) return false;
    if (client->cfgRegister(0, kRatio, &ratio) != 0) return false;
    const QSignalBlocker b1(ui->spinBox_lower_width);
    const QSignalBlocker b2(ui->spinBox_upper_width);
    const QSignalBlocker b3(ui->doubleSpinBox_width_ratio);
    ui->spinBox_lower_width->setValue(lower);
    ui->spinBox_upper_width->setValue(upper);
    ui->doubleSpinBox_width_ratio->setValue(ratio / 256.0);
    return true;
}

void HaloFilterWidget::loadFromDevice() {
    uint8_t mode = 0;
    if (linelaserClient()->cfgHaloFilter(0, &mode) != 0) {
        communicationFailed();
        return;
    }
    // Shown, not written back: a mode outside the list selects nothing.
    selectBlocked(ui->comboBox_halo, mode);
    enableParameters(mode == kUserDefined);
    if (!showParameters()) communicationFailed();
}

void HaloFilterWidget::on_comboBox_halo_currentIndexChanged(int index) {
    if (index < 0) return;
    LinelaserClient* client = linelaserClient();
    uint8_t mode = static_cast<uint8_t>(index);
    if (client->cfgHaloFilter(1, &mode) != 0) {
        communicationFailed();
        return;
    }
    if (index >= kUserDefined) {
        enableParameters(true);
        const int pairs[3][2] = {{kLowerWidthCopy, kLowerWidth}, {kUpperWidthCopy, kUpperWidth}, {kRatioCopy, kRatio}};
        for (const auto& pair : pairs) {
            int value = 0;
            if (client->cfgRegister(0, pair[0], &value) != 0 || client->cfgRegister(1, pair[1], &value) != 0) {
                communicationFailed();
                return;
            }
        }
    } else {
        enableParameters(false);
    }
    if (!showParameters()) communicationFailed();
}

void HaloFilterWidget::writePair(int inUse, int copy, int value) {
    LinelaserClient* client = linelaserClient();
    int v = value;
    if (client->cfgRegister(1, inUse, &v) != 0 || client->cfgRegister(1, copy, &v) != 0) communicationFailed();
}

void HaloFilterWidget::on_spinBox_lower_width_valueChanged(int val) { writePair(kLowerWidth, kLowerWidthCopy, val); }

void HaloFilterWidget::on_spinBox_upper_width_valueChanged(int val) { writePair(kUpperWidth, kUpperWidthCopy, val); }

void HaloFilterWidget::on_doubleSpinBox_width_ratio_valueChanged(double val) {
    writePair(kRatio, kRatioCopy, haloRatioWord(val));
}

void HaloFilterWidget::on_pushButton_close_clicked() { emit signal_clicked(1); }
