#pragma once
// The 2.5D step-height main page: the sensor's two measuring areas (camera
// columns), filters, compare and output values and correction coefficients;
// the work-mode switch; the latest measured value; and the area columns for
// the camera page's cursors.
#include <QWidget>

class tandrel_zp_clients;

namespace Ui {
class Outline25dSettingWidget;
}

class Outline25dSettingWidget : public QWidget {
    Q_OBJECT

public:
    explicit Outline25dSettingWidget(QWidget* parent = nullptr);
    ~Outline25dSettingWidget() override;

    // Shows the sensor's values; the first failed read ends it with one box.
    void loadFromDevice();
    void setCursorEnabled(bool on) { cursorEnabled = on; }
    bool isCursorEnabled() const { return cursorEnabled; }
    // Emits the cursor columns of the areas and the boundary.
    void updateCursor();
    // Re-reads whether and how the sensor searches the boundary and relabels
    // the area starts. Connected by pointer (the advanced page's
    // signal_boundary_method_changed); a slot of this name would make the
    // form's by-name connection look for an object "boundary".
    void on_boundary_method_changed();

    // 0 without the automatic boundary search, else the search method + 1.
    int boundaryMode = 0;

signals:
    void signal_set_cursor_x(int x1_start, int x1_end, int x2_start, int x2_end, int boundary = -1);
    void signal_clicked(int btnid);
    void signal_work_mode(bool en);
    void signal_values_save_changed();

public slots:
    void update_data(QString name, QString value, int boundary, int offset1, int offset2, int len1, int len2);
    void allui_blockSignals(bool val);
    void EnableSettings(bool en);

private slots:
    void on_checkBox_25d_en_stateChanged(int state);
    void on_spinBox_area1_start_valueChanged(int value);
    void on_spinBox_area1_len_valueChanged(int value);
    void on_spinBox_area2_start_valueChanged(int value);
    void on_spinBox_area2_len_valueChanged(int value);
    void on_spinBox_delta_median_valueChanged(int value);
    void on_spinBox_delta_average_valueChanged(int value);
    void on_doubleSpinBox_delta_cmp_valueChanged(double value);
    void on_doubleSpinBox_delta_invalid_output_valueChanged(double value);
    void on_doubleSpinBox_correction_k_valueChanged(double value);
    void on_doubleSpinBox_correction_b_valueChanged(double value);
    void on_comboBox_correction_ref_area_currentIndexChanged(int index);
    void on_pushButton_output_setting_clicked();
    void on_pushButton_setup_clicked();
    void on_pushButton_advanced_clicked();

private:
    // The work mode's sequence; false when restoring the data channel, the
    // batch setting, the I/O mode or the live profile failed.
    bool switchAcquisition(tandrel_zp_clients& device, bool on);
    void writeArea(int reg, int start, int length);
    void writeRegister(int reg, uint32_t value);

    Ui::Outline25dSettingWidget* ui;
    bool cursorEnabled = true;
    int lastBoundary_ = -1;
    int offset1_ = 0;
    int offset2_ = 0;
    int length1_ = 0;
    int length2_ = 0;
};
