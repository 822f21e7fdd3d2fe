#include "views/camera/light_setting_pages.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <array>

#include "sensor_client/linelaser_client.h"
#include "sensor_client/prompter.h"
#include "views/camera/page_form.h"

using page_form::button;
using page_form::combo;
using page_form::named;

namespace {

constexpr std::array<int, 9> kExposureTimesUs = {2, 10, 25, 50, 100, 200, 500, 1000, 2000};
constexpr int kVoltageRegister = 158;
// Which limit of LinelaserClient::cfgLaserPowerLimit and cfgExposureLimit.
constexpr int kLowerLimit = 0;
constexpr int kUpperLimit = 1;
constexpr int kLockPower = 2;

QSpinBox* spin(QWidget* parent, const char* name, int minimum, int maximum) {
    auto* box = named<QSpinBox>(parent, name);
    box->setRange(minimum, maximum);
    return box;
}

}  // namespace

int exposureTimeOfIndex(uint32_t index) {
    return index < kExposureTimesUs.size() ? kExposureTimesUs[index] : static_cast<int>(index);
}

QString laserVoltageText(uint32_t register158) {
    return QStringLiteral("%1 V").arg(static_cast<double>(register158) / 65536.0 * 5.0);
}

void Ui::FullViewLightSettingWidget::setupUi(QWidget* form) {
    form->setObjectName(QStringLiteral("FullViewLightSettingWidget"));
    form->resize(350, 540);
    form->setWindowTitle(QStringLiteral("Form"));
    auto* column = new QVBoxLayout(form);
    label_50 =
        page_form::label(form, "label_50", QCoreApplication::translate("FullViewLightSettingWidget", "光量控制"));
    QFont bold = label_50->font();
    bold.setBold(true);
    label_50->setFont(bold);
    column->addWidget(label_50);

    groupBox_21 = named<QGroupBox>(form, "groupBox_21");
    groupBox_21->setTitle(QCoreApplication::translate("FullViewLightSettingWidget", "激光/曝光控制"));
    auto* grid = new QGridLayout(groupBox_21);
    label_39 = page_form::label(groupBox_21, "label_39",
                                QCoreApplication::translate("FullViewLightSettingWidget", "激光控制"));
    comboBox_laser_power_control =
        combo(groupBox_21, "comboBox_laser_power_control", {"AUTO", "MANUAL", "LOCK"});
    label_laser_power_max = page_form::label(groupBox_21, "label_laser_power_max",
                                             QCoreApplication::translate("FullViewLightSettingWidget", "上限值"));
    spinBox_laser_power_max = spin(groupBox_21, "spinBox_laser_power_max", 10, 99);
    label_laser_power_min = page_form::label(groupBox_21, "label_laser_power_min",
                                             QCoreApplication::translate("FullViewLightSettingWidget", "下限值"));
    spinBox_laser_power_min = spin(groupBox_21, "spinBox_laser_power_min", 10, 99);
    spinBox_laser_power_min->setValue(99);
    label_2 = page_form::label(groupBox_21, "label_2", QStringLiteral("(10-99)"));
    label =
        page_form::label(groupBox_21, "label", QCoreApplication::translate("FullViewLightSettingWidget", "曝光范围"));
    label_extime_range = page_form::label(groupBox_21, "label_extime_range", QStringLiteral("(2-1000us)"));
    label_laser_extime_max = page_form::label(groupBox_21, "label_laser_extime_max",
                                              QCoreApplication::translate("FullViewLightSettingWidget", "上限值"));
    spinBox_laser_extime_max = spin(groupBox_21, "spinBox_laser_extime_max", 2, 65535);
    label_laser_extime_min = page_form::label(groupBox_21, "label_laser_extime_min",
                                              QCoreApplication::translate("FullViewLightSettingWidget", "下限值"));
    spinBox_laser_extime_min = spin(groupBox_21, "spinBox_laser_extime_min", 2, 65535);
    label_40 =
        page_form::label(groupBox_21, "label_40", QCoreApplication::translate("FullViewLightSettingWidget", "电压"));
    label_voltage = page_form::label(groupBox_21, "label_voltage", QStringLiteral("V"));
    grid->addWidget(label_39, 0, 0);
    grid->addWidget(comboBox_laser_power_control, 0, 1, 1, 2);
    grid->addWidget(label_laser_power_max, 1, 0);
    grid->addWidget(spinBox_laser_power_max, 1, 1);
    grid->addWidget(label_2, 1, 2);
    grid->addWidget(label_laser_power_min, 2, 0);
    grid->addWidget(spinBox_laser_power_min, 2, 1);
    grid->addWidget(label, 3, 0);
    grid->addWidget(label_extime_range, 3, 1);
    grid->addWidget(label_laser_extime_max, 4, 0);
    grid->addWidget(spinBox_laser_extime_max, 4, 1);
    grid->addWidget(label_laser_extime_min, 5, 0);
    grid->addWidget(spinBox_laser_extime_min, 5, 1);
    grid->addWidget(label_40, 6, 0);
    grid->addWidget(label_voltage, 6, 1);
    column->addWidget(groupBox_21);

    groupBox = named<QGroupBox>(form, "groupBox");
    groupBox->setTitle(QCoreApplication::translate("FullViewLightSettingWidget", "光量控制区域"));
    auto* area = new QGridLayout(groupBox);
    label_43 =
        page_form::label(groupBox, "label_43", QCoreApplication::translate("FullViewLightSettingWidget", "左端"));
    spinBox_laser_power_feedback_left = spin(groupBox, "spinBox_laser_power_feedback_left", 0, 4096);
    label_46 = page_form::label(groupBox, "label_46", QStringLiteral("pixels"));
    label_44 =
        page_form::label(groupBox, "label_44", QCoreApplication::translate("FullViewLightSettingWidget", "右端"));
    spinBox_laser_power_feedback_right = spin(groupBox, "spinBox_laser_power_feedback_right", 0, 4096);
    label_45 = page_form::label(groupBox, "label_45", QStringLiteral("pixels"));
    area->addWidget(label_43, 0, 0);
    area->addWidget(spinBox_laser_power_feedback_left, 0, 1);
    area->addWidget(label_46, 0, 2);
    area->addWidget(label_44, 1, 0);
    area->addWidget(spinBox_laser_power_feedback_right, 1, 1);
    area->addWidget(label_45, 1, 2);
    column->addWidget(groupBox);

    pushButton_light_setting_cursor = button(form, "pushButton_light_setting_cursor",
                                             QCoreApplication::translate("FullViewLightSettingWidget", "光标设定"));
    column->addWidget(pushButton_light_setting_cursor);
    lineEdit_tmp = named<QLineEdit>(form, "lineEdit_tmp");
    lineEdit_tmp->setFixedSize(1, 1);
    column->addWidget(lineEdit_tmp);
    column->addStretch(1);
    pushButton_light_setting_close = button(form, "pushButton_light_setting_close",
                                            QCoreApplication::translate("FullViewLightSettingWidget", "关闭"));
    column->addWidget(pushButton_light_setting_close);

    // Nothing enables the editing controls: the page only shows values.
    for (QSpinBox* box : {spinBox_laser_power_max, spinBox_laser_power_min, spinBox_laser_extime_max,
                          spinBox_laser_extime_min, spinBox_laser_power_feedback_left,
                          spinBox_laser_power_feedback_right})
        box->setEnabled(false);
}

FullViewLightSettingWidget::FullViewLightSettingWidget(QWidget* parent)
    : QWidget(parent), ui(new Ui::FullViewLightSettingWidget) {
    ui->setupUi(this);
    QMetaObject::connectSlotsByName(this);
    connect(ui->pushButton_light_setting_close, &QPushButton::clicked, this, [this] { emit signal_clicked(1); });
    connect(ui->pushButton_light_setting_cursor, &QPushButton::clicked, this, [this] { emit signal_clicked(6); });
    loadFromDevice();
    ui->lineEdit_tmp->setFocus();
    for (QSpinBox* box : {ui->spinBox_laser_power_max, ui->spinBox_laser_power_min, ui->spinBox_laser_extime_max,
                          ui->spinBox_laser_extime_min, ui->spinBox_laser_power_feedback_left,
                          ui->spinBox_laser_power_feedback_right})
        box->setKeyboardTracking(false);
    ui->pushButton_light_setting_cursor->hide();
}

FullViewLightSettingWidget::~FullViewLightSettingWidget() { delete ui; }

void FullViewLightSettingWidget::communicationFailed() {
    ui::prompter().question(this, tr("提示"), tr("通信失败!"), QMessageBox::Ok);
}

void FullViewLightSettingWidget::blockControlSignals(bool block) {
    for (QObject* o : std::initializer_list<QObject*>{
             ui->comboBox_laser_power_control, ui->spinBox_laser_power_max, ui->spinBox_laser_power_min,
             ui->spinBox_laser_extime_max, ui->spinBox_laser_extime_min, ui->spinBox_laser_power_feedback_left,
             ui->spinBox_laser_power_feedback_right})
        o->blockSignals(block);
}

int FullViewLightSettingWidget::loadSteps() {
    LinelaserClient* client = linelaserClient();
    uint32_t index = 0;
    int status = client->cfgExposureIndex(0, &index);
    if (status != 0) {
        communicationFailed();
        return status;
    }
    ui->label_extime_range->setText(QStringLiteral("(2-%1us)").arg(exposureTimeOfIndex(index)));
    ui->label_extime_range->hide();

    int mode = 0;
    status = client->cfgLaserPowerControl(0, &mode);
    if (status != 0) return status;
    if (mode != kPowerLock) {
        // The page shows the LOCK values; whether the sensor took it shows
        // in the reads that follow.
        int lock = kPowerLock;
        client->cfgLaserPowerControl(1, &lock);
    }

    uint16_t lower = 0;
    status = client->cfgLaserPowerLimit(0, kLowerLimit, &lower);
    if (status != 0) {
        communicationFailed();
        return status;
    }
    applyPowerControlMode(kPowerLock, true);

    int exposure = 0;
    status = client->cfgExposureTime(0, &exposure);
    if (status != 0) return status;
    ui->spinBox_laser_extime_max->setValue(exposure);

    uint16_t lockPower = 0;
    status = client->cfgLaserPowerLimit(0, kLockPower, &lockPower);
    if (status != 0) {
        communicationFailed();
        return status;
    }
    ui->spinBox_laser_power_min->setValue(lockPower);
    ui->spinBox_laser_power_max->setValue(lockPower);
    ui->comboBox_laser_power_control->setEnabled(false);

    int voltage = 0;
    status = client->cfgRegister(0, kVoltageRegister, &voltage);
    if (status == 0) ui->label_voltage->setText(laserVoltageText(static_cast<uint32_t>(voltage)));
    return status;
}

void FullViewLightSettingWidget::loadFromDevice() {
    blockControlSignals(true);
    const int status = loadSteps();
    blockControlSignals(false);
    if (status != 0) communicationFailed();
}

void FullViewLightSettingWidget::applyPowerControlMode(int mode, bool fromLoad) {
    if (fromLoad) ui->comboBox_laser_power_control->setCurrentIndex(mode);
    QWidget* const sixControls[] = {ui->spinBox_laser_power_max,  ui->label_laser_power_min,
                                    ui->spinBox_laser_power_min,  ui->spinBox_laser_extime_max,
                                    ui->label_laser_extime_min,   ui->spinBox_laser_extime_min};
    QString limitText;
    if (mode == kPowerAuto) {
        for (QWidget* w : sixControls) w->hide();
        limitText = QStringLiteral("ATUO");
    } else if (mode == kPowerManual) {
        for (QWidget* w : sixControls) w->show();
        limitText = tr("上限值");
    } else {
        ui->spinBox_laser_power_max->show();
        ui->spinBox_laser_extime_max->show();
        for (QWidget* w : {static_cast<QWidget*>(ui->spinBox_laser_extime_min),
                           static_cast<QWidget*>(ui->label_laser_extime_min),
                           static_cast<QWidget*>(ui->label_laser_power_min),
                           static_cast<QWidget*>(ui->spinBox_laser_power_min)})
            w->hide();
        limitText = tr("设定值");
    }
    ui->label_laser_power_max->setText(limitText);
    ui->label_laser_extime_max->setText(limitText);
}

void FullViewLightSettingWidget::on_comboBox_laser_power_control_currentIndexChanged(int index) {
    if (linelaserClient()->cfgLaserPowerControl(1, &index) != 0) {
        communicationFailed();
        return;
    }
    applyPowerControlMode(index, false);
}

void FullViewLightSettingWidget::on_spinBox_laser_power_max_valueChanged(int value) {
    uint16_t power = static_cast<uint16_t>(value);
    const int which = ui->comboBox_laser_power_control->currentIndex() == kPowerLock ? kLockPower : kUpperLimit;
    linelaserClient()->cfgLaserPowerLimit(1, which, &power);
}

void FullViewLightSettingWidget::on_spinBox_laser_power_min_valueChanged(int value) {
    uint16_t power = static_cast<uint16_t>(value);
    linelaserClient()->cfgLaserPowerLimit(1, kLowerLimit, &power);
}

void FullViewLightSettingWidget::on_spinBox_laser_power_feedback_left_valueChanged(int) {}

void FullViewLightSettingWidget::on_spinBox_laser_power_feedback_right_valueChanged(int) {}

void FullViewLightSettingWidget::on_spinBox_laser_extime_max_valueChanged(int value) {
    LinelaserClient* client = linelaserClient();
    int us = value;
    if (client->cfgExposureTime(1, &us) != 0) {
        communicationFailed();
        return;
    }
    uint16_t upper = static_cast<uint16_t>(value & 0xFFFF);
    if (client->cfgExposureLimit(1, kUpperLimit, &upper) != 0) communicationFailed();
}

void FullViewLightSettingWidget::on_spinBox_laser_extime_min_valueChanged(int value) {
    uint16_t lower = static_cast<uint16_t>(value);
    if (linelaserClient()->cfgExposureLimit(1, kLowerLimit, &lower) != 0) communicationFailed();
}

void Ui::FullViewLightABLineSettingWidget::setupUi(QWidget* form) {
    form->setObjectName(QStringLiteral("FullViewLightABLineSettingWidget"));
    form->resize(350, 540);
    form->setWindowTitle(QStringLiteral("Form"));
    auto* column = new QVBoxLayout(form);
    label_51 =
        page_form::label(form, "label_51", QCoreApplication::translate("FullViewLightABLineSettingWidget", "光量控制"));
    QFont bold = label_51->font();
    bold.setBold(true);
    label_51->setFont(bold);
    label_52 = page_form::label(form, "label_52",
                                QCoreApplication::translate("FullViewLightABLineSettingWidget", "PB控制-光标设定"));
    column->addWidget(label_51);
    column->addWidget(label_52);
    groupBox_24 = named<QGroupBox>(form, "groupBox_24");
    groupBox_24->setTitle(QCoreApplication::translate("FullViewLightABLineSettingWidget", "FB对象范围"));
    auto* grid = new QGridLayout(groupBox_24);
    label_53 = page_form::label(groupBox_24, "label_53",
                                QCoreApplication::translate("FullViewLightABLineSettingWidget", "左端"));
    spinBox_6 = spin(groupBox_24, "spinBox_6", 0, 99);
    label_54 = page_form::label(groupBox_24, "label_54", QStringLiteral("pixels"));
    label_55 = page_form::label(groupBox_24, "label_55",
                                QCoreApplication::translate("FullViewLightABLineSettingWidget", "右端"));
    spinBox_7 = spin(groupBox_24, "spinBox_7", 0, 99);
    label_56 = page_form::label(groupBox_24, "label_56", QStringLiteral("pixels"));
    grid->addWidget(label_53, 0, 0);
    grid->addWidget(spinBox_6, 0, 1);
    grid->addWidget(label_54, 0, 2);
    grid->addWidget(label_55, 1, 0);
    grid->addWidget(spinBox_7, 1, 1);
    grid->addWidget(label_56, 1, 2);
    column->addWidget(groupBox_24);
    column->addStretch(1);
    auto* buttons = new QHBoxLayout();
    pushButton_light_setting_cursor_save =
        button(form, "pushButton_light_setting_cursor_save",
               QCoreApplication::translate("FullViewLightABLineSettingWidget", "确定"));
    pushButton_light_setting_cursor_close =
        button(form, "pushButton_light_setting_cursor_close",
               QCoreApplication::translate("FullViewLightABLineSettingWidget", "取消"));
    buttons->addWidget(pushButton_light_setting_cursor_save);
    buttons->addWidget(pushButton_light_setting_cursor_close);
    column->addLayout(buttons);
}

FullViewLightABLineSettingWidget::FullViewLightABLineSettingWidget(QWidget* parent)
    : QWidget(parent), ui(new Ui::FullViewLightABLineSettingWidget) {
    ui->setupUi(this);
    for (QPushButton* b : {ui->pushButton_light_setting_cursor_save, ui->pushButton_light_setting_cursor_close})
        connect(b, &QPushButton::clicked, this, [this] { emit signal_clicked(4); });
}

FullViewLightABLineSettingWidget::~FullViewLightABLineSettingWidget() { delete ui; }
