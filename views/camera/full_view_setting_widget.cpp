#include "views/camera/full_view_setting_widget.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "sensor_client/app_settings.h"
#include "sensor_client/linelaser_client.h"
#include "sensor_client/prompter.h"
#include "sensor_client/settings_keys.h"
#include "views/camera/page_form.h"

using page_form::combo;
using page_form::label;
using page_form::named;
using page_form::button;

void Ui::FullViewSettingWidget::setupUi(QWidget* form) {
    form->setObjectName(QStringLiteral("FullViewSettingWidget"));
    form->resize(350, 533);
    form->setWindowTitle(QStringLiteral("Form"));
    auto* outer = new QVBoxLayout(form);
    outer->setContentsMargins(0, 0, 0, 0);
    stackedWidget_camera = named<QStackedWidget>(form, "stackedWidget_camera");
    outer->addWidget(stackedWidget_camera);
    stackedWidget_cameraPage1 = named<QWidget>(nullptr, "stackedWidget_cameraPage1");
    stackedWidget_camera->addWidget(stackedWidget_cameraPage1);
    auto* pageLayout = new QVBoxLayout(stackedWidget_cameraPage1);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    scrollArea = named<QScrollArea>(stackedWidget_cameraPage1, "scrollArea");
    scrollArea->setStyleSheet(QStringLiteral("QScrollArea { border:none;}"));
    scrollArea->setWidgetResizable(true);
    pageLayout->addWidget(scrollArea);
    auto* contents = named<QWidget>(nullptr, "scrollAreaWidgetContents");
    scrollArea->setWidget(contents);
    auto* column = new QVBoxLayout(contents);
    // Narrow margins: the page fits its pane in English without a horizontal
    // scroll bar.
    column->setContentsMargins(4, 4, 4, 4);
    groupBox_21 = named<QGroupBox>(contents, "groupBox_21");
    groupBox_21->setTitle(QCoreApplication::translate("FullViewSettingWidget", "测量范围"));
    groupBox_21->setMaximumHeight(90);
    auto* g1 = new QGridLayout(groupBox_21);
    label_38 = label(groupBox_21, "label_38", QCoreApplication::translate("FullViewSettingWidget", "Z方向"));
    comboBox_cmos_zrange = combo(groupBox_21, "comboBox_cmos_zrange", {"FULL", "1/2", "1/4", "1/8"});
    label_7 = label(groupBox_21, "label_7", QStringLiteral("ROI"));
    pushButton_roi_setting =
        button(groupBox_21, "pushButton_roi_setting", QCoreApplication::translate("FullViewSettingWidget", "设定"));
    pushButton_roi_setting->setMaximumWidth(75);
    g1->addWidget(label_38, 0, 0);
    g1->addWidget(comboBox_cmos_zrange, 0, 1);
    g1->addWidget(label_7, 1, 0);
    g1->addWidget(pushButton_roi_setting, 1, 1);
    column->addWidget(groupBox_21);

    groupBox_16 = named<QGroupBox>(contents, "groupBox_16");
    groupBox_16->setTitle(QCoreApplication::translate("FullViewSettingWidget", "感光特性"));
    auto* g2 = new QGridLayout(groupBox_16);
    label_30 = label(groupBox_16, "label_30", QCoreApplication::translate("FullViewSettingWidget", "曝光时间(us)"));
    comboBox_cmos_exposure_time = combo(groupBox_16, "comboBox_cmos_exposure_time", {});
    comboBox_cmos_exposure_time->setEditable(true);
    label_29 = label(groupBox_16, "label_29", QCoreApplication::translate("FullViewSettingWidget", "单帧HDR"));
    QStringList hdr{QCoreApplication::translate("FullViewSettingWidget", "高精度")};
    for (int i = 1; i <= 9; ++i) hdr << QCoreApplication::translate("FullViewSettingWidget", "高动态范围%1").arg(i);
    comboBox_hdr_range = combo(groupBox_16, "comboBox_hdr_range", hdr);
    label_gain = label(groupBox_16, "label_gain", QCoreApplication::translate("FullViewSettingWidget", "增益"));
    QStringList gains;
    for (int i = 1; i <= 4; ++i) gains << QCoreApplication::translate("FullViewSettingWidget", "%1档").arg(i);
    comboBox_cmos_gain = combo(groupBox_16, "comboBox_cmos_gain", gains);
    label_9 = label(groupBox_16, "label_9", QCoreApplication::translate("FullViewSettingWidget", "高级"));
    pushButton_image =
        button(groupBox_16, "pushButton_image", QCoreApplication::translate("FullViewSettingWidget", "设定"));
    pushButton_image->setMaximumWidth(75);
    int r = 0;
    for (auto [l, c] : {std::pair<QWidget*, QWidget*>{label_30, comboBox_cmos_exposure_time}, {label_29, comboBox_hdr_range},
                        {label_gain, comboBox_cmos_gain}, {label_9, pushButton_image}}) {
        g2->addWidget(l, r, 0);
        g2->addWidget(c, r++, 1);
    }
    column->addWidget(groupBox_16);

    groupBox_18 = named<QGroupBox>(contents, "groupBox_18");
    groupBox_18->setTitle(QCoreApplication::translate("FullViewSettingWidget", "峰值处理"));
    groupBox_18->setMaximumHeight(209);
    auto* g3 = new QGridLayout(groupBox_18);
    g3->setContentsMargins(6, 6, 6, 6);
    g3->setHorizontalSpacing(4);
    label_3 = label(groupBox_18, "label_3", QCoreApplication::translate("FullViewSettingWidget", "低灰度阈值"));
    spinBox_peak_1 = named<QSpinBox>(groupBox_18, "spinBox_peak_1");
    spinBox_peak_1->setRange(10, 254);
    horizontalSlider_peak_1 = named<QSlider>(groupBox_18, "horizontalSlider_peak_1");
    horizontalSlider_peak_1->setOrientation(Qt::Horizontal);
    horizontalSlider_peak_1->setRange(10, 255);
    label_4 = label(groupBox_18, "label_4", QCoreApplication::translate("FullViewSettingWidget", "高灰度阈值"));
    spinBox_peak_2 = named<QSpinBox>(groupBox_18, "spinBox_peak_2");
    spinBox_peak_2->setRange(30, 254);
    horizontalSlider_peak_2 = named<QSlider>(groupBox_18, "horizontalSlider_peak_2");
    horizontalSlider_peak_2->setOrientation(Qt::Horizontal);
    horizontalSlider_peak_2->setRange(10, 255);
    label_34 = label(groupBox_18, "label_34", QCoreApplication::translate("FullViewSettingWidget", "选择峰值"));
    comboBox_cmos_peak_selection = combo(groupBox_18, "comboBox_cmos_peak_selection",
                                         {QCoreApplication::translate("FullViewSettingWidget", "标准"),
                                          QCoreApplication::translate("FullViewSettingWidget", "近端"),
                                          QCoreApplication::translate("FullViewSettingWidget", "远端"),
                                          QCoreApplication::translate("FullViewSettingWidget", "连续"),
                                          QCoreApplication::translate("FullViewSettingWidget", "连续 - 最大"),
                                          QCoreApplication::translate("FullViewSettingWidget", "连续 - 近端"),
                                          QCoreApplication::translate("FullViewSettingWidget", "连续 - 远端"),
                                          QCoreApplication::translate("FullViewSettingWidget", "转为无效数据")});
    pushButton_peak =
        button(groupBox_18, "pushButton_peak", QCoreApplication::translate("FullViewSettingWidget", "设定"));
    pushButton_peak->setMaximumWidth(60);
    pushButton_peak->setEnabled(false);
    label_33 = label(groupBox_18, "label_33", QCoreApplication::translate("FullViewSettingWidget", "无效数据补间点数"));
    spinBox_cmos_auto_complete_num = named<QSpinBox>(groupBox_18, "spinBox_cmos_auto_complete_num");
    spinBox_cmos_auto_complete_num->setRange(0, 255);
    label_5 = label(groupBox_18, "label_5", QCoreApplication::translate("FullViewSettingWidget", "拍摄对象"));
    comboBox_transparency = combo(groupBox_18, "comboBox_transparency",
                                  {QCoreApplication::translate("FullViewSettingWidget", "混合"),
                                   QCoreApplication::translate("FullViewSettingWidget", "非透明体"),
                                   QCoreApplication::translate("FullViewSettingWidget", "半透明体1"),
                                   QCoreApplication::translate("FullViewSettingWidget", "半透明体2")});
    label_6 = label(groupBox_18, "label_6", QCoreApplication::translate("FullViewSettingWidget", "光晕过滤"));
    pushButton_halo_filter =
        button(groupBox_18, "pushButton_halo_filter", QCoreApplication::translate("FullViewSettingWidget", "设定"));
    g3->addWidget(label_3, 0, 0);
    g3->addWidget(spinBox_peak_1, 0, 1);
    g3->addWidget(horizontalSlider_peak_1, 0, 2);
    g3->addWidget(label_4, 1, 0);
    g3->addWidget(spinBox_peak_2, 1, 1);
    g3->addWidget(horizontalSlider_peak_2, 1, 2);
    g3->addWidget(label_34, 2, 0);
    g3->addWidget(comboBox_cmos_peak_selection, 2, 1);
    g3->addWidget(pushButton_peak, 2, 2);
    // The longest caption spans the first two columns, so that the label
    // column stays as narrow as the other captions in any language.
    g3->addWidget(label_33, 3, 0, 1, 2);
    g3->addWidget(spinBox_cmos_auto_complete_num, 3, 2);
    g3->addWidget(label_5, 4, 0);
    g3->addWidget(comboBox_transparency, 4, 1, 1, 2);
    g3->addWidget(label_6, 5, 0);
    g3->addWidget(pushButton_halo_filter, 5, 1, 1, 2);
    column->addWidget(groupBox_18);

    auto* hdrRow = new QHBoxLayout();
    label_hdr = label(contents, "label_hdr", QCoreApplication::translate("FullViewSettingWidget", "多帧HDR"));
    pushButton_hdr = button(contents, "pushButton_hdr", QCoreApplication::translate("FullViewSettingWidget", "设定"));
    hdrRow->addWidget(label_hdr);
    hdrRow->addWidget(pushButton_hdr);
    column->addLayout(hdrRow);
    wdight_imgignore = named<QWidget>(contents, "wdight_imgignore");
    auto* ignoreRow = new QHBoxLayout(wdight_imgignore);
    ignoreRow->setContentsMargins(0, 0, 0, 0);
    label_37 = label(wdight_imgignore, "label_37", QCoreApplication::translate("FullViewSettingWidget", "图像屏蔽"));
    pushButton_ignore_monitor_2 = button(wdight_imgignore, "pushButton_ignore_monitor_2",
                                         QCoreApplication::translate("FullViewSettingWidget", "设定"));
    ignoreRow->addWidget(label_37);
    ignoreRow->addWidget(pushButton_ignore_monitor_2);
    column->addWidget(wdight_imgignore);
    column->addStretch(1);
}

PendingRegisterWrite& pendingThresholdWrite(int reg) {
    static PendingRegisterWrite low;
    static PendingRegisterWrite high;
    return reg == FullViewSettingWidget::kHighThresholdRegister ? high : low;
}

FullViewSettingWidget::FullViewSettingWidget(QWidget* parent)
    : QWidget(parent), ui(new Ui::FullViewSettingWidget) {
    ui->setupUi(this);
    {
        const QSignalBlocker blocker(ui->comboBox_cmos_exposure_time);
        ui->comboBox_cmos_exposure_time->clear();
        ui->comboBox_cmos_exposure_time->addItems(
            {"2", "10", "25", "50", "100", "200", "500", "1000", "2000"});
    }
    exposureRow_ = ui->comboBox_cmos_exposure_time->currentIndex();
    connect(ui->pushButton_ignore_monitor_2, &QPushButton::clicked, this, [this] { emit signal_clicked(3); });
    QMetaObject::connectSlotsByName(this);
}

FullViewSettingWidget::~FullViewSettingWidget() {
    // A burst whose timer dies with the page is written now, so the value is
    // not lost and the next page finds no write armed.
    for (int reg : armedHere_) flushThresholdWrite(reg);
    delete ui;
}

void FullViewSettingWidget::setPages(FullViewWidget* imagePage, FullViewIgnoreSettingWidget* ignorePage) {
    imagePage_ = imagePage;
    ignorePage_ = ignorePage;
}

void FullViewSettingWidget::communicationFailed() {
    ui::prompter().question(this, tr("提示"), tr("通信失败!"), QMessageBox::Ok);
}

void FullViewSettingWidget::blockControls(bool block) {
    for (QObject* o : std::initializer_list<QObject*>{
             ui->comboBox_cmos_zrange, ui->comboBox_hdr_range, ui->comboBox_cmos_gain, ui->comboBox_cmos_exposure_time,
             ui->spinBox_cmos_auto_complete_num, ui->comboBox_cmos_peak_selection, ui->spinBox_peak_2,
             ui->horizontalSlider_peak_2, ui->spinBox_peak_1, ui->horizontalSlider_peak_1})
        o->blockSignals(block);
}

void FullViewSettingWidget::setBlocked(QWidget* control, int value) {
    blockControls(true);
    if (auto* slider = qobject_cast<QSlider*>(control)) slider->setValue(value);
    blockControls(false);
}

bool FullViewSettingWidget::loadSteps() {
    LinelaserClient* client = linelaserClient();
    int value = 0;
    if (client->cfgZRange(0, &value) != 0) return false;
    ui->comboBox_cmos_zrange->setCurrentIndex(value);
    if (client->cfgHdrRange(0, &value) != 0) return false;
    ui->comboBox_hdr_range->setCurrentIndex(value);
    if (client->cfgCmosGain(0, &value) != 0) return false;
    ui->comboBox_cmos_gain->setCurrentIndex(value);

    int us = 0;
    if (client->cfgExposureTime(0, &us) != 0) return false;
    QComboBox* exposure = ui->comboBox_cmos_exposure_time;
    exposure->setCurrentText(QString::number(us));
    exposure->setCompleter(nullptr);
    exposure->lineEdit()->setValidator(new QIntValidator(2, 10000, exposure));

    if (client->cfgSetting_1_15(0, &value) != 0) return false;

    const int optimized = settingsInt(settings_keys::kSettingsOptimizedEn);
    uint8_t count = 0;
    if (client->cfgAutoCompleteNum(0, &count) != 0) return false;
    const int offset = settingsInt(settings_keys::kOptimizedInvalidRepairedCount);
    ui->spinBox_cmos_auto_complete_num->setValue(optimized != 0 ? static_cast<uint8_t>(count - offset) : count);

    int code = 0;
    if (client->cfgPeakSelection(0, &code) != 0) return false;
    const auto found = std::find(PeakModeCodes.begin(), PeakModeCodes.end(), code);
    const int index = static_cast<int>(found - PeakModeCodes.begin());
    ui->comboBox_cmos_peak_selection->setCurrentIndex(index);
    ui->pushButton_peak->setEnabled(index >= 3 && index <= 6);

    uint8_t kind = 0;
    if (client->cfgTransparency(0, &kind) != 0) return false;
    {
        // Loading shows the sensor's kind; it must not write it back.
        const QSignalBlocker blocker(ui->comboBox_transparency);
        ui->comboBox_transparency->setCurrentIndex(kind);
    }

    if (client->cfgRegister(0, kLowThresholdRegister, &value) != 0) return false;
    ui->spinBox_peak_1->setValue(value);
    ui->horizontalSlider_peak_1->setValue(value);
    if (client->cfgRegister(0, kHighThresholdRegister, &value) != 0) return false;
    ui->spinBox_peak_2->setMinimum(ui->spinBox_peak_1->value());
    ui->spinBox_peak_2->setValue(value);
    ui->horizontalSlider_peak_2->setValue(value);

    uint8_t hdr = 0;
    if (client->cfgHdrEnable(0, &hdr) != 0) return false;
    ui->comboBox_cmos_exposure_time->setEnabled(hdr == 0);

    if (client->headModelText.size() > 2 && client->headModelText.at(2) == QLatin1Char('3')) {
        for (QWidget* w : {static_cast<QWidget*>(ui->label_hdr), static_cast<QWidget*>(ui->pushButton_hdr),
                           static_cast<QWidget*>(ui->label_gain), static_cast<QWidget*>(ui->comboBox_cmos_gain)})
            w->hide();
    }
    return true;
}

void FullViewSettingWidget::loadFromDevice() {
    blockControls(true);
    const bool loaded = loadSteps();
    blockControls(false);
    if (!loaded) communicationFailed();
}

void FullViewSettingWidget::slot_enable_cmos_exposure(bool hdr) { ui->comboBox_cmos_exposure_time->setEnabled(!hdr); }

void FullViewSettingWidget::slot_update_optimized_settings(int en) {
    LinelaserClient* client = linelaserClient();
    uint8_t count = 0;
    if (client->cfgAutoCompleteNum(0, &count) != 0) return;
    const int offset = settingsInt(settings_keys::kOptimizedInvalidRepairedCount);
    const int rebased = std::clamp(en != 0 ? count + offset : count - offset, 0, 255);
    uint8_t value = static_cast<uint8_t>(rebased);
    client->cfgAutoCompleteNum(1, &value);
}

void FullViewSettingWidget::on_comboBox_cmos_zrange_currentIndexChanged(int index) {
    if (linelaserClient()->cfgZRange(1, &index) != 0) communicationFailed();
}

void FullViewSettingWidget::on_comboBox_hdr_range_currentIndexChanged(int index) {
    if (linelaserClient()->cfgHdrRange(1, &index) != 0) communicationFailed();
}

void FullViewSettingWidget::on_comboBox_cmos_gain_currentIndexChanged(int index) {
    if (linelaserClient()->cfgCmosGain(1, &index) != 0) communicationFailed();
}

void FullViewSettingWidget::on_comboBox_transparency_currentIndexChanged(int index) {
    uint8_t kind = static_cast<uint8_t>(index);
    if (linelaserClient()->cfgTransparency(1, &kind) != 0) communicationFailed();
}

void FullViewSettingWidget::on_comboBox_cmos_exposure_time_currentIndexChanged(int index) {
    exposureRow_ = index;
    if (index >= 0 && index <= 100) {
        uint32_t value = static_cast<uint32_t>(ui->comboBox_cmos_exposure_time->currentIndex());
        if (linelaserClient()->cfgExposureIndex(1, &value) != 0) communicationFailed();
    }
    // A choice from the list: its time follows its index.
    if (const std::optional<int> us = std::exchange(chosenExposureUs_, std::nullopt)) writeExposureTime(*us);
}

void FullViewSettingWidget::on_comboBox_cmos_exposure_time_currentTextChanged(const QString& text) {
    bool ok = false;
    qulonglong t = text.toULongLong(&ok);
    if (!ok) t = 0;
    if (t > 10000) {
        const QSignalBlocker blocker(ui->comboBox_cmos_exposure_time);
        ui->comboBox_cmos_exposure_time->lineEdit()->setText(QStringLiteral("10000"));
        t = 10000;
    }
    if (t < 2) return;
    if (ui->comboBox_cmos_exposure_time->currentIndex() != exposureRow_) {
        chosenExposureUs_ = static_cast<int>(t);
        return;
    }
    writeExposureTime(static_cast<int>(t));
}

void FullViewSettingWidget::writeExposureTime(int us) {
    if (linelaserClient()->cfgExposureTime(1, &us) != 0)
        ui::prompter().critical(this, tr("错误"), tr("设置曝光时间失败"), QMessageBox::Ok);
}

void FullViewSettingWidget::on_comboBox_cmos_peak_selection_currentIndexChanged(int index) {
    if (index < 0 || index > 7) return;
    int code = PeakModeCodes[index];
    if (linelaserClient()->cfgPeakSelection(1, &code) != 0) {
        communicationFailed();
        return;
    }
    ui->pushButton_peak->setEnabled(index >= 3 && index <= 6);
}

void FullViewSettingWidget::on_spinBox_cmos_auto_complete_num_valueChanged(int value) {
    // The sensor holds the count with the offset whenever the option is on.
    int n = value;
    if (settingsInt(settings_keys::kSettingsOptimizedEn) != 0)
        n += settingsInt(settings_keys::kOptimizedInvalidRepairedCount);
    uint8_t count = static_cast<uint8_t>(n);
    if (linelaserClient()->cfgAutoCompleteNum(1, &count) != 0) communicationFailed();
}

void FullViewSettingWidget::scheduleThresholdWrite(int reg, int value) {
    PendingRegisterWrite& write = pendingThresholdWrite(reg);
    write.value = value;
    if (write.pending) return;
    write.pending = true;
    armedHere_.insert(reg);
    QTimer::singleShot(thresholdDelayMs_, this, [this, reg] {
        armedHere_.erase(reg);
        flushThresholdWrite(reg);
    });
}

void FullViewSettingWidget::flushThresholdWrite(int reg) {
    PendingRegisterWrite& write = pendingThresholdWrite(reg);
    if (!write.pending) return;
    int value = write.value;
    linelaserClient()->cfgRegister(1, reg, &value);
    write.pending = false;
}

void FullViewSettingWidget::on_spinBox_peak_1_valueChanged(int value) {
    scheduleThresholdWrite(kLowThresholdRegister, value);
    ui->spinBox_peak_2->setMinimum(value);
    ui->horizontalSlider_peak_2->setValue(value);
    if (ui->horizontalSlider_peak_1->value() != value) setBlocked(ui->horizontalSlider_peak_1, value);
}

void FullViewSettingWidget::on_spinBox_peak_2_valueChanged(int value) {
    scheduleThresholdWrite(kHighThresholdRegister, value);
    if (ui->horizontalSlider_peak_2->value() != value) setBlocked(ui->horizontalSlider_peak_2, value);
}

void FullViewSettingWidget::on_horizontalSlider_peak_1_valueChanged(int value) { ui->spinBox_peak_1->setValue(value); }

void FullViewSettingWidget::on_horizontalSlider_peak_2_valueChanged(int value) {
    if (value > ui->spinBox_peak_2->minimum())
        ui->spinBox_peak_2->setValue(value);
    else
        setBlocked(ui->horizontalSlider_peak_2, ui->spinBox_peak_2->value());
}

void FullViewSettingWidget::on_pushButton_roi_setting_clicked() { emit signal_clicked(8); }
void FullViewSettingWidget::on_pushButton_image_clicked() { emit signal_clicked(11); }
void FullViewSettingWidget::on_pushButton_peak_clicked() { emit signal_clicked(15); }
void FullViewSettingWidget::on_pushButton_halo_filter_clicked() { emit signal_clicked(9); }
void FullViewSettingWidget::on_pushButton_hdr_clicked() { emit signal_clicked(12); }
