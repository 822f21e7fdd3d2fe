#pragma once
// The cloud filter page: the sensor interface's weld-bead filter (switched
// with feature bit 8) and its parameters in registers 777, 778, 779 and 785.
// Only heads of a new series with a version word of 844 or more have it.
#include <QWidget>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QSpinBox;

class CloudFilterSettingWidget : public QWidget {
    Q_OBJECT
public:
    explicit CloudFilterSettingWidget(QWidget* parent = nullptr);

    // Shows the filter's state and registers; writes nothing.
    void loadSettings();

signals:
    void signal_clicked(int page);

private slots:
    void on_groupBox_weld_filter_toggled(bool on);
    void on_spinBox_max_valid_width_valueChanged(int width);
    void on_doubleSpinBox_height_threshold_valueChanged(double mm);
    void on_comboBox_process_object_currentIndexChanged(int index);
    void on_checkBox_gray_filter_en_toggled(bool on);
    void on_pushButton_close_clicked();
    // The cover filter cannot be used: its controls stay disabled.
    void on_groupBox_cover_filter_toggled(bool on);
    void on_checkBox_cover_gray_filter_en_toggled(bool on);
    void on_comboBox_cover_process_object_currentIndexChanged(int index);
    void on_doubleSpinBox_top_height_thr_valueChanged(double value);
    void on_doubleSpinBox_top_start_valueChanged(int value);
    void on_doubleSpinBox_top_end_valueChanged(int value);
    void on_doubleSpinBox_bottom_height_thr_valueChanged(double value);
    void on_doubleSpinBox_bottom_start_valueChanged(int value);
    void on_doubleSpinBox_bottom_end_valueChanged(int value);
    void on_doubleSpinBox_height_filter_thr_valueChanged(double value);

private:
    void writeRegister(int reg, int value);
    void communicationFailed();

    QGroupBox* weldFilter_;
    QSpinBox* maxValidWidth_;
    QDoubleSpinBox* heightThreshold_;
    QComboBox* processObject_;
    QCheckBox* grayFilter_;
};
