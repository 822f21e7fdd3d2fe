#pragma once
// The profile processing page: X and time-axis filters, invalid-point repair
// along the time axis, dead-angle data, transfer format, X pitch, the tilt and
// height correction switches and the profile flips. Each control writes its
// setting when it changes. With settings optimisation on, the filter values
// and counts the sensor holds are the shown values plus per-installation
// offsets from settings.ini.
#include <QWidget>

#include <cstdint>

#include "settings_windows/core/profile_filter_offsets.h"

class QButtonGroup;
class QComboBox;

namespace Ui {
class OutLineSettingAdvanced;
}

class OutLineSettingAdvanced : public QWidget {
    Q_OBJECT
public:
    explicit OutLineSettingAdvanced(QWidget* parent = nullptr);
    ~OutLineSettingAdvanced() override;

    // Fills the page from the sensor; writes nothing.
    void loadSettings();

public slots:
    // Re-bases the sensor's filter values when optimisation is switched on
    // (en != 0: offsets added) or off (removed).
    void slot_update_optimized_settings(int en);

signals:
    void signal_clicked(int page);
    // 0: set up the tilt (k) correction, 1: the height (b) correction.
    void signal_btn_env(int env);
    void signal_OnNormalSettings();

private slots:
    void on_comboBox_outline_filter_xaverage_currentIndexChanged(int index);
    void on_comboBox_outline_filter_xmedian_currentIndexChanged(int index);
    void on_comboBox_outline_filter_yaverage_currentIndexChanged(int index);
    void on_comboBox_outline_filter_ymedian_currentIndexChanged(int index);
    void on_spinBox_outline_invalid_process_valueChanged(int value);
    void on_spinBox_outline_invalid_recover_valueChanged(int value);
    void on_radioButton_process_invalid_0_clicked(bool checked);
    void on_radioButton_process_invalid_1_clicked(bool checked);
    void on_radioButton_process_invalid_2_clicked(bool checked);
    void on_checkBox_reversal_2_clicked();
    void on_checkBox_reversal1_2_clicked();
    void on_checkBox_k_en_clicked();
    void on_checkBox_b_en_clicked();
    void on_pushButton_k_clicked();
    void on_pushButton_b_clicked();
    void on_comboBox_polyFormat_currentIndexChanged(int index);
    void on_doubleSpinBox_xptich_valueChanged(double value);
    void on_pushButton_deadzone_advance_clicked();
    void on_pushButton_cloud_filter_clicked();

private:
    // Accessor of a filter value (dir 0 reads, 1 writes).
    int filterAccess(profile_filters::Value value, int dir, uint16_t* v);
    QComboBox* filterCombo(profile_filters::Value value) const;
    // The value with the range check of the page: a value outside the range
    // shows the "参数错误" box and comes back clamped.
    uint16_t checked(profile_filters::Value value, uint16_t given);
    static bool optimised();
    static uint16_t offset(profile_filters::Value value);
    void writeFilter(profile_filters::Value value);
    void writeCounts();
    void writeDeadAngleMode(int mode);
    void communicationFailed();

    Ui::OutLineSettingAdvanced* ui;
    QButtonGroup* deadAngleGroup_;
};
