#pragma once
// The trigger and encoder page of the real-time settings window: trigger
// source, encoder input, trigger distance, line rate, batch measurement and
// the synchronisation of several controllers. Every control writes its sensor
// setting the moment it changes; the page reads the sensor only in reload().
#include <QWidget>

class QButtonGroup;
class QStackedWidget;

namespace Ui {
class TiggerSettingWidget;
}

class TiggerSettingWidget : public QWidget {
    Q_OBJECT
public:
    explicit TiggerSettingWidget(QWidget* parent = nullptr);
    ~TiggerSettingWidget() override;

    // The window's start-batch button and left view stack (either may be null).
    void setStartBatchButton(QWidget* button);
    void setLeftStack(QStackedWidget* stack);

    // Fresh sync groups, the controls from the sensor, edits taken when they end.
    void reload();
    void resetBatchView();
    void initSyncGroups();
    void loadSettings();
    // Enables what batch mode allows and tells the window (signal_trigger_batch).
    void setBatchControlsEnabled(bool on);
    // Shows the sync mode and writes it to the sensor (1 to 5, else 0).
    void setSyncMode(int mode);
    void showTriggerMethod(int index);

signals:
    void signal_trigger_batch(bool val);
    void signal_slave_mode(bool val);

private slots:
    void on_comboBox_trigger_method_currentIndexChanged(int index);
    void on_comboBox_trigger_encoder_mode_currentIndexChanged(int index);
    void on_spinBox_trigger_encoder_interval_valueChanged(int value);
    void on_doubleSpinBox_trigger_yinterval_valueChanged(double mm);
    void on_checkBox_trigger_interval_stateChanged(int state);
    void on_checkBox_max_sampling_freq_stateChanged(int state);
    void on_checkBox_customized_sampling_freq_stateChanged(int state);
    void on_spinBox_sampling_freq_valueChanged(int hz);
    void on_checkBox_batch_en_stateChanged(int state);
    void on_checkBox_batch_mode_stateChanged(int state);
    void on_spinBox_trigger_batch_size_valueChanged(int profiles);
    void on_comboBox_batchModel_currentIndexChanged(int index);
    void on_comboBox_bacthView_currentIndexChanged(int index);
    void on_radioButton_async_off_clicked();
    void on_radioButton_async_on_clicked();
    void on_radioButton_async_server_clicked();
    void on_radioButton_async_client_clicked();
    void on_radioButton_async_client_alter_clicked();
    void on_radioButton_async_client_sync_clicked();
    void on_radioButton_async_server_sync_clicked();
    void on_radioButton_async_server_async_clicked();

private:
    // Shows a sync mode on the radio buttons without writing it.
    void showSyncMode(int mode);
    void communicationFailed();

    Ui::TiggerSettingWidget* ui;
    QWidget* startBatchButton_ = nullptr;
    QStackedWidget* leftStack_ = nullptr;
    QButtonGroup* rateGroup_;
    QButtonGroup* syncGroups_[3] = {nullptr, nullptr, nullptr};
};
