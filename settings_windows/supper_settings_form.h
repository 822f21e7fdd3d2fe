#pragma once
// Form of the advanced settings dialog.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QWidget>

namespace Ui {

class SupperSettingsDialog {
    Q_DECLARE_TR_FUNCTIONS(SupperSettingsDialog)
public:
    // Values without a group.
    QGroupBox* groupBox_7;
    QSpinBox* spinBox_563tif_x_offset;
    QDoubleSpinBox* doubleSpinBox_563tif_z_offset;
    QSpinBox* spinBox_563tif_light_offset_upper;
    QRadioButton* radioButton_settings_optimized_off;
    QRadioButton* radioButton_settings_optimized_on;
    QSpinBox* spinBox_peak_mean_thres;
    QSpinBox* spinBox_peak_delta_thres;
    QSpinBox* spinBox_profile_output_width;

    QGroupBox* groupBox_2;  // Y segments
    QCheckBox* checkBox_y_segment_en;
    QComboBox* comboBox_y_segment_id;
    QSpinBox* spinBox_y_segment_linenum;
    QSpinBox* spinBox_y_segment_gray_upper;
    QSpinBox* spinBox_y_segment_gray_lower;
    QComboBox* comboBox_y_segment_peak_mode;
    QSpinBox* spinBox_y_segment_exposure;

    QGroupBox* groupBox_3;  // dual head
    QCheckBox* checkBox_dual_cloud_align;
    QSpinBox* spinBox_dual_b_x_offset;
    QDoubleSpinBox* doubleSpinBox_dual_b_z_offset;
    QDoubleSpinBox* doubleSpinBox_dual_height_delta;
    QComboBox* comboBox_dual_single_valid_output;
    QComboBox* comboBox_dual_valid_output_in_delta;
    QComboBox* comboBox_dual_valid_output_beyond_delta;

    QGroupBox* groupBox_31;  // run log
    QComboBox* comboBox_log_level;
    QSpinBox* spinBox_log_size;

    QGroupBox* groupBox_11;  // height filter
    QRadioButton* radioButton_height_filter_on;
    QRadioButton* radioButton_height_filter_off;
    QComboBox* comboBox_height_filter_object;
    QSpinBox* spinBox_height_filter_thres1;
    QSpinBox* spinBox_height_filter_thres2;
    QSpinBox* spinBox_height_filter_r;
    QWidget* widget_height_filter_open;
    QRadioButton* radioButton_height_filter_open_on;
    QRadioButton* radioButton_height_filter_open_off;
    QSpinBox* spinBox_height_filter_r_open;
    QWidget* widget_height_filter_connected;
    QRadioButton* radioButton_height_filter_connected_on;
    QRadioButton* radioButton_height_filter_connected_off;
    QSpinBox* spinBox_height_filter_connected_area;

    QGroupBox* groupBox_4;  // reference values
    QSpinBox* spinBox_z_base;
    QSpinBox* spinBox_z_lower;
    QSpinBox* spinBox_z_upper;
    QSpinBox* spinBox_z_ratio;

    QGroupBox* groupBox_8;  // other
    QComboBox* comboBox_consumption;

    QGroupBox* groupBox_9;  // batch callback
    QSpinBox* spinBox_start_frame_timeout;
    QSpinBox* spinBox_continous_frame_timeout;
    QComboBox* comboBox_timeout_callback_amount;

    QGroupBox* groupBox_6;  // debug mode
    QCheckBox* checkBox_save_img;
    QSpinBox* spinBox_max_save_count;
    QCheckBox* checkBox_save_debug_data;

    QGroupBox* groupBox;  // register tool
    QSpinBox* spinBox_reg_reg;
    QDoubleSpinBox* spinBox_reg_val;
    QPushButton* pushButton_reg_get;
    QPushButton* pushButton_reg_set;
    QLabel* label_reg_msgs;

    QGroupBox* groupBox_5;  // flash export
    QComboBox* comboBox_flash_type;
    QSpinBox* spinBox_ctl_flash_address;
    QSpinBox* spinBox_ctl_flash_blocks;
    QPushButton* pushButton_export_ctl_flash;

    void setupUi(QWidget* dialog);
};

}  // namespace Ui
