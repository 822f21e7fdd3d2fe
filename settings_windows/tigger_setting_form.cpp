#include "settings_windows/tigger_setting_form.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "settings_windows/form_helpers.h"

namespace Ui {

using forms::make;

namespace {

// The form's minimum heights are left to the layouts: a fixed minimum below
// what the contents need would squeeze them.
QGGroupbox* titledGroup(QWidget* parent, const char* name) {
    QGGroupbox* group = make<QGGroupbox>(parent, name);
    group->setFlat(true);
    group->setStyleSheet(forms::boldTitleStyle());
    return group;
}

}  // namespace

void TiggerSettingWidget::setupUi(QWidget* page) {
    if (page->objectName().isEmpty()) page->setObjectName(QStringLiteral("TiggerSettingWidget"));
    page->resize(350, 592);
    page->setFont(forms::pageFont());
    auto* pageLayout = new QVBoxLayout(page);
    forms::tightenPage(pageLayout);

    // Trigger source and encoder.
    groupBox_3 = titledGroup(page, "groupBox_3");
    auto* triggerLayout = new QVBoxLayout(groupBox_3);
    forms::tightenPage(triggerLayout);
    auto* methodRow = new QHBoxLayout();
    label_7 = make<QLabel>(groupBox_3, "label_7");
    comboBox_trigger_method = forms::comboBox(groupBox_3, "comboBox_trigger_method", 2);
    methodRow->addWidget(label_7);
    methodRow->addWidget(comboBox_trigger_method, 1);
    triggerLayout->addLayout(methodRow);
    groupBox_trigger_method_3 = titledGroup(groupBox_3, "groupBox_trigger_method_3");
    auto* encoderGrid = forms::grid(groupBox_trigger_method_3);
    label = make<QLabel>(groupBox_trigger_method_3, "label");
    comboBox_trigger_encoder_mode = forms::comboBox(groupBox_trigger_method_3, "comboBox_trigger_encoder_mode", 4);
    label_3 = make<QLabel>(groupBox_trigger_method_3, "label_3");
    spinBox_trigger_encoder_interval =
        forms::spinBox(groupBox_trigger_method_3, "spinBox_trigger_encoder_interval", 1, 9999, 50);
    checkBox_trigger_interval = make<QCheckBox>(groupBox_trigger_method_3, "checkBox_trigger_interval");
    doubleSpinBox_trigger_yinterval = forms::doubleSpinBox(groupBox_trigger_method_3,
                                                           "doubleSpinBox_trigger_yinterval", 0.001, 50, 3, 0.001, 0.1);
    label_10 = make<QLabel>(groupBox_trigger_method_3, "label_10");
    encoderGrid->addWidget(label, 0, 0);
    encoderGrid->addWidget(comboBox_trigger_encoder_mode, 0, 1, 1, 2);
    encoderGrid->addWidget(label_3, 1, 0);
    encoderGrid->addWidget(spinBox_trigger_encoder_interval, 1, 1, 1, 2);
    encoderGrid->addWidget(checkBox_trigger_interval, 2, 0);
    encoderGrid->addWidget(doubleSpinBox_trigger_yinterval, 2, 1);
    encoderGrid->addWidget(label_10, 2, 2);
    encoderGrid->setColumnStretch(1, 1);
    triggerLayout->addWidget(groupBox_trigger_method_3);
    pageLayout->addWidget(groupBox_3);

    // Line rate.
    groupBox_5 = titledGroup(page, "groupBox_5");
    auto* rateGrid = forms::grid(groupBox_5);
    checkBox_max_sampling_freq = make<QCheckBox>(groupBox_5, "checkBox_max_sampling_freq");
    label_max_sampling_freq = make<QLabel>(groupBox_5, "label_max_sampling_freq");
    label_max_sampling_freq->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label_17 = make<QLabel>(groupBox_5, "label_17");
    checkBox_customized_sampling_freq = make<QCheckBox>(groupBox_5, "checkBox_customized_sampling_freq");
    spinBox_sampling_freq = forms::spinBox(groupBox_5, "spinBox_sampling_freq", 10, 1000000, 50);
    label_16 = make<QLabel>(groupBox_5, "label_16");
    rateGrid->addWidget(checkBox_max_sampling_freq, 0, 0);
    rateGrid->addWidget(label_max_sampling_freq, 0, 1);
    rateGrid->addWidget(label_17, 0, 2);
    rateGrid->addWidget(checkBox_customized_sampling_freq, 1, 0);
    rateGrid->addWidget(spinBox_sampling_freq, 1, 1);
    rateGrid->addWidget(label_16, 1, 2);
    rateGrid->setColumnStretch(1, 1);
    pageLayout->addWidget(groupBox_5);

    // Batches.
    groupBox_bacthView = titledGroup(page, "groupBox_bacthView");
    auto* batchGrid = forms::grid(groupBox_bacthView);
    checkBox_batch_en = make<QCheckBox>(groupBox_bacthView, "checkBox_batch_en");
    checkBox_batch_en->setFont(forms::pageFont(9));
    checkBox_batch_mode = make<QCheckBox>(groupBox_bacthView, "checkBox_batch_mode");
    label_12 = make<QLabel>(groupBox_bacthView, "label_12");
    spinBox_trigger_batch_size = forms::spinBox(groupBox_bacthView, "spinBox_trigger_batch_size", 1, 50000, 1000);
    label_13 = make<QLabel>(groupBox_bacthView, "label_13");
    label_4 = make<QLabel>(groupBox_bacthView, "label_4");
    comboBox_batchModel = forms::comboBox(groupBox_bacthView, "comboBox_batchModel", 2);
    label_14 = make<QLabel>(groupBox_bacthView, "label_14");
    comboBox_bacthView = forms::comboBox(groupBox_bacthView, "comboBox_bacthView", 2);
    batchGrid->addWidget(checkBox_batch_en, 0, 0);
    batchGrid->addWidget(checkBox_batch_mode, 0, 1);
    batchGrid->addWidget(label_12, 1, 0);
    batchGrid->addWidget(spinBox_trigger_batch_size, 1, 1);
    batchGrid->addWidget(label_13, 1, 2);
    batchGrid->addWidget(label_4, 2, 0);
    batchGrid->addWidget(comboBox_batchModel, 2, 1);
    batchGrid->addWidget(label_14, 3, 0);
    batchGrid->addWidget(comboBox_bacthView, 3, 1);
    batchGrid->setColumnStretch(1, 1);
    pageLayout->addWidget(groupBox_bacthView);

    // Synchronisation of several controllers.
    groupBox_master_slave = titledGroup(page, "groupBox_master_slave");
    auto* syncGrid = forms::grid(groupBox_master_slave);
    label_15 = make<QLabel>(groupBox_master_slave, "label_15");
    comboBox_async_func_en = forms::comboBox(groupBox_master_slave, "comboBox_async_func_en", 6);
    radioButton_async_on = make<QRadioButton>(groupBox_master_slave, "radioButton_async_on");
    radioButton_async_off = make<QRadioButton>(groupBox_master_slave, "radioButton_async_off");
    radioButton_async_server = make<QRadioButton>(groupBox_master_slave, "radioButton_async_server");
    radioButton_async_client = make<QRadioButton>(groupBox_master_slave, "radioButton_async_client");
    radioButton_async_client_alter = make<QRadioButton>(groupBox_master_slave, "radioButton_async_client_alter");
    radioButton_async_client_sync = make<QRadioButton>(groupBox_master_slave, "radioButton_async_client_sync");
    // The master choices share the slave choices' place and exclude only each other.
    widget_master_choices = make<QWidget>(groupBox_master_slave, "widget_master_choices");
    auto* masterRow = new QHBoxLayout(widget_master_choices);
    masterRow->setContentsMargins(0, 0, 0, 0);
    radioButton_async_server_sync = make<QRadioButton>(widget_master_choices, "radioButton_async_server_sync");
    radioButton_async_server_async = make<QRadioButton>(widget_master_choices, "radioButton_async_server_async");
    masterRow->addWidget(radioButton_async_server_sync);
    masterRow->addWidget(radioButton_async_server_async);
    syncGrid->addWidget(label_15, 0, 0);
    syncGrid->addWidget(comboBox_async_func_en, 0, 1, 1, 2);
    syncGrid->addWidget(radioButton_async_on, 1, 0);
    syncGrid->addWidget(radioButton_async_off, 1, 1);
    syncGrid->addWidget(radioButton_async_server, 2, 0);
    syncGrid->addWidget(radioButton_async_client, 2, 1);
    syncGrid->addWidget(radioButton_async_client_alter, 3, 0);
    syncGrid->addWidget(radioButton_async_client_sync, 3, 1);
    syncGrid->addWidget(widget_master_choices, 3, 0, 1, 2);
    pageLayout->addWidget(groupBox_master_slave);
    pageLayout->addStretch(1);

    retranslateUi(page);
}

void TiggerSettingWidget::retranslateUi(QWidget* page) {
    page->setWindowTitle(tr("触发设定"));
    groupBox_3->setTitle(tr("触发模式"));
    label_7->setText(tr("触发模式"));
    forms::setItemTexts(comboBox_trigger_method, {tr("连续触发"), tr("编码器触发")});
    groupBox_trigger_method_3->setTitle(tr("编码器触发"));
    label->setText(tr("输入模式"));
    forms::setItemTexts(comboBox_trigger_encoder_mode, {tr("1相1递增"), tr("2相1递增"), tr("2相2递增"), tr("2相4递增")});
    label_3->setText(tr("细化点数"));
    checkBox_trigger_interval->setText(tr("触发间隔"));
    label_10->setText(QStringLiteral("mm"));
    groupBox_5->setTitle(tr("触发设定"));
    checkBox_max_sampling_freq->setText(tr("最大采样频率"));
    label_17->setText(QStringLiteral("Hz"));
    checkBox_customized_sampling_freq->setText(tr("自定义采样频率"));
    label_16->setText(QStringLiteral("Hz"));
    groupBox_bacthView->setTitle(tr("批处理设定"));
    checkBox_batch_en->setText(tr("开启批处理"));
    checkBox_batch_mode->setText(tr("单帧模式"));
    label_12->setText(tr("批处理点数"));
    label_13->setText(tr("点"));
    label_4->setText(tr("批处理输出"));
    forms::setItemTexts(comboBox_batchModel, {tr("只限轮廓"), tr("轮廓+亮度")});
    label_14->setText(tr("显示"));
    forms::setItemTexts(comboBox_bacthView, {tr("轮廓图"), tr("亮度图")});
    groupBox_master_slave->setTitle(tr("复数控制器同步"));
    label_15->setText(tr("同步功能"));
    forms::setItemTexts(comboBox_async_func_en, {tr("不使用"), tr("主从交替-主机模式"), tr("主从交替-交替模式"),
                                                 tr("主从交替-同主模式"), tr("主从同步-主机模式"),
                                                 tr("主从同步-从机模式")});
    radioButton_async_on->setText(tr("开启"));
    radioButton_async_off->setText(tr("关闭"));
    radioButton_async_server->setText(tr("主机"));
    radioButton_async_client->setText(tr("从机"));
    radioButton_async_client_alter->setText(tr("从机交替"));
    radioButton_async_client_sync->setText(tr("从机同步"));
    radioButton_async_server_sync->setText(tr("主机同步"));
    radioButton_async_server_async->setText(tr("主机交替"));
}

}  // namespace Ui
