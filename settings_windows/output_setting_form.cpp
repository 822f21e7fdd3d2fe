#include "settings_windows/output_setting_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <initializer_list>
#include <utility>

#include "settings_windows/form_helpers.h"

namespace Ui {

using forms::make;

namespace {

// A combo with the given items and no selection.
QComboBox* unselected(QWidget* parent, const char* name, int items) {
    QComboBox* combo = forms::comboBox(parent, name, items);
    combo->setCurrentIndex(-1);
    return combo;
}

}  // namespace

void OutputSettingWidget::setupUi(QWidget* page) {
    if (page->objectName().isEmpty()) page->setObjectName(QStringLiteral("OutputSettingWidget"));
    page->resize(350, 533);
    page->setFont(forms::pageFont());
    auto* pageLayout = new QVBoxLayout(page);

    groupBox_connection = make<QGroupBox>(page, "groupBox_connection");
    QGridLayout* link = forms::grid(groupBox_connection);
    label_8 = make<QLabel>(groupBox_connection, "label_8");
    comboBox_plc_protocol = unselected(groupBox_connection, "comboBox_plc_protocol", 4);
    label_plc_ip = make<QLabel>(groupBox_connection, "label_plc_ip");
    lineEdit_plc_ip = make<QLineEdit>(groupBox_connection, "lineEdit_plc_ip");
    label_plc_port = make<QLabel>(groupBox_connection, "label_plc_port");
    spinBox_plc_port = forms::spinBox(groupBox_connection, "spinBox_plc_port", 1, 65535, 65535);
    label_fins_local_node = make<QLabel>(groupBox_connection, "label_fins_local_node");
    spinBox_fins_local_node = forms::spinBox(groupBox_connection, "spinBox_fins_local_node", 0, 254, 254);
    label_s7_rack = make<QLabel>(groupBox_connection, "label_s7_rack");
    spinBox_s7_rack = forms::spinBox(groupBox_connection, "spinBox_s7_rack", 0, 254, 254);
    label_s7_slot = make<QLabel>(groupBox_connection, "label_s7_slot");
    spinBox_s7_slot = forms::spinBox(groupBox_connection, "spinBox_s7_slot", 0, 254, 254);
    label_s7_local_tsap = make<QLabel>(groupBox_connection, "label_s7_local_tsap");
    spinBox_s7_local_tsap = forms::spinBox(groupBox_connection, "spinBox_s7_local_tsap", 1, 65535, 65535);
    label_modbus_station = make<QLabel>(groupBox_connection, "label_modbus_station");
    spinBox_modbus_station = forms::spinBox(groupBox_connection, "spinBox_modbus_station", 1, 65535, 65535);
    label_baud_rate = make<QLabel>(groupBox_connection, "label_baud_rate");
    comboBox_baud_rate = unselected(groupBox_connection, "comboBox_baud_rate", 7);
    label_modbus_station_type = make<QLabel>(groupBox_connection, "label_modbus_station_type");
    comboBox_modbus_station_type = unselected(groupBox_connection, "comboBox_modbus_station_type", 2);
    label_connection_status_caption = make<QLabel>(groupBox_connection, "label_connection_status_caption");
    label_connection_status = make<QLabel>(groupBox_connection, "label_connection_status");
    int row = 0;
    for (auto [label, field] : std::initializer_list<std::pair<QWidget*, QWidget*>>{
             {label_8, comboBox_plc_protocol},
             {label_plc_ip, lineEdit_plc_ip},
             {label_plc_port, spinBox_plc_port},
             {label_fins_local_node, spinBox_fins_local_node},
             {label_s7_rack, spinBox_s7_rack},
             {label_s7_slot, spinBox_s7_slot},
             {label_s7_local_tsap, spinBox_s7_local_tsap},
             {label_modbus_station, spinBox_modbus_station},
             {label_baud_rate, comboBox_baud_rate},
             {label_modbus_station_type, comboBox_modbus_station_type},
             {label_connection_status_caption, label_connection_status}}) {
        link->addWidget(label, row, 0);
        link->addWidget(field, row, 1);
        ++row;
    }
    link->setColumnStretch(1, 1);
    pageLayout->addWidget(groupBox_connection);

    groupBox_write = make<QGroupBox>(page, "groupBox_write");
    QGridLayout* access = forms::grid(groupBox_write);
    label_plc_write_type = make<QLabel>(groupBox_write, "label_plc_write_type");
    comboBox_plc_write_type = unselected(groupBox_write, "comboBox_plc_write_type", 3);
    label_plc_write_address = make<QLabel>(groupBox_write, "label_plc_write_address");
    spinBox_plc_write_address = forms::spinBox(groupBox_write, "spinBox_plc_write_address", 0, 999999999, 99999);
    label_plc_address_type = make<QLabel>(groupBox_write, "label_plc_address_type");
    comboBox_plc_address_type = make<QComboBox>(groupBox_write, "comboBox_plc_address_type");
    label_s7_db_num = make<QLabel>(groupBox_write, "label_s7_db_num");
    spinBox_s7_db_num = forms::spinBox(groupBox_write, "spinBox_s7_db_num", 0, 65535, 65535);
    label_plc_write_type_2 = make<QLabel>(groupBox_write, "label_plc_write_type_2");
    comboBox_plc_output_value = unselected(groupBox_write, "comboBox_plc_output_value", 3);
    row = 0;
    for (auto [label, field] : std::initializer_list<std::pair<QWidget*, QWidget*>>{
             {label_plc_write_type, comboBox_plc_write_type},
             {label_plc_write_address, spinBox_plc_write_address},
             {label_plc_address_type, comboBox_plc_address_type},
             {label_s7_db_num, spinBox_s7_db_num},
             {label_plc_write_type_2, comboBox_plc_output_value}}) {
        access->addWidget(label, row, 0);
        access->addWidget(field, row, 1);
        ++row;
    }
    access->setColumnStretch(1, 1);
    pageLayout->addWidget(groupBox_write);
    pageLayout->addStretch(1);

    auto* buttons = new QHBoxLayout();
    pushButton_connection = make<QPushButton>(page, "pushButton_connection");
    pushButton_close = make<QPushButton>(page, "pushButton_close");
    buttons->addWidget(pushButton_connection);
    buttons->addStretch(1);
    buttons->addWidget(pushButton_close);
    pageLayout->addLayout(buttons);

    retranslateUi(page);
}

void OutputSettingWidget::retranslateUi(QWidget* page) {
    page->setWindowTitle(QStringLiteral("Form"));
    groupBox_connection->setTitle(tr("连接"));
    label_8->setText(tr("PLC协议类型"));
    forms::setItemTexts(comboBox_plc_protocol, {"FINS TCP", "S7", "Modbus TCP", "Modbus RTU"});
    label_plc_ip->setText(QStringLiteral("PLC IP"));
    label_plc_port->setText(tr("PLC端口"));
    label_fins_local_node->setText(tr("本地节点"));
    label_s7_rack->setText(QStringLiteral("Rack"));
    label_s7_slot->setText(QStringLiteral("Slot"));
    label_s7_local_tsap->setText(tr("本地TSAP"));
    label_modbus_station->setText(tr("站号"));
    label_baud_rate->setText(tr("波特率"));
    forms::setItemTexts(comboBox_baud_rate, {"9600", "14400", "19200", "38400", "56000", "57600", "115200"});
    label_modbus_station_type->setText(tr("主从模式"));
    forms::setItemTexts(comboBox_modbus_station_type, {tr("从站"), tr("主站")});
    label_connection_status_caption->setText(tr("连接状态"));
    groupBox_write->setTitle(tr("数据访问"));
    label_plc_write_type->setText(tr("数据类型"));
    forms::setItemTexts(comboBox_plc_write_type, {"Float", "Int32", "Int16"});
    label_plc_write_address->setText(tr("访问地址"));
    label_plc_address_type->setText(tr("存储区"));
    label_s7_db_num->setText(tr("DB编号"));
    label_plc_write_type_2->setText(tr("输出数值"));
    forms::setItemTexts(comboBox_plc_output_value, {tr("段差值"), tr("区域1值"), tr("区域2值")});
    pushButton_connection->setText(tr("连接"));
    pushButton_close->setText(tr("关闭"));
}

}  // namespace Ui
