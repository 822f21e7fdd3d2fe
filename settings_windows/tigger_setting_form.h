#pragma once
// Form of the trigger and encoder page.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QWidget>

#include "sensor_client/qg_groupbox.h"

namespace Ui {

class TiggerSettingWidget {
    Q_DECLARE_TR_FUNCTIONS(TiggerSettingWidget)
public:
    QGGroupbox* groupBox_3;
    QLabel* label_7;
    QComboBox* comboBox_trigger_method;
    QGGroupbox* groupBox_trigger_method_3;
    QLabel* label;
    QComboBox* comboBox_trigger_encoder_mode;
    QLabel* label_3;
    QSpinBox* spinBox_trigger_encoder_interval;
    QCheckBox* checkBox_trigger_interval;
    QDoubleSpinBox* doubleSpinBox_trigger_yinterval;
    QLabel* label_10;

    QGGroupbox* groupBox_5;
    QCheckBox* checkBox_max_sampling_freq;
    QLabel* label_max_sampling_freq;
    QLabel* label_17;
    QCheckBox* checkBox_customized_sampling_freq;
    QSpinBox* spinBox_sampling_freq;
    QLabel* label_16;

    QGGroupbox* groupBox_bacthView;
    QCheckBox* checkBox_batch_en;
    QCheckBox* checkBox_batch_mode;
    QLabel* label_12;
    QSpinBox* spinBox_trigger_batch_size;
    QLabel* label_13;
    QLabel* label_4;
    QComboBox* comboBox_batchModel;
    QLabel* label_14;
    QComboBox* comboBox_bacthView;

    QGGroupbox* groupBox_master_slave;
    QLabel* label_15;
    QComboBox* comboBox_async_func_en;
    QRadioButton* radioButton_async_on;
    QRadioButton* radioButton_async_off;
    QRadioButton* radioButton_async_server;
    QRadioButton* radioButton_async_client;
    QRadioButton* radioButton_async_client_alter;
    QRadioButton* radioButton_async_client_sync;
    QWidget* widget_master_choices;
    QRadioButton* radioButton_async_server_sync;
    QRadioButton* radioButton_async_server_async;

    void setupUi(QWidget* page);
    void retranslateUi(QWidget* page);
};

}  // namespace Ui
