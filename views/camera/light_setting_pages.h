#pragma once
// The light control pages: the laser power control mode with the power and
// exposure limits and the laser voltage (loading the page puts the sensor
// into LOCK mode; the editing controls stay disabled), and the cursor-range
// form that only sends the window back.
#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace Ui {
struct FullViewLightSettingWidget {
    QLabel* label_50;
    QGroupBox* groupBox_21;
    QLabel* label_39;
    QComboBox* comboBox_laser_power_control;
    QLabel* label_laser_power_max;
    QSpinBox* spinBox_laser_power_max;
    QLabel* label_laser_power_min;
    QSpinBox* spinBox_laser_power_min;
    QLabel* label;
    QLabel* label_2;
    QLabel* label_extime_range;
    QLabel* label_laser_extime_max;
    QSpinBox* spinBox_laser_extime_max;
    QLabel* label_laser_extime_min;
    QSpinBox* spinBox_laser_extime_min;
    QLabel* label_40;
    QLabel* label_voltage;
    QGroupBox* groupBox;
    QLabel* label_43;
    QLabel* label_44;
    QSpinBox* spinBox_laser_power_feedback_left;
    QSpinBox* spinBox_laser_power_feedback_right;
    QLabel* label_46;
    QLabel* label_45;
    QPushButton* pushButton_light_setting_cursor;
    QLineEdit* lineEdit_tmp;
    QPushButton* pushButton_light_setting_close;
    void setupUi(QWidget* form);
};

struct FullViewLightABLineSettingWidget {
    QLabel* label_51;
    QLabel* label_52;
    QGroupBox* groupBox_24;
    QLabel* label_53;
    QSpinBox* spinBox_6;
    QLabel* label_54;
    QLabel* label_55;
    QSpinBox* spinBox_7;
    QLabel* label_56;
    QPushButton* pushButton_light_setting_cursor_save;
    QPushButton* pushButton_light_setting_cursor_close;
    void setupUi(QWidget* form);
};
}  // namespace Ui

// Laser power control modes, as the sensor and the combo box number them.
enum LaserPowerMode { kPowerAuto = 0, kPowerManual = 1, kPowerLock = 2 };

// The exposure time of an exposure-index entry in microseconds; an index
// outside the list stands for itself.
int exposureTimeOfIndex(uint32_t index);
// The laser voltage text for register 158 (5 V at 65536).
QString laserVoltageText(uint32_t register158);

class FullViewLightSettingWidget : public QWidget {
    Q_OBJECT
public:
    explicit FullViewLightSettingWidget(QWidget* parent = nullptr);
    ~FullViewLightSettingWidget() override;

    // Reads the sensor into the page and puts the sensor into LOCK mode.
    void loadFromDevice();
    void blockControlSignals(bool block);
    // Shows the controls of a mode; from a load, the combo box shows it too.
    void applyPowerControlMode(int mode, bool fromLoad);

    Ui::FullViewLightSettingWidget* ui;

signals:
    void signal_clicked(int btnid);

public slots:
    void on_comboBox_laser_power_control_currentIndexChanged(int index);
    void on_spinBox_laser_power_max_valueChanged(int index);
    void on_spinBox_laser_power_min_valueChanged(int index);
    void on_spinBox_laser_power_feedback_left_valueChanged(int index);
    void on_spinBox_laser_power_feedback_right_valueChanged(int index);
    void on_spinBox_laser_extime_max_valueChanged(int index);
    void on_spinBox_laser_extime_min_valueChanged(int index);

private:
    // The load's reads in order; the status of the last step.
    int loadSteps();
    void communicationFailed();
};

class FullViewLightABLineSettingWidget : public QWidget {
    Q_OBJECT
public:
    explicit FullViewLightABLineSettingWidget(QWidget* parent = nullptr);
    ~FullViewLightABLineSettingWidget() override;

    Ui::FullViewLightABLineSettingWidget* ui;

signals:
    void signal_clicked(int btnid);
};
