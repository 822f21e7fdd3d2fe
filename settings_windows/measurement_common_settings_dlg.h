#pragma once
// The encoder and terminal settings dialog: minimum input times of the
// encoder and the control terminals, the batch start delay and the trigger
// edges of the batch start and stop signals (written together by "确定"), and
// the batch switch level mode, the encoder time-out and the encoder direction
// (written at once).
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

class MeasurementCommonSettingsDlg : public QDialog {
    Q_OBJECT
public:
    explicit MeasurementCommonSettingsDlg(QWidget* parent = nullptr);

    void loadSettings();
    void loadSignalSettings();
    // Writes the five values of "确定"; stops at the first failure.
    void applySettings();

private slots:
    void on_spinBox_encoder_timeout_valueChanged(int value);
    void on_checkBox_batch_signal_integrated_stateChanged(int state);
    void on_comboBox_encoder_direction_currentIndexChanged(int index);

private:
    void tip(const QString& text);

    QLabel* model_;
    QComboBox* encoderTime_;
    QComboBox* terminalTime_;
    QSpinBox* batchStartDelay_;
    QComboBox* batchStartEdge_;
    QComboBox* batchStopEdge_;
    QLabel* encoderTimeoutLabel_;
    QSpinBox* encoderTimeout_;
    QCheckBox* batchSignalIntegrated_;
    QLabel* encoderDirectionLabel_;
    QComboBox* encoderDirection_;
};
