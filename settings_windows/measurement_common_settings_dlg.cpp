#include "settings_windows/measurement_common_settings_dlg.h"

#include <QCheckBox>
#include <QComboBox>
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
#include "settings_windows/core/value_rules.h"
#include "settings_windows/form_helpers.h"

using forms::make;

namespace {

constexpr int kDevice = 0;
constexpr int kBatchStartEdgeRegister = 311;
constexpr int kBatchStopEdgeRegister = 312;
constexpr int kLevelModeRegister = 790;
constexpr int kEncoderDirectionRegister = 792;

QLabel* label(QWidget* parent, const char* name, const QString& text) {
    QLabel* l = make<QLabel>(parent, name);
    l->setText(text);
    return l;
}

Qt::WindowFlags closeButtonOnly() {
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

}  // namespace

MeasurementCommonSettingsDlg::MeasurementCommonSettingsDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("MeasurementCommonSettingsDlg"));
    setWindowTitle(tr("编码器与端子设定"));
    resize(363, 536);
    setFont(forms::pageFont());
    auto* layout = new QVBoxLayout(this);

    QGroupBox* head = make<QGroupBox>(this, "groupBox_2");
    head->setTitle(tr("传感头信息"));
    QGridLayout* headGrid = forms::grid(head);
    model_ = make<QLabel>(head, "label_model");
    headGrid->addWidget(label(head, "label_2", tr("传感头")), 0, 0);
    headGrid->addWidget(model_, 0, 1);
    headGrid->setColumnStretch(1, 1);
    layout->addWidget(head);

    QGroupBox* minTimes = make<QGroupBox>(this, "groupBox_5");
    minTimes->setTitle(tr("最小输入时间"));
    QGridLayout* timesGrid = forms::grid(minTimes);
    encoderTime_ = make<QComboBox>(minTimes, "comboBox_encoder");
    encoderTime_->addItems({"50ns", "100ns", "500ns", "1us", "10us", "50us", "100us", "500us", "1ms"});
    terminalTime_ = make<QComboBox>(minTimes, "comboBox_out_mintimes");
    terminalTime_->addItems({QStringLiteral("5μs"), QStringLiteral("250μs"), QStringLiteral("500μs"), "1ms", "5ms",
                             "10ms", "20ms", "30ms", "40ms", "50ms"});
    timesGrid->addWidget(label(minTimes, "label_8", tr("ENCODER最低输入时间")), 0, 0);
    timesGrid->addWidget(encoderTime_, 0, 1);
    timesGrid->addWidget(label(minTimes, "label_9", tr("控制端子最小输入时间")), 1, 0);
    timesGrid->addWidget(terminalTime_, 1, 1);
    timesGrid->setColumnStretch(1, 1);
    layout->addWidget(minTimes);

    QGroupBox* batchSignal = make<QGroupBox>(this, "groupBox_6");
    batchSignal->setTitle(tr("批处理信号"));
    QGridLayout* signalGrid = forms::grid(batchSignal);
    batchStartDelay_ = forms::spinBox(batchSignal, "spinBox_batch_start_timeout", 0, 100000000, 0);
    const QStringList edges{tr("下降沿"), tr("上升沿")};
    batchStartEdge_ = make<QComboBox>(batchSignal, "comboBox_batch_start_ns");
    batchStartEdge_->addItems(edges);
    batchStopEdge_ = make<QComboBox>(batchSignal, "comboBox_batch_stop_ns");
    batchStopEdge_->addItems(edges);
    encoderTimeoutLabel_ = label(batchSignal, "label_encoder_timeout", tr("编码器超时时间(ms)"));
    encoderTimeout_ = forms::spinBox(batchSignal, "spinBox_encoder_timeout", 0, 100000000, 0);
    batchSignalIntegrated_ = make<QCheckBox>(batchSignal, "checkBox_batch_signal_integrated");
    batchSignalIntegrated_->setText(tr("批处理开关电平模式"));
    encoderDirectionLabel_ = label(batchSignal, "label_encoder_direction", tr("编码器方向"));
    encoderDirection_ = make<QComboBox>(batchSignal, "comboBox_encoder_direction");
    encoderDirection_->addItems({tr("双向"), tr("追踪正向"), tr("追踪反向"), tr("正向"), tr("反向")});
    signalGrid->addWidget(label(batchSignal, "label_6", tr("批处理开始延时(ms)")), 0, 0);
    signalGrid->addWidget(batchStartDelay_, 0, 1);
    signalGrid->addWidget(label(batchSignal, "label_3", tr("批处理开始触发沿")), 1, 0);
    signalGrid->addWidget(batchStartEdge_, 1, 1);
    signalGrid->addWidget(label(batchSignal, "label_7", tr("批处理结束触发沿")), 2, 0);
    signalGrid->addWidget(batchStopEdge_, 2, 1);
    signalGrid->addWidget(encoderTimeoutLabel_, 3, 0);
    signalGrid->addWidget(encoderTimeout_, 3, 1);
    signalGrid->addWidget(batchSignalIntegrated_, 4, 0, 1, 2);
    signalGrid->addWidget(encoderDirectionLabel_, 5, 0);
    signalGrid->addWidget(encoderDirection_, 5, 1);
    signalGrid->setColumnStretch(1, 1);
    layout->addWidget(batchSignal);
    layout->addStretch(1);

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    QPushButton* ok = make<QPushButton>(this, "pushButton_ok");
    ok->setText(tr("确定"));
    QPushButton* cancel = make<QPushButton>(this, "pushButton_close");
    cancel->setText(tr("取消"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    QMetaObject::connectSlotsByName(this);
    loadSettings();
    loadSignalSettings();
    connect(ok, &QPushButton::clicked, this, [this] {
        applySettings();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void MeasurementCommonSettingsDlg::tip(const QString& text) {
    ui::prompter().question(this, tr("提示"), text, QMessageBox::Ok, QMessageBox::Ok);
}

void MeasurementCommonSettingsDlg::loadSettings() {
    LinelaserClient* client = linelaserClient();
    bool readFailed = false;
    {
        const QSignalBlocker b1(encoderTime_), b2(terminalTime_), b3(batchStartDelay_), b4(encoderDirection_);
        do {
            int ns = 0;
            if (client->cfgCommonItem7(0, &ns) != 0) {
                readFailed = true;
                break;
            }
            const int encoderItem = encoderTime_->findText(QString::fromStdString(value_rules::encoderTimeText(ns)));
            if (encoderItem >= 0) encoderTime_->setCurrentIndex(encoderItem);
            int us = 0;
            if (client->cfgCommonItem8(0, &us) != 0) {
                readFailed = true;
                break;
            }
            const int terminalItem =
                terminalTime_->findText(QString::fromStdString(value_rules::terminalTimeText(us)));
            if (terminalItem >= 0) terminalTime_->setCurrentIndex(terminalItem);
            int delayMs = 0;
            if (client->cfgCommonItem32(0, &delayMs) != 0) {
                readFailed = true;
                break;
            }
            batchStartDelay_->setValue(delayMs);

            QString modelText;
            if (!client->headModel(&modelText)) {
                tip(tr("获取机型失败!"));
                break;
            }
            model_->setText(modelText);
            // Not blocked: a time-out the sensor cannot keep (1) goes back as 2.
            int timeout = 0;
            if (client->cfgEncoderTimeout(0, &timeout) != 0) timeout = 0;
            encoderTimeout_->setValue(timeout);
            int direction = 0;
            client->cfgRegister(0, kEncoderDirectionRegister, &direction);
            encoderDirection_->setCurrentIndex(direction);
        } while (false);
    }
    if (readFailed) tip(tr("通信失败!"));
}

void MeasurementCommonSettingsDlg::loadSignalSettings() {
    setWindowFlags(closeButtonOnly());
    LinelaserClient* client = linelaserClient();
    int edge = 0;
    client->cfgRegister(0, kBatchStartEdgeRegister, &edge);
    batchStartEdge_->setCurrentIndex(edge);
    edge = 0;
    client->cfgRegister(0, kBatchStopEdgeRegister, &edge);
    batchStopEdge_->setCurrentIndex(edge);

    const bool series3 = hvq5_is_series3(kDevice);
    const bool series4 = hvq5_is_series4(kDevice);
    encoderTimeoutLabel_->setVisible(!series3);
    encoderTimeout_->setVisible(!series3);
    encoderDirectionLabel_->setVisible(!series3 && !series4);
    encoderDirection_->setVisible(!series3 && !series4);
    batchSignalIntegrated_->setVisible(series3 || series4);

    int levelMode = 0;
    client->cfgRegister(0, kLevelModeRegister, &levelMode);
    if (levelMode != 0) batchSignalIntegrated_->setChecked(true);
}

void MeasurementCommonSettingsDlg::applySettings() {
    LinelaserClient* client = linelaserClient();
    int ns = value_rules::encoderTimeFromText(encoderTime_->currentText().toStdString());
    if (client->cfgCommonItem7(1, &ns) != 0) return tip(tr("通信失败!"));
    int us = value_rules::terminalTimeFromText(terminalTime_->currentText().toStdString());
    if (client->cfgCommonItem8(1, &us) != 0) return tip(tr("通信失败!"));
    int delayMs = batchStartDelay_->value();
    if (client->cfgCommonItem32(1, &delayMs) != 0) return;
    int edge = batchStartEdge_->currentIndex();
    client->cfgRegister(1, kBatchStartEdgeRegister, &edge);
    edge = batchStopEdge_->currentIndex();
    client->cfgRegister(1, kBatchStopEdgeRegister, &edge);
}

void MeasurementCommonSettingsDlg::on_spinBox_encoder_timeout_valueChanged(int value) {
    if (linelaserClient()->cfgEncoderTimeout(1, &value) != 0) tip(tr("通信失败!"));
}

void MeasurementCommonSettingsDlg::on_checkBox_batch_signal_integrated_stateChanged(int state) {
    int on = state > 0 ? 1 : 0;
    linelaserClient()->cfgRegister(1, kLevelModeRegister, &on);
}

void MeasurementCommonSettingsDlg::on_comboBox_encoder_direction_currentIndexChanged(int index) {
    if (index >= 0) linelaserClient()->cfgRegister(1, kEncoderDirectionRegister, &index);
}
