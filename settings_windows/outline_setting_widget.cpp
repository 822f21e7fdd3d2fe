#include "settings_windows/outline_setting_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings_windows/form_helpers.h"

using forms::make;

namespace {

constexpr int kProfileProcessingPage = 5;

}  // namespace


OutLineSettingWidget::OutLineSettingWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("OutLineSettingWidget"));
    resize(350, 533);
    setFont(forms::pageFont());
    auto* layout = new QVBoxLayout(this);

    QGroupBox* xGroup = make<QGroupBox>(this, "groupBox");
    xGroup->setTitle(tr("过滤器处理(X轴)"));
    auto* xRow = new QHBoxLayout(xGroup);
    QLabel* xLabel = make<QLabel>(xGroup, "label_5");
    xLabel->setText(tr("平滑"));
    QComboBox* xAverage = make<QComboBox>(xGroup, "comboBox_outline_filter_xaverage");
    xAverage->addItems({"1", "4", "8", "16", "32", "64", "128", "256"});
    xRow->addWidget(xLabel);
    xRow->addWidget(xAverage, 1);
    layout->addWidget(xGroup);

    QGroupBox* yGroup = make<QGroupBox>(this, "groupBox_2");
    yGroup->setTitle(tr("过滤器处理(Y轴)"));
    auto* yRow = new QHBoxLayout(yGroup);
    QLabel* yLabel = make<QLabel>(yGroup, "label_6");
    yLabel->setText(tr("平均"));
    QComboBox* yAverage = make<QComboBox>(yGroup, "comboBox_outline_filter_yaverage");
    yAverage->addItems({"1", "2", "4", "8", "16", "32", "64", "128", "256"});
    yRow->addWidget(yLabel);
    yRow->addWidget(yAverage, 1);
    layout->addWidget(yGroup);

    QGroupBox* flipGroup = make<QGroupBox>(this, "groupBox_3");
    flipGroup->setTitle(tr("轮廓反转"));
    auto* flipRow = new QHBoxLayout(flipGroup);
    QCheckBox* leftRight = make<QCheckBox>(flipGroup, "checkBox_reversal");
    leftRight->setText(tr("左右反转"));
    QCheckBox* topBottom = make<QCheckBox>(flipGroup, "checkBox_reversal1");
    topBottom->setText(tr("上下反转"));
    flipRow->addWidget(leftRight);
    flipRow->addWidget(topBottom);
    layout->addWidget(flipGroup);
    layout->addStretch(1);

    QWidget* buttonRow = make<QWidget>(this, "horizontalWidget");
    auto* buttons = new QHBoxLayout(buttonRow);
    buttons->addStretch(1);
    QPushButton* advanced = make<QPushButton>(buttonRow, "pushButton_to_uutLine_Setting_Advanced");
    advanced->setText(tr("至高级设定"));
    buttons->addWidget(advanced);
    layout->addWidget(buttonRow);

    QMetaObject::connectSlotsByName(this);
    connect(advanced, &QPushButton::clicked, this, [this] { emit signal_clicked(kProfileProcessingPage); });
}

void OutLineSettingWidget::on_comboBox_outline_filter_xaverage_currentIndexChanged(int) {}
void OutLineSettingWidget::on_comboBox_outline_filter_yaverage_currentIndexChanged(int) {}
void OutLineSettingWidget::on_checkBox_reversal_clicked() {}
void OutLineSettingWidget::on_checkBox_reversal1_clicked() {}
