#pragma once
// Form of the profile processing page.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QWidget>

namespace Ui {

class OutLineSettingAdvanced {
    Q_DECLARE_TR_FUNCTIONS(OutLineSettingAdvanced)
public:
    QTabWidget* tabWidget;
    QWidget* tab;
    QGroupBox* groupBox_4;
    QLabel* label;
    QComboBox* comboBox_outline_filter_xaverage;
    QLabel* label_2;
    QComboBox* comboBox_outline_filter_xmedian;
    QGroupBox* groupBox_5;
    QLabel* label_3;
    QComboBox* comboBox_outline_filter_yaverage;
    QLabel* label_4;
    QComboBox* comboBox_outline_filter_ymedian;
    QGroupBox* groupBox_6;
    QLabel* label_5;
    QSpinBox* spinBox_outline_invalid_process;
    QLabel* label_6;
    QSpinBox* spinBox_outline_invalid_recover;
    QLabel* label_cloud_filter;
    QPushButton* pushButton_cloud_filter;
    QGroupBox* groupBox_7;
    QRadioButton* radioButton_process_invalid_0;
    QRadioButton* radioButton_process_invalid_1;
    QRadioButton* radioButton_process_invalid_2;
    QPushButton* pushButton_deadzone_advance;
    QLabel* label_15;
    QLabel* label_data_type;
    QComboBox* comboBox_polyFormat;
    QLabel* label_xptich;
    QDoubleSpinBox* doubleSpinBox_xptich;

    QWidget* tab_2;
    QGroupBox* groupBox_2;
    QCheckBox* checkBox_k_en;
    QLineEdit* lineEdit_k_val;
    QLabel* label_k_unit;
    QPushButton* pushButton_k;
    QCheckBox* checkBox_b_en;
    QLineEdit* lineEdit_b_val;
    QLabel* label_b_unit;
    QPushButton* pushButton_b;
    QGroupBox* groupBox_8;
    QCheckBox* checkBox_reversal_2;
    QCheckBox* checkBox_reversal1_2;

    void setupUi(QWidget* page);
    void retranslateUi(QWidget* page);
};

}  // namespace Ui
