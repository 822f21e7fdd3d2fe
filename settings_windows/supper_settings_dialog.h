#pragma once
// The advanced settings dialog: the sensor interface's extended values, the
// Y segments of the exposure, the height filter and dual-head merge sets, the
// batch-callback time-outs, the run-log values, the reference and multi-peak
// registers, the debug switches, the raw register tool and the controller
// flash export. Every control writes through when the operator changes it;
// loading shows what the sensor and the files hold and writes nothing but
// the segment counts that reach the batch end.
#include <QDialog>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

#include "settings_windows/core/segment_rules.h"

class ControllerFlashExport;
class QButtonGroup;
class QProgressDialog;
struct HVQ5_2_EXTEND;

namespace Ui {
class SupperSettingsDialog;
}

class SupperSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit SupperSettingsDialog(QWidget* parent = nullptr);
    // Cancels a running flash export and waits for its thread.
    ~SupperSettingsDialog() override;

    void loadSettings();

    // Register values of the peak-mode items, in item order.
    static constexpr auto PeakModeCodes = ysegment::kPeakModeCodes;

    int batchSize() const { return batchSize_; }
    const ysegment::Ends& segmentEnds() const { return segmentEnds_; }
    bool exportActive() const { return exportActive_.load(std::memory_order_acquire); }
    QProgressDialog* progressDialog() const { return progress_; }

signals:
    void signal_update_optimized_settings(int en);
    void signal_prompt_settings(int progress, QString title = QString(), QString prompt = QString());

public slots:
    void slot_on_settings_prompt(int progress, QString prompt, QString title);

private slots:
    void on_spinBox_563tif_x_offset_valueChanged(int value);
    void on_doubleSpinBox_563tif_z_offset_valueChanged(double value);
    void on_spinBox_563tif_light_offset_upper_valueChanged(int value);
    void on_radioButton_settings_optimized_on_clicked();
    void on_radioButton_settings_optimized_off_clicked();
    void on_spinBox_profile_output_width_valueChanged(int value);

    void on_checkBox_y_segment_en_stateChanged(int state);
    void on_comboBox_y_segment_id_currentIndexChanged(int index);
    void on_spinBox_y_segment_linenum_valueChanged(int value);
    void on_spinBox_y_segment_gray_upper_valueChanged(int value);
    void on_spinBox_y_segment_gray_lower_valueChanged(int value);
    void on_comboBox_y_segment_peak_mode_currentIndexChanged(int index);
    void on_spinBox_y_segment_exposure_valueChanged(int value);

    void on_checkBox_dual_cloud_align_stateChanged(int state);
    void on_spinBox_dual_b_x_offset_valueChanged(int value);
    void on_doubleSpinBox_dual_b_z_offset_valueChanged(double value);
    void on_doubleSpinBox_dual_height_delta_valueChanged(double value);
    void on_comboBox_dual_single_valid_output_currentIndexChanged(int index);
    void on_comboBox_dual_valid_output_in_delta_currentIndexChanged(int index);
    void on_comboBox_dual_valid_output_beyond_delta_currentIndexChanged(int index);

    void on_comboBox_log_level_currentIndexChanged(int index);
    void on_spinBox_log_size_valueChanged(int value);

    void on_radioButton_height_filter_on_clicked();
    void on_radioButton_height_filter_off_clicked();
    void on_comboBox_height_filter_object_currentIndexChanged(int index);
    void on_spinBox_height_filter_thres1_valueChanged(int value);
    void on_spinBox_height_filter_thres2_valueChanged(int value);
    void on_spinBox_height_filter_r_valueChanged(int value);
    void on_radioButton_height_filter_open_on_clicked();
    void on_radioButton_height_filter_open_off_clicked();
    void on_spinBox_height_filter_r_open_valueChanged(int value);
    void on_radioButton_height_filter_connected_on_clicked();
    void on_radioButton_height_filter_connected_off_clicked();
    void on_spinBox_height_filter_connected_area_valueChanged(int value);

    void on_comboBox_consumption_currentIndexChanged(int index);
    void on_spinBox_start_frame_timeout_valueChanged(int value);
    void on_spinBox_continous_frame_timeout_valueChanged(int value);
    void on_comboBox_timeout_callback_amount_currentIndexChanged(int index);

    void on_checkBox_save_img_clicked();
    void on_spinBox_max_save_count_valueChanged(int value);
    void on_checkBox_save_debug_data_toggled(bool checked);

    void on_pushButton_reg_get_clicked();
    void on_pushButton_reg_set_clicked();
    void on_pushButton_export_ctl_flash_clicked();

private:
    // The members of the height filter set, in the setter's order.
    struct HeightFilter {
        int thres1, thres2, r;
        bool openOn;
        int rOpen;
        bool connectedOn;
        int connectedArea, object;
    };
    struct DualMerge {
        bool align;
        int bXOffset;
        double bZOffset;
        int singleValidOutput;
        double heightDelta;
        int inDeltaOutput, beyondDeltaOutput;
    };

    void buildProgressDialog();
    void loadSegments();
    void showSegmentValues(int segment);
    int currentSegment() const;
    // Writes the set with one member changed; "获取扩展配置失败!" without a block.
    template <typename Change>
    void writeHeightFilter(Change change);
    template <typename Change>
    void writeDualMerge(Change change);
    HVQ5_2_EXTEND* extendBlock();
    void extendMissing();
    void setHeightFilterControlsEnabled(bool on, const HVQ5_2_EXTEND* block);
    void switchOptimisation(bool on);
    void communicationFailed();

    Ui::SupperSettingsDialog* ui;
    int batchSize_ = 0;
    bool batchSizeKnown_ = false;
    ysegment::Ends segmentEnds_{};
    QButtonGroup* optimisedGroup_;
    QButtonGroup* filterGroup_;
    QButtonGroup* openGroup_;
    QButtonGroup* connectedGroup_;
    QProgressDialog* progress_ = nullptr;
    std::atomic<bool> exportActive_{false};
    std::unique_ptr<ControllerFlashExport> exporter_;
};
