#include "settings_windows/output_setting_widget.h"

#include <QSignalBlocker>

#include <initializer_list>
#include <memory>
#include <vector>

#include "sensor_client/app_settings.h"
#include "sensor_client/linelaser_client.h"
#include "sensor_client/prompter.h"
#include "sensor_interface/registry/device_functions.h"
#include "settings_windows/core/measured_values.h"
#include "settings_windows/core/plc_settings.h"
#include "settings_windows/output_setting_form.h"

namespace {

constexpr int kDevice = 0;
constexpr int kIpRegister = 832;
constexpr int kPortRegister = 833;
constexpr int kFinsNodeRegister = 834;
constexpr int kAddressRegister = 835;
constexpr int kRtuAddressRegister = 859;
constexpr int kDataTypeRegister = 837;
constexpr int kRtuDataTypeRegister = 860;
constexpr int kLinkRequestRegister = 838;
constexpr int kLinkStateRegister = 840;
constexpr int kWorkModeRegister = 842;
constexpr int kProtocolRegister = 843;
constexpr int kTsapRegister = 844;
constexpr int kRackRegister = 845;
constexpr int kSlotRegister = 846;
constexpr int kDbRegister = 847;
constexpr int kStationRegister = 852;
constexpr int kRtuStationRegister = 857;
constexpr int kStationTypeRegister = 853;
constexpr int kRtuStationTypeRegister = 862;
constexpr int kBaudRegister = 858;
constexpr int kOutputValueRegister = 869;
constexpr int kMasterStation = 1;
constexpr int kSettings25dPage = 13;

void setRowVisible(QWidget* label, QWidget* field, bool visible) {
    label->setVisible(visible);
    field->setVisible(visible);
}

}  // namespace

OutputSettingWidget::OutputSettingWidget(QWidget* parent, MeasuredValueTiming timing)
    : QWidget(parent), ui(new Ui::OutputSettingWidget) {
    ui->setupUi(this);
    MeasuredValueMonitor::Callbacks callbacks;
    callbacks.status = [this](uint32_t r842, uint32_t r838, uint32_t r840, uint32_t r839) {
        emit signal_update_status(static_cast<int>(r842), static_cast<int>(r838), static_cast<int>(r840),
                                  static_cast<int>(r839));
    };
    callbacks.data = [this](const std::string& name, const std::string& value, const measured::Frame& frame) {
        emit signal_update_data(QString::fromStdString(name), QString::fromStdString(value), frame.boundary,
                                frame.offset1, frame.offset2, frame.len1, frame.len2);
    };
    callbacks.savingEnabled = [] { return settingsInt(settings_keys::kMvalueSave) != 0; };
    monitor_ = std::make_unique<MeasuredValueMonitor>(kDevice, std::move(callbacks), timing, "2.5D",
                                                      &clientDeviceMutex());

    QMetaObject::connectSlotsByName(this);
    active_ = hvq5_is_series4_new(kDevice);
    if (!active_) return;
    allui_blockSignals(true);
    ui->lineEdit_plc_ip->setInputMask(QStringLiteral("000.000.000.000"));
    allui_blockSignals(false);
    connect(this, &OutputSettingWidget::signal_update_status, this, &OutputSettingWidget::slot_update_status,
            Qt::QueuedConnection);
    loadSettings();
    monitor_->start();
}

OutputSettingWidget::~OutputSettingWidget() {
    // The monitor reports through this page's signals: it ends first.
    monitor_.reset();
    delete ui;
}

void OutputSettingWidget::setRunState(int state) { monitor_->setRunState(state); }

int OutputSettingWidget::runState() const { return monitor_->runState(); }

QString OutputSettingWidget::measuredValueFile() const {
    return QString::fromStdString(monitor_->filePath().string());
}

void OutputSettingWidget::communicationFailed() {
    ui::prompter().question(this, tr("提示"), tr("通信失败!"), QMessageBox::Ok, QMessageBox::Ok);
}

bool OutputSettingWidget::read(int reg, uint32_t* value) { return hvq5_read_register(kDevice, reg, value) == 0; }

bool OutputSettingWidget::write(int reg, int value) {
    if (hvq5_write_register(kDevice, reg, value) == 0) return true;
    communicationFailed();
    return false;
}

bool OutputSettingWidget::rtuShown() const { return ui->comboBox_plc_protocol->currentIndex() == plc::ModbusRtu; }

void OutputSettingWidget::allui_blockSignals(bool block) {
    for (QObject* control : std::initializer_list<QObject*>{
             ui->lineEdit_plc_ip, ui->comboBox_plc_protocol, ui->comboBox_plc_write_type, ui->comboBox_plc_address_type,
             ui->spinBox_plc_write_address, ui->spinBox_plc_port, ui->spinBox_fins_local_node,
             ui->spinBox_s7_local_tsap, ui->spinBox_s7_rack, ui->spinBox_s7_slot, ui->spinBox_s7_db_num,
             ui->spinBox_modbus_station, ui->comboBox_baud_rate})
        control->blockSignals(block);
}

// ---------------------------------------------------------------- loading

void OutputSettingWidget::loadSettings() {
    uint32_t workMode = 1;
    hvq5_get_cached_register(kDevice, kWorkModeRegister, &workMode);
    uint32_t linked = 0;
    if (!read(kLinkStateRegister, &linked)) linked = 0;
    ui->groupBox_connection->setEnabled(workMode == 0 && linked == 0);
    ui->groupBox_write->setEnabled(workMode == 0);

    // Loading shows what the sensor holds and writes nothing back.
    allui_blockSignals(true);
    const QSignalBlocker blockStationType(ui->comboBox_modbus_station_type);
    const QSignalBlocker blockOutputValue(ui->comboBox_plc_output_value);
    uint32_t value = 0;
    uint32_t protocol = 0;
    bool complete = false;
    do {
        if (!read(kIpRegister, &value)) break;
        plcAddress_ = value;
        ui->lineEdit_plc_ip->setText(QString::fromStdString(plc::addressText(value)));
        if (!read(kPortRegister, &value)) break;
        ui->spinBox_plc_port->setValue(static_cast<int>(value));
        if (!read(kFinsNodeRegister, &value)) break;
        ui->spinBox_fins_local_node->setValue(static_cast<int>(value));
        if (!read(kProtocolRegister, &protocol)) break;
        if (!read(kTsapRegister, &value)) break;
        ui->spinBox_s7_local_tsap->setValue(static_cast<int>(value));
        if (!read(kRackRegister, &value)) break;
        ui->spinBox_s7_rack->setValue(static_cast<int>(value));
        if (!read(kSlotRegister, &value)) break;
        ui->spinBox_s7_slot->setValue(static_cast<int>(value));
        if (!read(kDbRegister, &value)) break;
        ui->spinBox_s7_db_num->setValue(static_cast<int>(value));
        ui->comboBox_plc_address_type->setCurrentIndex(value != 0 ? 1 : 0);
        if (!read(kBaudRegister, &value)) break;
        ui->comboBox_baud_rate->setCurrentIndex(static_cast<int>(value));
        complete = true;
    } while (false);
    if (!complete) {
        allui_blockSignals(false);
        communicationFailed();
        return;
    }

    const int p = static_cast<int>(protocol);
    ui->comboBox_plc_protocol->setCurrentIndex(p);
    setRowVisible(ui->label_s7_local_tsap, ui->spinBox_s7_local_tsap, false);
    setRowVisible(ui->label_modbus_station, ui->spinBox_modbus_station, false);
    setRowVisible(ui->label_baud_rate, ui->comboBox_baud_rate, false);
    showProtocolRows(p);
    if (p >= 0 && p <= plc::ModbusRtu) {
        protocol_ = p;
        monitor_->setProtocol(p);
        updateProtocolUi(p);
    }
    allui_blockSignals(false);

    if (read(kOutputValueRegister, &value))
        ui->comboBox_plc_output_value->setCurrentIndex(static_cast<int>(value));
    else
        communicationFailed();
}

void OutputSettingWidget::updateProtocolUi(int protocol) {
    const bool rtu = protocol == plc::ModbusRtu;
    const bool wasBlocked = ui->spinBox_plc_write_address->signalsBlocked();
    allui_blockSignals(true);
    const QSignalBlocker blockStationType(ui->comboBox_modbus_station_type);
    uint32_t value = 0;
    do {
        if (!read(rtu ? kRtuAddressRegister : kAddressRegister, &value)) break;
        ui->spinBox_plc_write_address->setValue(static_cast<int>(value));
        if (!read(rtu ? kRtuDataTypeRegister : kDataTypeRegister, &value)) break;
        ui->comboBox_plc_write_type->setCurrentIndex(static_cast<int>(value));
        setDataType(static_cast<int>(value));
        if (!read(rtu ? kRtuStationRegister : kStationRegister, &value)) break;
        ui->spinBox_modbus_station->setValue(static_cast<int>(value));
        if (!read(rtu ? kRtuStationTypeRegister : kStationTypeRegister, &value)) break;
        ui->comboBox_modbus_station_type->setCurrentIndex(static_cast<int>(value));
        allui_blockSignals(wasBlocked);
        return;
    } while (false);
    allui_blockSignals(wasBlocked);
    communicationFailed();
}

void OutputSettingWidget::setDataType(int type) {
    monitor_->setDataType(type);
    monitor_->publishName(tr("测量值(%1)").arg(QString::fromLatin1(measured::valueUnit(type))).toStdString());
}

// ---------------------------------------------------------------- protocol

bool OutputSettingWidget::refuseModbusRtu(int protocol) {
    if (protocol != plc::ModbusRtu) return false;
    uint32_t firmware135 = 0;
    uint32_t version166 = 0;
    if (hvq5_get_firmware_versions(kDevice, 1, &firmware135, &version166) != 0) return false;
    if (!plc::lacksModbusRtu(firmware135)) return false;
    ui::prompter().critical(
        this, QStringLiteral("2.5D"),
        tr("硬件版本不支持Modbus RTU (%1)").arg(QString::fromStdString(plc::hardwareVersionText(firmware135))),
        QMessageBox::Ok, QMessageBox::Ok);
    return true;
}

void OutputSettingWidget::showProtocolRows(int protocol) {
    const plc::ProtocolRows rows = plc::protocolRows(protocol, ui->spinBox_s7_db_num->value() != 0);
    setRowVisible(ui->label_fins_local_node, ui->spinBox_fins_local_node, rows.finsNode);
    setRowVisible(ui->label_s7_rack, ui->spinBox_s7_rack, rows.s7Rows);
    setRowVisible(ui->label_s7_slot, ui->spinBox_s7_slot, rows.s7Rows);
    setRowVisible(ui->label_s7_local_tsap, ui->spinBox_s7_local_tsap, rows.s7Rows);
    setRowVisible(ui->label_s7_db_num, ui->spinBox_s7_db_num, rows.dbNumber);
    setRowVisible(ui->label_modbus_station, ui->spinBox_modbus_station, rows.station);
    setRowVisible(ui->label_modbus_station_type, ui->comboBox_modbus_station_type, rows.stationType);
    setRowVisible(ui->label_baud_rate, ui->comboBox_baud_rate, rows.baudRate);

    for (QWidget* control : std::initializer_list<QWidget*>{ui->label_plc_ip, ui->lineEdit_plc_ip, ui->label_plc_port,
                                                            ui->spinBox_plc_port, ui->pushButton_connection,
                                                            ui->label_connection_status_caption})
        control->setEnabled(rows.linkControls);
    ui->label_connection_status->setVisible(rows.linkControls);
    ui->label_modbus_station_type->setEnabled(rows.stationTypeEnabled);
    ui->comboBox_modbus_station_type->setEnabled(rows.stationTypeEnabled);
    ui->label_plc_address_type->setEnabled(rows.addressTypeEnabled);
    ui->comboBox_plc_address_type->setEnabled(rows.addressTypeEnabled);

    const QSignalBlocker blockAddressType(ui->comboBox_plc_address_type);
    ui->comboBox_plc_address_type->clear();
    for (const std::string& item : rows.addressTypes)
        ui->comboBox_plc_address_type->addItem(QString::fromStdString(item));
    ui->comboBox_plc_address_type->setCurrentIndex(
        plc::addressTypeIndex(protocol, static_cast<uint32_t>(ui->spinBox_s7_db_num->value())));
}

void OutputSettingWidget::on_comboBox_plc_protocol_currentIndexChanged(int protocol) {
    if (protocol < 0) return;
    if (refuseModbusRtu(protocol)) return;
    showProtocolRows(protocol);
    if (protocol == plc::ModbusTcp) ui->comboBox_modbus_station_type->setCurrentIndex(kMasterStation);
    if (protocol > plc::ModbusRtu) return;
    if (!write(kProtocolRegister, protocol)) return;
    protocol_ = protocol;
    monitor_->setProtocol(protocol);
    updateProtocolUi(protocol);
}

// ---------------------------------------------------------------- writes

void OutputSettingWidget::on_lineEdit_plc_ip_textChanged(const QString& text) {
    // Only a complete address goes to the sensor, and only when it changed:
    // the text passes through every partial state while it is typed.
    const std::optional<uint32_t> address = plc::parseAddress(text.toStdString());
    if (!address || address == plcAddress_) return;
    if (write(kIpRegister, static_cast<int>(*address))) plcAddress_ = address;
}

void OutputSettingWidget::on_spinBox_plc_port_valueChanged(int value) { write(kPortRegister, value); }
void OutputSettingWidget::on_spinBox_fins_local_node_valueChanged(int value) { write(kFinsNodeRegister, value); }
void OutputSettingWidget::on_spinBox_s7_local_tsap_valueChanged(int value) { write(kTsapRegister, value); }
void OutputSettingWidget::on_spinBox_s7_rack_valueChanged(int value) { write(kRackRegister, value); }
void OutputSettingWidget::on_spinBox_s7_slot_valueChanged(int value) { write(kSlotRegister, value); }
void OutputSettingWidget::on_spinBox_s7_db_num_valueChanged(int value) { write(kDbRegister, value); }

void OutputSettingWidget::on_comboBox_baud_rate_currentIndexChanged(int index) {
    if (index >= 0) write(kBaudRegister, index);
}

void OutputSettingWidget::on_comboBox_modbus_station_type_currentIndexChanged(int index) {
    if (index >= 0) write(rtuShown() ? kRtuStationTypeRegister : kStationTypeRegister, index);
}

void OutputSettingWidget::on_spinBox_modbus_station_valueChanged(int value) {
    write(rtuShown() ? kRtuStationRegister : kStationRegister, value);
}

void OutputSettingWidget::on_spinBox_plc_write_address_valueChanged(int value) {
    write(rtuShown() ? kRtuAddressRegister : kAddressRegister, value);
}

void OutputSettingWidget::on_comboBox_plc_write_type_currentIndexChanged(int index) {
    if (index < 0) return;
    if (write(rtuShown() ? kRtuDataTypeRegister : kDataTypeRegister, index)) setDataType(index);
}

void OutputSettingWidget::on_comboBox_plc_address_type_currentIndexChanged(int index) {
    if (index < 0) return;
    if (index == 0) {
        if (!write(kDbRegister, 0)) return;
        const QSignalBlocker blockDb(ui->spinBox_s7_db_num);
        ui->spinBox_s7_db_num->setValue(0);
    }
    setRowVisible(ui->label_s7_db_num, ui->spinBox_s7_db_num, index == 1);
}

void OutputSettingWidget::on_comboBox_plc_output_value_currentIndexChanged(int index) {
    if (index >= 0) write(kOutputValueRegister, index);
}

void OutputSettingWidget::on_pushButton_connection_clicked() {
    const bool connecting = ui->pushButton_connection->text() == tr("连接");
    if (!write(kLinkRequestRegister, connecting ? 1 : 0)) return;
    ui->pushButton_connection->setText(connecting ? tr("断开") : tr("连接"));
}

void OutputSettingWidget::on_pushButton_close_clicked() {
    emit signal_clicked(kSettings25dPage);
    setRunState(MeasuredValueMonitor::Run);
}

// ---------------------------------------------------------------- monitor reports

void OutputSettingWidget::slot_update_status(int r842, int r838, int r840, int r839) {
    ui->pushButton_connection->setText(r838 != 0 ? tr("断开") : tr("连接"));
    if (rtuShown())
        ui->label_connection_status->clear();
    else if (r840 != 0)
        ui->label_connection_status->setText(tr("已连接"));
    else
        ui->label_connection_status->setText(tr("未连接") + QStringLiteral("(%1)").arg(r839));
    ui->groupBox_connection->setEnabled(r842 == 0 && r840 == 0);
}

void OutputSettingWidget::slot_values_save_changed() { monitor_->reopenFile(); }
