#include "settings_windows/supper_settings_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "settings_windows/form_helpers.h"

namespace Ui {

using forms::make;

namespace {

constexpr int kWide = 999999999;

// Rows of label, field and an optional unit in a group's grid.
class Rows {
public:
    explicit Rows(QGroupBox* group) : group_(group), grid_(forms::grid(group)) { grid_->setColumnStretch(1, 1); }
    void add(const char* labelName, const QString& text, QWidget* field, const QString& unit = QString()) {
        QLabel* label = make<QLabel>(group_, labelName);
        label->setText(text);
        grid_->addWidget(label, row_, 0);
        grid_->addWidget(field, row_, 1);
        if (!unit.isEmpty()) {
            QLabel* unitLabel = new QLabel(unit, group_);
            grid_->addWidget(unitLabel, row_, 2);
        }
        ++row_;
    }
    void addWide(QWidget* field) { grid_->addWidget(field, row_++, 0, 1, 3); }

private:
    QGroupBox* group_;
    QGridLayout* grid_;
    int row_ = 0;
};

QGroupBox* group(QWidget* parent, const char* name, const QString& title) {
    QGroupBox* box = make<QGroupBox>(parent, name);
    box->setTitle(title);
    return box;
}

QComboBox* combo(QWidget* parent, const char* name, const QStringList& items) {
    QComboBox* box = make<QComboBox>(parent, name);
    box->addItems(items);
    return box;
}

QRadioButton* radio(QWidget* parent, const char* name, const QString& text) {
    QRadioButton* button = make<QRadioButton>(parent, name);
    button->setText(text);
    return button;
}

// Two radio buttons side by side in a container of their own, so that they
// exclude only each other.
QWidget* radioPair(QWidget* parent, const char* name, QRadioButton** first, const char* firstName,
                   const QString& firstText, QRadioButton** second, const char* secondName, const QString& secondText) {
    QWidget* pair = make<QWidget>(parent, name);
    auto* row = new QHBoxLayout(pair);
    row->setContentsMargins(0, 0, 0, 0);
    *first = radio(pair, firstName, firstText);
    *second = radio(pair, secondName, secondText);
    row->addWidget(*first);
    row->addWidget(*second);
    row->addStretch(1);
    return pair;
}

}  // namespace

void SupperSettingsDialog::setupUi(QWidget* dialog) {
    if (dialog->objectName().isEmpty()) dialog->setObjectName(QStringLiteral("SupperSettingsDialog"));
    dialog->resize(1228, 670);
    dialog->setFont(forms::pageFont());
    dialog->setWindowTitle(tr("高级设置"));
    auto* columns = new QHBoxLayout(dialog);
    QVBoxLayout* column[4];
    for (auto& c : column) {
        c = new QVBoxLayout();
        columns->addLayout(c, 1);
    }

    // Column 1: loose values, reference values, other.
    groupBox_7 = group(dialog, "groupBox_7", QString());
    Rows loose(groupBox_7);
    spinBox_563tif_x_offset = forms::spinBox(groupBox_7, "spinBox_563tif_x_offset", -4095, 4095, 0);
    loose.add("label_563tif_x_offset", tr("x偏移量"), spinBox_563tif_x_offset);
    doubleSpinBox_563tif_z_offset =
        forms::doubleSpinBox(groupBox_7, "doubleSpinBox_563tif_z_offset", -999900000, 999900000, 2, 0.01, 0);
    loose.add("label_563tif_z_offset", tr("z偏移量"), doubleSpinBox_563tif_z_offset, QStringLiteral("um"));
    spinBox_563tif_light_offset_upper =
        forms::spinBox(groupBox_7, "spinBox_563tif_light_offset_upper", -4095, 4095, 0);
    loose.add("label_563tif_light_offset_upper", tr("亮度补偿上限"), spinBox_563tif_light_offset_upper);
    QWidget* optimised = radioPair(groupBox_7, "widget_settings_optimized", &radioButton_settings_optimized_off,
                                   "radioButton_settings_optimized_off", QStringLiteral("OFF"),
                                   &radioButton_settings_optimized_on, "radioButton_settings_optimized_on",
                                   QStringLiteral("ON"));
    loose.add("label_settings_optimized", tr("开启设置优化"), optimised);
    spinBox_peak_mean_thres = forms::spinBox(groupBox_7, "spinBox_peak_mean_thres", -4095, 4095, 0);
    spinBox_peak_mean_thres->setEnabled(false);
    loose.add("label_peak_mean_thres", tr("多峰均值阈值(438)"), spinBox_peak_mean_thres);
    spinBox_peak_delta_thres = forms::spinBox(groupBox_7, "spinBox_peak_delta_thres", -4095, 4095, 0);
    spinBox_peak_delta_thres->setEnabled(false);
    loose.add("label_peak_delta_thres", tr("多峰极差阈值(439)"), spinBox_peak_delta_thres);
    spinBox_profile_output_width = forms::spinBox(groupBox_7, "spinBox_profile_output_width", 0, 4096, 0);
    loose.add("label_profile_output_width", tr("轮廓输出宽度(0-不限制)"), spinBox_profile_output_width);
    column[0]->addWidget(groupBox_7);

    groupBox_4 = group(dialog, "groupBox_4", tr("基准参数"));
    Rows reference(groupBox_4);
    auto referenceBox = [this](const char* name) {
        QSpinBox* box = forms::spinBox(groupBox_4, name, 0, 1000000000, 0);
        box->setEnabled(false);
        return box;
    };
    spinBox_z_base = referenceBox("spinBox_z_base");
    reference.add("label_z_base", tr("Z基准(um)"), spinBox_z_base);
    spinBox_z_lower = referenceBox("spinBox_z_lower");
    spinBox_z_lower->setReadOnly(true);
    reference.add("label_z_lower", tr("Z最小"), spinBox_z_lower);
    spinBox_z_upper = referenceBox("spinBox_z_upper");
    spinBox_z_upper->setReadOnly(true);
    reference.add("label_z_upper", tr("Z最大"), spinBox_z_upper);
    spinBox_z_ratio = referenceBox("spinBox_z_ratio");
    reference.add("label_z_ratio", tr("Z分辨率(um)"), spinBox_z_ratio);
    column[0]->addWidget(groupBox_4);

    groupBox_8 = group(dialog, "groupBox_8", tr("其他"));
    Rows other(groupBox_8);
    comboBox_consumption = combo(groupBox_8, "comboBox_consumption", {tr("快速响应模式"), tr("正常模式")});
    comboBox_consumption->setCurrentIndex(1);
    other.add("label_consumption", tr("运行模式"), comboBox_consumption);
    column[0]->addWidget(groupBox_8);
    column[0]->addStretch(1);

    // Column 2: Y segments, dual head.
    groupBox_2 = group(dialog, "groupBox_2", tr("Y轴分段"));
    Rows segments(groupBox_2);
    checkBox_y_segment_en = make<QCheckBox>(groupBox_2, "checkBox_y_segment_en");
    checkBox_y_segment_en->setText(tr("启用"));
    segments.addWide(checkBox_y_segment_en);
    comboBox_y_segment_id = combo(groupBox_2, "comboBox_y_segment_id", {"1", "2", "3", "4", "5"});
    segments.add("label_y_segment_id", tr("段选择"), comboBox_y_segment_id);
    spinBox_y_segment_linenum = forms::spinBox(groupBox_2, "spinBox_y_segment_linenum", 1, 65535, 1);
    segments.add("label_y_segment_linenum", tr("段截止行号"), spinBox_y_segment_linenum);
    spinBox_y_segment_gray_upper = forms::spinBox(groupBox_2, "spinBox_y_segment_gray_upper", 30, 254, 30);
    segments.add("label_y_segment_gray_upper", tr("高灰度阈值"), spinBox_y_segment_gray_upper);
    spinBox_y_segment_gray_lower = forms::spinBox(groupBox_2, "spinBox_y_segment_gray_lower", 15, 254, 15);
    segments.add("label_y_segment_gray_lower", tr("低灰度阈值"), spinBox_y_segment_gray_lower);
    comboBox_y_segment_peak_mode =
        combo(groupBox_2, "comboBox_y_segment_peak_mode",
              {tr("标准"), tr("近端"), tr("远端"), tr("连续"), tr("连续 - 最大"), tr("连续 - 近端"), tr("连续 - 远端"),
               tr("转为无效数据")});
    segments.add("label_y_segment_peak_mode", tr("多峰选择模式"), comboBox_y_segment_peak_mode);
    spinBox_y_segment_exposure = forms::spinBox(groupBox_2, "spinBox_y_segment_exposure", 2, 10000, 2);
    segments.add("label_y_segment_exposure", tr("曝光时间(us)"), spinBox_y_segment_exposure);
    column[1]->addWidget(groupBox_2);

    groupBox_3 = group(dialog, "groupBox_3", tr("双头"));
    Rows dual(groupBox_3);
    checkBox_dual_cloud_align = make<QCheckBox>(groupBox_3, "checkBox_dual_cloud_align");
    checkBox_dual_cloud_align->setText(tr("双头点云对齐"));
    dual.addWide(checkBox_dual_cloud_align);
    spinBox_dual_b_x_offset = forms::spinBox(groupBox_3, "spinBox_dual_b_x_offset", -10000, 10000, 0);
    dual.add("label_dual_b_x_offset", tr("B头X方向补偿"), spinBox_dual_b_x_offset, tr("点"));
    doubleSpinBox_dual_b_z_offset =
        forms::doubleSpinBox(groupBox_3, "doubleSpinBox_dual_b_z_offset", -kWide, kWide, 2, 1, 0);
    dual.add("label_dual_b_z_offset", tr("B头Z方向补偿"), doubleSpinBox_dual_b_z_offset, QStringLiteral("um"));
    doubleSpinBox_dual_height_delta =
        forms::doubleSpinBox(groupBox_3, "doubleSpinBox_dual_height_delta", 0, 99999, 2, 1, 0);
    dual.add("label_dual_height_delta", tr("双头高度差阈值"), doubleSpinBox_dual_height_delta, QStringLiteral("um"));
    comboBox_dual_single_valid_output =
        combo(groupBox_3, "comboBox_dual_single_valid_output", {tr("有效值"), tr("无效值")});
    dual.add("label_dual_single_valid_output", tr("单头数据有效时输出"), comboBox_dual_single_valid_output);
    comboBox_dual_valid_output_in_delta =
        combo(groupBox_3, "comboBox_dual_valid_output_in_delta", {tr("平均值"), tr("较大值"), tr("较小值")});
    dual.add("label_dual_valid_output_in_delta", tr("双头数据均有效时高度差内输出"),
             comboBox_dual_valid_output_in_delta);
    comboBox_dual_valid_output_beyond_delta = combo(groupBox_3, "comboBox_dual_valid_output_beyond_delta",
                                                    {tr("平均值"), tr("较大值"), tr("较小值"), tr("无效值")});
    dual.add("label_dual_valid_output_beyond_delta", tr("双头数据均有效时高度差外输出"),
             comboBox_dual_valid_output_beyond_delta);
    column[1]->addWidget(groupBox_3);
    column[1]->addStretch(1);

    // Column 3: height filter, batch callback, run log.
    groupBox_11 = group(dialog, "groupBox_11", tr("高度过滤"));
    Rows filter(groupBox_11);
    QWidget* filterOn = radioPair(groupBox_11, "widget_height_filter_on", &radioButton_height_filter_on,
                                  "radioButton_height_filter_on", QStringLiteral("ON"), &radioButton_height_filter_off,
                                  "radioButton_height_filter_off", QStringLiteral("OFF"));
    filter.add("label_height_filter_en", tr("启用"), filterOn);
    comboBox_height_filter_object = combo(groupBox_11, "comboBox_height_filter_object", {tr("胶钉"), tr("顶盖")});
    filter.add("label_height_filter_object", tr("对象"), comboBox_height_filter_object);
    spinBox_height_filter_thres1 = forms::spinBox(groupBox_11, "spinBox_height_filter_thres1", -kWide, kWide, 0);
    filter.add("label_height_filter_thres1", tr("高度差低阈值(0.01um)"), spinBox_height_filter_thres1);
    spinBox_height_filter_thres2 = forms::spinBox(groupBox_11, "spinBox_height_filter_thres2", -kWide, kWide, 0);
    filter.add("label_height_filter_thres2", tr("高度差高阈值(0.01um)"), spinBox_height_filter_thres2);
    spinBox_height_filter_r = forms::spinBox(groupBox_11, "spinBox_height_filter_r", 1, kWide, 1);
    spinBox_height_filter_r->setSingleStep(2);
    filter.add("label_height_filter_r", tr("滤波窗口尺寸(pixel)"), spinBox_height_filter_r);
    widget_height_filter_open = radioPair(groupBox_11, "widget_height_filter_open", &radioButton_height_filter_open_on,
                                          "radioButton_height_filter_open_on", QStringLiteral("ON"),
                                          &radioButton_height_filter_open_off, "radioButton_height_filter_open_off",
                                          QStringLiteral("OFF"));
    filter.add("label_height_filter_open", tr("开运算"), widget_height_filter_open);
    spinBox_height_filter_r_open = forms::spinBox(groupBox_11, "spinBox_height_filter_r_open", 1, kWide, 1);
    spinBox_height_filter_r_open->setSingleStep(2);
    filter.add("label_height_filter_r_open", tr("开运算窗口尺寸"), spinBox_height_filter_r_open);
    widget_height_filter_connected =
        radioPair(groupBox_11, "widget_height_filter_connected", &radioButton_height_filter_connected_on,
                  "radioButton_height_filter_connected_on", QStringLiteral("ON"),
                  &radioButton_height_filter_connected_off, "radioButton_height_filter_connected_off",
                  QStringLiteral("OFF"));
    filter.add("label_height_filter_connected", tr("区域连通"), widget_height_filter_connected);
    spinBox_height_filter_connected_area =
        forms::spinBox(groupBox_11, "spinBox_height_filter_connected_area", 0, kWide, 0);
    filter.add("label_height_filter_connected_area", tr("连通区域面积阈值"), spinBox_height_filter_connected_area);
    column[2]->addWidget(groupBox_11);

    groupBox_9 = group(dialog, "groupBox_9", tr("批处理回调"));
    Rows callback(groupBox_9);
    spinBox_start_frame_timeout = forms::spinBox(groupBox_9, "spinBox_start_frame_timeout", 0, kWide, 0);
    callback.add("label_start_frame_timeout", tr("起始帧超时时间(ms)"), spinBox_start_frame_timeout);
    spinBox_continous_frame_timeout = forms::spinBox(groupBox_9, "spinBox_continous_frame_timeout", 0, kWide, 0);
    callback.add("label_continous_frame_timeout", tr("后续帧超时时间(ms)"), spinBox_continous_frame_timeout);
    comboBox_timeout_callback_amount =
        combo(groupBox_9, "comboBox_timeout_callback_amount", {tr("设定"), tr("接收"), tr("缓存")});
    callback.add("label_timeout_callback_amount", tr("超时回调类型"), comboBox_timeout_callback_amount);
    column[2]->addWidget(groupBox_9);

    groupBox_31 = group(dialog, "groupBox_31", tr("运行日志"));
    Rows log(groupBox_31);
    comboBox_log_level = combo(groupBox_31, "comboBox_log_level", {"Off", "Info", "Debug"});
    log.add("label_log_level", tr("输出级别"), comboBox_log_level);
    spinBox_log_size = forms::spinBox(groupBox_31, "spinBox_log_size", 1, 1000, 1);
    log.add("label_log_size", tr("容量限制"), spinBox_log_size, QStringLiteral("GB"));
    column[2]->addWidget(groupBox_31);
    column[2]->addStretch(1);

    // Column 4: debug mode, register tool, flash export.
    groupBox_6 = group(dialog, "groupBox_6", tr("Debug模式"));
    Rows debug(groupBox_6);
    checkBox_save_img = make<QCheckBox>(groupBox_6, "checkBox_save_img");
    checkBox_save_img->setText(tr("保存原始图"));
    debug.addWide(checkBox_save_img);
    spinBox_max_save_count = forms::spinBox(groupBox_6, "spinBox_max_save_count", 1, 100000, 100);
    spinBox_max_save_count->setEnabled(false);
    debug.add("label_max_save_count", tr("数量"), spinBox_max_save_count);
    checkBox_save_debug_data = make<QCheckBox>(groupBox_6, "checkBox_save_debug_data");
    checkBox_save_debug_data->setText(tr("保存调试数据"));
    debug.addWide(checkBox_save_debug_data);
    column[3]->addWidget(groupBox_6);

    groupBox = group(dialog, "groupBox", tr("寄存器"));
    auto* registerGrid = forms::grid(groupBox);
    QLabel* regLabel = make<QLabel>(groupBox, "label");
    regLabel->setText(QStringLiteral("reg"));
    spinBox_reg_reg = forms::spinBox(groupBox, "spinBox_reg_reg", 0, 1000000, 0);
    QLabel* valLabel = make<QLabel>(groupBox, "label_2");
    valLabel->setText(QStringLiteral("val"));
    spinBox_reg_val = forms::doubleSpinBox(groupBox, "spinBox_reg_val", -1e11, 1e11, 0, 1, 0);
    pushButton_reg_get = make<QPushButton>(groupBox, "pushButton_reg_get");
    pushButton_reg_get->setText(QStringLiteral("get"));
    pushButton_reg_set = make<QPushButton>(groupBox, "pushButton_reg_set");
    pushButton_reg_set->setText(QStringLiteral("set"));
    label_reg_msgs = make<QLabel>(groupBox, "label_reg_msgs");
    registerGrid->addWidget(regLabel, 0, 0);
    registerGrid->addWidget(spinBox_reg_reg, 0, 1);
    registerGrid->addWidget(pushButton_reg_get, 0, 2);
    registerGrid->addWidget(valLabel, 1, 0);
    registerGrid->addWidget(spinBox_reg_val, 1, 1);
    registerGrid->addWidget(pushButton_reg_set, 1, 2);
    registerGrid->addWidget(label_reg_msgs, 2, 0, 1, 3);
    registerGrid->setColumnStretch(1, 1);
    column[3]->addWidget(groupBox);

    groupBox_5 = group(dialog, "groupBox_5", tr("Flash导出"));
    Rows flash(groupBox_5);
    comboBox_flash_type = combo(groupBox_5, "comboBox_flash_type", {tr("控制器")});
    flash.add("label_flash_type", tr("类型"), comboBox_flash_type);
    spinBox_ctl_flash_address = forms::spinBox(groupBox_5, "spinBox_ctl_flash_address", 0, 99999999, 0);
    flash.add("label_ctl_flash_address", tr("起始地址"), spinBox_ctl_flash_address);
    spinBox_ctl_flash_blocks = forms::spinBox(groupBox_5, "spinBox_ctl_flash_blocks", 1, 99999999, 1);
    flash.add("label_ctl_flash_blocks", tr("块数"), spinBox_ctl_flash_blocks);
    pushButton_export_ctl_flash = make<QPushButton>(groupBox_5, "pushButton_export_ctl_flash");
    pushButton_export_ctl_flash->setText(tr("导出"));
    flash.addWide(pushButton_export_ctl_flash);
    column[3]->addWidget(groupBox_5);
    column[3]->addStretch(1);
}

}  // namespace Ui
