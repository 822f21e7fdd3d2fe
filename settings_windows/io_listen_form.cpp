#include "settings_windows/io_listen_form.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "sensor_client/linelaser_client.h"
#include "sensor_client/widget_utils.h"
#include "sensor_interface/registry/device_functions.h"
#include "settings_windows/form_helpers.h"

using forms::make;

namespace {

constexpr int kDevice = 0;
constexpr int kEncoderResetRegister = 711;
constexpr int kLampWidth = 121;
constexpr int kLampHeight = 25;

}  // namespace

QString ioLampStyle(bool on) {
    return on ? QStringLiteral("background-color: green;color: white;border:0px")
              : QStringLiteral("background-color: red;color: white;border:0px");
}

IOListenForm::IOListenForm(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("IOListenForm"));
    setWindowTitle(QStringLiteral("Form"));
    resize(621, 522);
    setFont(forms::pageFont());
    auto* layout = new QVBoxLayout(this);

    QGroupBox* ports = make<QGroupBox>(this, "groupBox");
    ports->setTitle(tr("端子"));
    ports->setFlat(true);
    ports->setStyleSheet(forms::boldTitleStyle());
    ports->setFixedHeight(300);
    auto* portsLayout = new QVBoxLayout(ports);
    QGroupBox* inputs = make<QGroupBox>(ports, "groupBox_2");
    inputs->setTitle(tr("IO输入状态"));
    inputs->setFlat(true);
    portsLayout->addWidget(inputs);
    layout->addWidget(ports);

    // Two columns of lamps at fixed places, as on the controller's label.
    struct LampPlace {
        const char* name;
        const char* text;
        int x, y;
    };
    const LampPlace places[] = {
        {"pushButton_m_start", "Measure Start", 10, 30}, {"pushButton_m_stop", "Measure Stop", 10, 60},
        {"pushButton_pin1", "IN_PIN_A", 10, 90},         {"pushButton_pin2", "IN_PIN_B", 10, 120},
        {"pushButton_pin3", "IN_PIN_Z", 10, 150},        {"pushButton_pin4", "IN_PIN4", 10, 180},
        {"pushButton_pin5", "IN_PIN5", 10, 210},         {"pushButton_pin6", "IN_PIN6", 140, 30},
        {"pushButton_pin7", "IN_PIN7", 140, 60},         {"pushButton_pin8", "IN_PIN8", 140, 90},
        {"pushButton_pin9", "IN_PIN9", 140, 120},
    };
    int index = 0;
    for (const LampPlace& place : places) {
        QPushButton* lamp = make<QPushButton>(inputs, place.name);
        lamp->setText(QString::fromLatin1(place.text));
        lamp->setGeometry(place.x, place.y, kLampWidth, kLampHeight);
        lamp->setStyleSheet(ioLampStyle(false));
        if (index < kLamps)
            lamps_[static_cast<size_t>(index)] = lamp;
        else
            lamp->hide();
        ++index;
    }

    QWidget* readouts = make<QWidget>(this, "widget");
    auto* grid = forms::grid(readouts);
    QLabel* encoderLabel = make<QLabel>(readouts, "label");
    encoderLabel->setText(tr("编码器值："));
    encoderValue_ = make<QLineEdit>(readouts, "lineEdit_encoder_val");
    QLabel* batchLabel = make<QLabel>(readouts, "label_2");
    batchLabel->setText(tr("批处理累计次数："));
    batchCount_ = make<QLineEdit>(readouts, "lineEdit_batch_nums");
    QPushButton* copy = make<QPushButton>(readouts, "pushButton_encoder_copy");
    copy->setText(tr("编码器值复制到剪切板"));
    QPushButton* reset = make<QPushButton>(readouts, "pushButton_encoder_reset");
    reset->setText(tr("重置编码器计数"));
    QPushButton* resetAll = make<QPushButton>(readouts, "pushButton_resetall");
    resetAll->setText(tr("清理批处理和编码器的值"));
    resetAll->hide();
    grid->addWidget(encoderLabel, 0, 0);
    grid->addWidget(encoderValue_, 0, 1);
    grid->addWidget(copy, 0, 2);
    grid->addWidget(batchLabel, 1, 0);
    grid->addWidget(batchCount_, 1, 1);
    grid->addWidget(reset, 1, 2);
    grid->addWidget(resetAll, 2, 2);
    grid->setColumnStretch(1, 1);
    layout->addWidget(readouts);
    layout->addStretch(1);

    timer_.setInterval(kRefreshMs);
    connect(&timer_, &QTimer::timeout, this, &IOListenForm::slot_OnTimmerTask);
    QMetaObject::connectSlotsByName(this);
}

void IOListenForm::startListen() {
    timer_.start();
    if (hvq5_is_series3(kDevice)) {
        for (size_t i = 2; i < lamps_.size(); ++i) lamps_[i]->hide();
    }
}

void IOListenForm::stopListen() { timer_.stop(); }

void IOListenForm::slot_OnTimmerTask() {
    const IoStatusBlock block = linelaserClient()->copyIoStatus();
    // Texts and styles change only with the values: a text set on every tick
    // would also wipe an edit the operator is making.
    if (shownEncoder_ != block.encoderValue) {
        encoderValue_->setText(QStringLiteral("%1").arg(block.encoderValue));
        shownEncoder_ = block.encoderValue;
    }
    if (shownBatches_ != block.batchCount) {
        batchCount_->setText(QStringLiteral("%1").arg(block.batchCount));
        shownBatches_ = block.batchCount;
    }
    const uint8_t flags[kLamps] = {block.startInput, block.stopInput, block.inputA, block.inputB, block.input3};
    for (size_t i = 0; i < lamps_.size(); ++i) {
        const bool on = flags[i] == 1;
        if (on == lampOn_[i]) continue;
        lamps_[i]->setStyleSheet(ioLampStyle(on));
        lampOn_[i] = on;
    }
}

void IOListenForm::on_pushButton_encoder_copy_clicked() { copyTextToClipboard(encoderValue_->text().toStdString()); }

void IOListenForm::on_pushButton_encoder_reset_clicked() {
    int reset = 1;
    linelaserClient()->cfgRegister(1, kEncoderResetRegister, &reset);
}
