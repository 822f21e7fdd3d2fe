#include "settings_windows/real_time_setting_form.h"

#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "settings_windows/cloud_filter_setting_widget.h"
#include "settings_windows/dead_zone_setting_widget.h"
#include "settings_windows/form_helpers.h"
#include "settings_windows/io_listen_form.h"
#include "settings_windows/outline_setting_advanced.h"
#include "settings_windows/outline_setting_widget.h"
#include "settings_windows/output_setting_widget.h"
#include "settings_windows/tigger_setting_widget.h"
#include "views/camera/full_view_ignore_setting_widget.h"
#include "views/camera/full_view_setting_widget.h"
#include "views/camera/full_view_widget.h"
#include "views/camera/hdr_halo_pages.h"
#include "views/camera/image_setting_widget.h"
#include "views/camera/light_setting_pages.h"
#include "views/camera/peak_roi_pages.h"
#include "views/height/height_view.h"
#include "views/height/light_gray_form.h"
#include "views/profile/outline_chart_widget.h"
#include "views/profile/tools/incline_chart_form.h"
#include "views/profile/tools/incline_set_form.h"
#include "views/profile/tools/outline25d_advanced_widget.h"
#include "views/profile/tools/outline25d_setting_widget.h"
#include "views/profile/tools/outline25d_setup_widget.h"

using forms::make;

namespace Ui {
namespace {

// The page object, made without a parent (the stack takes it), under its name.
template <typename Page>
Page* page(QStackedWidget* stack, const char* name) {
    auto* widget = new Page();
    widget->setObjectName(QString::fromLatin1(name));
    stack->addWidget(widget);
    return widget;
}

QPushButton* menuButton(QWidget* parent, const char* name, int width, int height) {
    QPushButton* button = make<QPushButton>(parent, name);
    button->setFixedSize(width, height);
    return button;
}

QWidget* separator(QWidget* parent, const char* name) {
    QWidget* line = make<QWidget>(parent, name);
    line->setFixedSize(1, 50);
    line->setAttribute(Qt::WA_StyledBackground);
    return line;
}

QLabel* statusLabel(QWidget* parent, const char* name) {
    QLabel* label = make<QLabel>(parent, name);
    label->setFont(forms::pageFont(9));
    return label;
}

}  // namespace

void RealTimeSettingDlg::setupUi(QDialog* dialog) {
    dialog->setObjectName(QStringLiteral("RealTimeSettingDlg"));
    dialog->setFixedSize(1020, 720);
    dialog->setFont(forms::pageFont());
    dialog->setStyleSheet(
        QStringLiteral("QDialog#RealTimeSettingDlg #widget_hr2{\n"
                       "    background-color: rgba(240, 1);\n"
                       "    border: 1px solid #FFC4C4C4;\n"
                       "}"));
    auto* layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    setupMenu(dialog);
    layout->addWidget(horizontalWidget_menu);

    auto* content = new QHBoxLayout();
    content->setContentsMargins(4, 4, 4, 4);
    content->setSpacing(4);
    setupLeftViews(dialog);
    setupRightPane(dialog);
    content->addWidget(widget_content_left, 1);
    content->addWidget(widget_content_right);
    layout->addLayout(content, 1);

    setupStatusLine(dialog);
    layout->addWidget(horizontalWidget_bottom);

    retranslateUi(dialog);
    stackedWidget_left->setCurrentIndex(3);
    stackedWidget_right->setCurrentIndex(14);
}

void RealTimeSettingDlg::setupMenu(QDialog* dialog) {
    horizontalWidget_menu = make<QWidget>(dialog, "horizontalWidget_menu");
    horizontalWidget_menu->setFixedHeight(60);
    auto* row = new QHBoxLayout(horizontalWidget_menu);
    row->setContentsMargins(6, 2, 6, 2);
    row->setSpacing(4);
    pushButton_cameratTiggerSet = menuButton(horizontalWidget_menu, "pushButton_cameratTiggerSet", 64, 56);
    pushButton_cameratSet = menuButton(horizontalWidget_menu, "pushButton_cameratSet", 64, 56);
    pushButton_outline_set = menuButton(horizontalWidget_menu, "pushButton_outline_set", 64, 56);
    widget_hr1 = separator(horizontalWidget_menu, "widget_hr1");
    pushButton_Measurement_Common_Settings =
        menuButton(horizontalWidget_menu, "pushButton_Measurement_Common_Settings", 88, 56);
    widget_hr2 = separator(horizontalWidget_menu, "widget_hr2");
    pushButton_25d = menuButton(horizontalWidget_menu, "pushButton_25d", 64, 56);
    pushButton_io_set = menuButton(horizontalWidget_menu, "pushButton_io_set", 64, 56);
    pushButton_Change_Procedure = menuButton(horizontalWidget_menu, "pushButton_Change_Procedure", 120, 30);
    pushButton_save_setting = menuButton(horizontalWidget_menu, "pushButton_save_setting", 70, 30);
    pushButton_supper_settings = menuButton(horizontalWidget_menu, "pushButton_supper_settings", 70, 30);
    widget_2 = make<QWidget>(horizontalWidget_menu, "widget_2");
    widget_2->setFixedWidth(10);
    for (QWidget* item : {static_cast<QWidget*>(pushButton_cameratTiggerSet),
                          static_cast<QWidget*>(pushButton_cameratSet), static_cast<QWidget*>(pushButton_outline_set),
                          widget_hr1, static_cast<QWidget*>(pushButton_Measurement_Common_Settings), widget_hr2,
                          static_cast<QWidget*>(pushButton_25d)})
        row->addWidget(item);
    row->addStretch(1);
    for (QWidget* item :
         {pushButton_io_set, pushButton_Change_Procedure, pushButton_save_setting, pushButton_supper_settings})
        row->addWidget(item);
    row->addWidget(widget_2);
}

void RealTimeSettingDlg::setupLeftViews(QDialog* dialog) {
    widget_content_left = make<QFrame>(dialog, "widget_content_left");
    auto* box = new QVBoxLayout(widget_content_left);
    box->setContentsMargins(0, 0, 0, 0);
    stackedWidget_left = make<QStackedWidget>(widget_content_left, "stackedWidget_left");
    box->addWidget(stackedWidget_left);
    page_trigger_view = page<::OutlineChartWidget>(stackedWidget_left, "page_trigger_view");
    page_fullimg_view = page<::FullViewWidget>(stackedWidget_left, "page_fullimg_view");
    page_outline_view = page<::OutlineChartWidget>(stackedWidget_left, "page_outline_view");
    page_batch_view = page<::HeightView>(stackedWidget_left, "page_batch_view");
    page_lightGray = page<::LightGrayForm>(stackedWidget_left, "page_lightGray");
    page_io_listen = page<::IOListenForm>(stackedWidget_left, "page_io_listen");
    page_left_inclinechart = page<::InclineChartForm>(stackedWidget_left, "page_left_inclinechart");
}

void RealTimeSettingDlg::setupRightPane(QDialog* dialog) {
    widget_content_right = make<QWidget>(dialog, "widget_content_right");
    widget_content_right->setFixedWidth(350);
    auto* pane = new QVBoxLayout(widget_content_right);
    pane->setContentsMargins(0, 0, 0, 0);
    pane->setSpacing(2);

    // The title bar of the pane: white title on a dark ground.
    widget_right_title = make<QWidget>(widget_content_right, "widget_right_title");
    widget_right_title->setAttribute(Qt::WA_StyledBackground);
    widget_right_title->setStyleSheet(QStringLiteral("QWidget#widget_right_title { background-color: #2F4F6F; }"));
    widget_right_title->setFixedHeight(32);
    auto* titleRow = new QHBoxLayout(widget_right_title);
    titleRow->setContentsMargins(8, 2, 6, 2);
    label_right_title = make<QLabel>(widget_right_title, "label_right_title");
    label_right_title->setStyleSheet(
        QStringLiteral("font: 900 12pt \"黑体\", \"Noto Sans CJK SC\"; color: rgb(255, 255, 255);"));
    pushButton_right_help = make<QPushButton>(widget_right_title, "pushButton_right_help");
    pushButton_right_help->setFixedSize(20, 20);
    pushButton_right_help->setFlat(true);
    pushButton_right_help->setStyleSheet(QStringLiteral(
        "QPushButton#pushButton_right_help { border: 1px solid rgb(255, 255, 255); border-radius: 9px; }"));
    titleRow->addWidget(label_right_title, 1);
    titleRow->addWidget(pushButton_right_help);
    pane->addWidget(widget_right_title);

    stackedWidget_right = make<QStackedWidget>(widget_content_right, "stackedWidget_right");
    page_camera_trigger_0 = page<::TiggerSettingWidget>(stackedWidget_right, "page_camera_trigger_0");
    page_fullview_setting_1 = page<::FullViewSettingWidget>(stackedWidget_right, "page_fullview_setting_1");
    page_outline_setting_2 = page<::OutLineSettingWidget>(stackedWidget_right, "page_outline_setting_2");
    page_camera_ignore_setting_3 =
        page<::FullViewIgnoreSettingWidget>(stackedWidget_right, "page_camera_ignore_setting_3");
    page_light_setting_4 = page<::FullViewLightSettingWidget>(stackedWidget_right, "page_light_setting_4");
    page_outline_setting_advanced_5 =
        page<::OutLineSettingAdvanced>(stackedWidget_right, "page_outline_setting_advanced_5");
    page_light_setting_cursor_6 =
        page<::FullViewLightABLineSettingWidget>(stackedWidget_right, "page_light_setting_cursor_6");
    page_incline = page<::InclineSetForm>(stackedWidget_right, "page_incline");
    page_roi_setting = page<::RoiSettingWidget>(stackedWidget_right, "page_roi_setting");
    page_halo_filter = page<::HaloFilterWidget>(stackedWidget_right, "page_halo_filter");
    page_dead_zone_setting = page<::DeadZoneSettingWidget>(stackedWidget_right, "page_dead_zone_setting");
    page_image_setting = page<::ImageSettingWidget>(stackedWidget_right, "page_image_setting");
    page_hdr_setting = page<::HDRSettingWidget>(stackedWidget_right, "page_hdr_setting");
    page_outline25d_setting = page<::Outline25dSettingWidget>(stackedWidget_right, "page_outline25d_setting");
    page_output_setting = page<::OutputSettingWidget>(stackedWidget_right, "page_output_setting");
    page_peak_setting = page<::PeakSettingWidget>(stackedWidget_right, "page_peak_setting");
    page_cloud_filter = page<::CloudFilterSettingWidget>(stackedWidget_right, "page_cloud_filter");
    page_outline25d_setup = page<::Outline25dSetupWidget>(stackedWidget_right, "page_outline25d_setup");
    page_outline25d_advanced = page<::Outline25dAdvancedWidget>(stackedWidget_right, "page_outline25d_advanced");
    pane->addWidget(stackedWidget_right, 1);

    widget_right_buttons = make<QWidget>(widget_content_right, "widget_right_buttons");
    auto* buttons = new QHBoxLayout(widget_right_buttons);
    buttons->setContentsMargins(4, 4, 4, 4);
    pushButton_content_right_2 = make<QPushButton>(widget_right_buttons, "pushButton_content_right_2");
    pushButton_close_nosave = make<QPushButton>(widget_right_buttons, "pushButton_close_nosave");
    pushButton_save_all_setting = make<QPushButton>(widget_right_buttons, "pushButton_save_all_setting");
    for (QPushButton* button : {pushButton_content_right_2, pushButton_close_nosave, pushButton_save_all_setting}) {
        button->setMinimumHeight(30);
        buttons->addWidget(button);
    }
    pane->addWidget(widget_right_buttons);
}

void RealTimeSettingDlg::setupStatusLine(QDialog* dialog) {
    horizontalWidget_bottom = make<QWidget>(dialog, "horizontalWidget_bottom");
    horizontalWidget_bottom->setMaximumHeight(50);
    auto* row = new QHBoxLayout(horizontalWidget_bottom);
    row->setContentsMargins(8, 4, 8, 4);
    label_trigger_batch = statusLabel(horizontalWidget_bottom, "label_trigger_batch");
    label_trigger_batch->setFixedWidth(110);
    label_trigger_method = statusLabel(horizontalWidget_bottom, "label_trigger_method");
    label_trigger_method->setMinimumWidth(130);
    label_sampling_period = statusLabel(horizontalWidget_bottom, "label_sampling_period");
    label_sampling_period->setMinimumWidth(100);
    label_dealtime = statusLabel(horizontalWidget_bottom, "label_dealtime");
    label_dealtime->setMinimumWidth(150);
    label_dealtime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(label_trigger_batch);
    row->addWidget(label_trigger_method);
    row->addWidget(label_sampling_period);
    row->addStretch(1);
    row->addWidget(label_dealtime);
}

void RealTimeSettingDlg::retranslateUi(QDialog* dialog) {
    dialog->setWindowTitle(tr("实时设定编辑"));
    pushButton_cameratTiggerSet->setText(tr("触发设定"));
    pushButton_cameratSet->setText(tr("拍摄设定"));
    pushButton_outline_set->setText(tr("轮廓设定"));
    pushButton_Measurement_Common_Settings->setText(tr("测量公共设定"));
    pushButton_25d->setText(QStringLiteral("2.5D"));
    pushButton_io_set->setText(tr("端子"));
    pushButton_Change_Procedure->setText(QStringLiteral("No.0 : SettingNo.0"));
    pushButton_save_setting->setText(tr("保存文件"));
    pushButton_supper_settings->setText(tr("高级"));
    label_right_title->setText(tr("高级设定"));
    pushButton_content_right_2->setText(tr("开始批处理"));
    pushButton_close_nosave->setText(tr("取消"));
    pushButton_save_all_setting->setText(tr("保存到传感器"));
    label_trigger_batch->setText(tr("批处理设定:OFF"));
    label_trigger_method->setText(tr("触发模式:连续触发"));
    label_sampling_period->setText(tr("采样周期:1KH"));
    label_dealtime->setText(QStringLiteral("--"));
}

}  // namespace Ui
