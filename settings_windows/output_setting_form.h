#pragma once
// Form of the PLC output page.
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QWidget>

namespace Ui {

class OutputSettingWidget {
    Q_DECLARE_TR_FUNCTIONS(OutputSettingWidget)
public:
    QGroupBox* groupBox_connection;
    QLabel* label_8;
    QComboBox* comboBox_plc_protocol;
    QLabel* label_plc_ip;
    QLineEdit* lineEdit_plc_ip;
    QLabel* label_plc_port;
    QSpinBox* spinBox_plc_port;
    QLabel* label_fins_local_node;
    QSpinBox* spinBox_fins_local_node;
    QLabel* label_s7_rack;
    QSpinBox* spinBox_s7_rack;
    QLabel* label_s7_slot;
    QSpinBox* spinBox_s7_slot;
    QLabel* label_s7_local_tsap;
    QSpinBox* spinBox_s7_local_tsap;
    QLabel* label_modbus_station;
    QSpinBox* spinBox_modbus_station;
    QLabel* label_baud_rate;
    QComboBox* comboBox_baud_rate;
    QLabel* label_modbus_station_type;
    QComboBox* comboBox_modbus_station_type;
    QLabel* label_connection_status_caption;
    QLabel* label_connection_status;

    QGroupBox* groupBox_write;
    QLabel* label_plc_write_type;
    QComboBox* comboBox_plc_write_type;
    QLabel* label_plc_write_address;
    QSpinBox* spinBox_plc_write_address;
    QLabel* label_plc_address_type;
    QComboBox* comboBox_plc_address_type;
    QLabel* label_s7_db_num;
    QSpinBox* spinBox_s7_db_num;
    QLabel* label_plc_write_type_2;
    QComboBox* comboBox_plc_output_value;

    QPushButton* pushButton_connection;
    QPushButton* pushButton_close;

    void setupUi(QWidget* page);
    void retranslateUi(QWidget* page);
};

}  // namespace Ui
