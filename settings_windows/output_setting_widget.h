#pragma once
// The PLC output page: how the sensor itself sends its 2.5D measured values
// to a PLC (protocol, address, port, protocol parameters, data type, access
// address, storage area, output value), the sensor's PLC link and its state.
// On series-'4' heads with the PLC output (version word above 28695) the page
// also runs the measured-value monitor for its whole life.
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

#include "settings_windows/core/measured_value_monitor.h"

namespace Ui {
class OutputSettingWidget;
}

class OutputSettingWidget : public QWidget {
    Q_OBJECT
public:
    explicit OutputSettingWidget(QWidget* parent = nullptr, MeasuredValueTiming timing = MeasuredValueTiming{});
    ~OutputSettingWidget() override;

    // Fills the page from the sensor; writes nothing.
    void loadSettings();
    // Reads the registers that depend on the protocol into the page.
    void updateProtocolUi(int protocol);

    // 0 ends the monitor, 1 polls the values, 2 also reports the link state.
    void setRunState(int state);
    int runState() const;
    // Whether the page serves a head with the PLC output (decided at construction).
    bool active() const { return active_; }
    // The open measured-value file (empty when none).
    QString measuredValueFile() const;

public slots:
    void allui_blockSignals(bool block);
    void slot_update_status(int r842, int r838, int r840, int r839);
    // Closes the measured-value file and opens a new one while the sensor is
    // in 2.5D work mode and settings.ini 2.5D/mvalue_save is set.
    void slot_values_save_changed();

signals:
    void signal_clicked(int page);
    void signal_update_status(int r842, int r838, int r840, int r839);
    void signal_update_data(QString name, QString value, int boundary, int offset1, int offset2, int len1, int len2);

private slots:
    void on_comboBox_plc_protocol_currentIndexChanged(int protocol);
    void on_lineEdit_plc_ip_textChanged(const QString& text);
    void on_spinBox_plc_port_valueChanged(int value);
    void on_spinBox_fins_local_node_valueChanged(int value);
    void on_spinBox_s7_local_tsap_valueChanged(int value);
    void on_spinBox_s7_rack_valueChanged(int value);
    void on_spinBox_s7_slot_valueChanged(int value);
    void on_spinBox_s7_db_num_valueChanged(int value);
    void on_comboBox_baud_rate_currentIndexChanged(int index);
    void on_comboBox_modbus_station_type_currentIndexChanged(int index);
    void on_spinBox_modbus_station_valueChanged(int value);
    void on_spinBox_plc_write_address_valueChanged(int value);
    void on_comboBox_plc_write_type_currentIndexChanged(int index);
    void on_comboBox_plc_address_type_currentIndexChanged(int index);
    void on_comboBox_plc_output_value_currentIndexChanged(int index);
    void on_pushButton_connection_clicked();
    void on_pushButton_close_clicked();

private:
    bool rtuShown() const;
    // Rows, enabled states and the storage-area list of a protocol; writes nothing.
    void showProtocolRows(int protocol);
    // Hardware without Modbus RTU refuses it with a box; true when refused.
    bool refuseModbusRtu(int protocol);
    void setDataType(int type);
    bool write(int reg, int value);
    bool read(int reg, uint32_t* value);
    void communicationFailed();

    Ui::OutputSettingWidget* ui;
    bool active_ = false;
    int protocol_ = 0;
    std::optional<uint32_t> plcAddress_;
    std::unique_ptr<MeasuredValueMonitor> monitor_;
};
