#pragma once
// Form of the real-time settings window: the menu bar, the left view stack,
// the right pane with its page stack, title and buttons, and the status line.
// Every page object is made here, once; the window wires them.
#include <QCoreApplication>

class QDialog;
class QFrame;
class QLabel;
class QPushButton;
class QStackedWidget;
class QWidget;

class CloudFilterSettingWidget;
class DeadZoneSettingWidget;
class FullViewIgnoreSettingWidget;
class FullViewLightABLineSettingWidget;
class FullViewLightSettingWidget;
class FullViewSettingWidget;
class FullViewWidget;
class HDRSettingWidget;
class HaloFilterWidget;
class HeightView;
class IOListenForm;
class ImageSettingWidget;
class InclineChartForm;
class InclineSetForm;
class LightGrayForm;
class OutLineSettingAdvanced;
class OutLineSettingWidget;
class Outline25dAdvancedWidget;
class Outline25dSettingWidget;
class Outline25dSetupWidget;
class OutlineChartWidget;
class OutputSettingWidget;
class PeakSettingWidget;
class RoiSettingWidget;
class TiggerSettingWidget;

namespace Ui {

class RealTimeSettingDlg {
    Q_DECLARE_TR_FUNCTIONS(RealTimeSettingDlg)
public:
    // The menu bar.
    QWidget* horizontalWidget_menu;
    QPushButton* pushButton_cameratTiggerSet;
    QPushButton* pushButton_cameratSet;
    QPushButton* pushButton_outline_set;
    QWidget* widget_hr1;
    QPushButton* pushButton_Measurement_Common_Settings;
    QWidget* widget_hr2;
    QPushButton* pushButton_25d;
    QPushButton* pushButton_io_set;
    QPushButton* pushButton_Change_Procedure;
    QPushButton* pushButton_save_setting;
    QPushButton* pushButton_supper_settings;
    QWidget* widget_2;

    // The left view stack (index: view).
    QFrame* widget_content_left;
    QStackedWidget* stackedWidget_left;
    ::OutlineChartWidget* page_trigger_view;     // 0
    ::FullViewWidget* page_fullimg_view;         // 1
    ::OutlineChartWidget* page_outline_view;     // 2
    ::HeightView* page_batch_view;               // 3
    ::LightGrayForm* page_lightGray;             // 4
    ::IOListenForm* page_io_listen;              // 5
    ::InclineChartForm* page_left_inclinechart;  // 6

    // The right pane (index: page id).
    QWidget* widget_content_right;
    QWidget* widget_right_title;
    QLabel* label_right_title;
    QPushButton* pushButton_right_help;
    QStackedWidget* stackedWidget_right;
    ::TiggerSettingWidget* page_camera_trigger_0;                     // 0
    ::FullViewSettingWidget* page_fullview_setting_1;                 // 1
    ::OutLineSettingWidget* page_outline_setting_2;                   // 2
    ::FullViewIgnoreSettingWidget* page_camera_ignore_setting_3;      // 3
    ::FullViewLightSettingWidget* page_light_setting_4;               // 4
    ::OutLineSettingAdvanced* page_outline_setting_advanced_5;        // 5
    ::FullViewLightABLineSettingWidget* page_light_setting_cursor_6;  // 6
    ::InclineSetForm* page_incline;                                   // 7
    ::RoiSettingWidget* page_roi_setting;                             // 8
    ::HaloFilterWidget* page_halo_filter;                             // 9
    ::DeadZoneSettingWidget* page_dead_zone_setting;                  // 10
    ::ImageSettingWidget* page_image_setting;                         // 11
    ::HDRSettingWidget* page_hdr_setting;                             // 12
    ::Outline25dSettingWidget* page_outline25d_setting;               // 13
    ::OutputSettingWidget* page_output_setting;                       // 14
    ::PeakSettingWidget* page_peak_setting;                           // 15
    ::CloudFilterSettingWidget* page_cloud_filter;                    // 16
    ::Outline25dSetupWidget* page_outline25d_setup;                   // 17
    ::Outline25dAdvancedWidget* page_outline25d_advanced;             // 18
    QWidget* widget_right_buttons;
    QPushButton* pushButton_content_right_2;
    QPushButton* pushButton_close_nosave;
    QPushButton* pushButton_save_all_setting;

    // The status line.
    QWidget* horizontalWidget_bottom;
    QLabel* label_trigger_batch;
    QLabel* label_trigger_method;
    QLabel* label_sampling_period;
    QLabel* label_dealtime;

    void setupUi(QDialog* dialog);
    void retranslateUi(QDialog* dialog);

private:
    void setupMenu(QDialog* dialog);
    void setupLeftViews(QDialog* dialog);
    void setupRightPane(QDialog* dialog);
    void setupStatusLine(QDialog* dialog);
};

}  // namespace Ui
