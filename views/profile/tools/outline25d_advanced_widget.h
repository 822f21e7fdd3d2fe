#pragma once
// The 2.5D step-height advanced page: saving and checking the measured
// values (settings file), how the height difference is formed, the sampling
// period, rows per output, and the automatic boundary search (sensor).
#include <QWidget>

namespace Ui {
class Outline25dAdvancedWidget;
}

class Outline25dAdvancedWidget : public QWidget {
    Q_OBJECT

public:
    explicit Outline25dAdvancedWidget(QWidget* parent = nullptr);
    ~Outline25dAdvancedWidget() override;

    // Settings from "settings.ini", then the sensor's values; the first
    // failed read ends it with one box.
    void loadFromDevice();

    bool saveValues() const { return save_; }
    bool warnBeyondLimits() const { return warn_; }
    double upperLimit() const { return upper_; }
    double lowerLimit() const { return lower_; }

signals:
    void signal_clicked(int btnid);
    void signal_values_save_changed();
    void signal_boundary_method_changed();

public slots:
    // Checks the first field of a measured value against the limits.
    void update_data(QString name, QString value, int boundary, int offset1, int offset2, int len1, int len2);

private slots:
    void on_checkBox_25d_save_output_values_toggled(bool checked);
    void on_checkBox_25d_beyond_tip_toggled(bool checked);
    void on_doubleSpinBox_mvalue_upper_valueChanged(double value);
    void on_doubleSpinBox_mvalue_lower_valueChanged(double value);
    void on_pushButton_close_clicked();
    void on_comboBox_delta_cal_way_currentIndexChanged(int index);
    void on_spinBox_trigger_period_valueChanged(int value);
    void on_spinBox_batch_times_valueChanged(int value);
    void on_spinBox_delta_sep_valueChanged(int value);
    void on_doubleSpinBox_sep_stop_thr_valueChanged(double value);
    void on_comboBox_auto_boundary_base_currentIndexChanged(int index);
    void on_comboBox_auto_boundary_currentIndexChanged(int index);

private:
    void writeRegister(int reg, uint32_t value);
    // The boundary controls for a search choice (0 off, 1 and 2 the methods).
    void enableBoundaryControls(int choice);

    Ui::Outline25dAdvancedWidget* ui;
    bool save_ = false;
    bool warn_ = false;
    double upper_ = 999999999.0;
    double lower_ = 0.0;
};
