#include "settings_windows/dead_zone_setting_widget.h"

#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "sensor_client/linelaser_client.h"
#include "settings_windows/core/value_rules.h"
#include "settings_windows/form_helpers.h"

using forms::make;

namespace {

constexpr int kGradientRegister = 804;
constexpr int kHeightRegister = 805;
constexpr int kProfileProcessingPage = 5;

}  // namespace

DeadZoneSettingWidget::DeadZoneSettingWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("DeadZoneSettingWidget"));
    resize(350, 533);
    setFont(forms::pageFont());
    auto* layout = new QVBoxLayout(this);
    QGroupBox* group = make<QGroupBox>(this, "groupBox");
    group->setTitle(tr("死角阈值"));
    QGridLayout* grid = forms::grid(group);
    QLabel* gradientLabel = make<QLabel>(group, "label_15");
    gradientLabel->setText(tr("梯度阈值"));
    gradientThreshold_ = forms::doubleSpinBox(group, "doubleSpinBox_gradientThreshold", 0, 4095, 2, 1, 0);
    QLabel* heightLabel = make<QLabel>(group, "label_16");
    heightLabel->setText(tr("高度阈值(um)"));
    heightThreshold_ = forms::spinBox(group, "spinBox_heightThreshold", 0, 1000000, 0);
    heightThreshold_->setPrefix(QString());
    heightThreshold_->setSuffix(QString());
    grid->addWidget(gradientLabel, 0, 0);
    grid->addWidget(gradientThreshold_, 0, 1);
    grid->addWidget(heightLabel, 1, 0);
    grid->addWidget(heightThreshold_, 1, 1);
    grid->setColumnStretch(1, 1);
    layout->addWidget(group);
    layout->addStretch(1);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    QPushButton* close = make<QPushButton>(this, "pushButton_close");
    close->setText(tr("关闭"));
    buttons->addWidget(close);
    layout->addLayout(buttons);

    QMetaObject::connectSlotsByName(this);
    loadSettings();
}

void DeadZoneSettingWidget::loadSettings() {
    LinelaserClient* client = linelaserClient();
    int gradient = 0;
    client->cfgRegister(0, kGradientRegister, &gradient);
    {
        const QSignalBlocker blocked(gradientThreshold_);
        gradientThreshold_->setValue(value_rules::gradientShown(static_cast<uint32_t>(gradient)));
    }
    int height = 0;
    client->cfgRegister(0, kHeightRegister, &height);
    {
        const QSignalBlocker blocked(heightThreshold_);
        heightThreshold_->setValue(height);
    }
}

void DeadZoneSettingWidget::on_doubleSpinBox_gradientThreshold_valueChanged(double val) {
    int stored = value_rules::gradientStored(val);
    linelaserClient()->cfgRegister(1, kGradientRegister, &stored);
}

void DeadZoneSettingWidget::on_spinBox_heightThreshold_valueChanged(int val) {
    linelaserClient()->cfgRegister(1, kHeightRegister, &val);
}

void DeadZoneSettingWidget::on_pushButton_close_clicked() { emit signal_clicked(kProfileProcessingPage); }
