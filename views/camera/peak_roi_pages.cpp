#include "views/camera/peak_roi_pages.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "sensor_client/linelaser_client.h"
#include "sensor_client/prompter.h"
#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/hvq5_setting_api.h"
#include "sensor_interface/settings/register_decimal.h"
#include "views/camera/page_form.h"

using page_form::button;
using page_form::combo;
using page_form::label;
using page_form::named;

namespace {

constexpr int kContinuityThreshold = 443;
constexpr int kRepairThreshold = 444;
constexpr int kRepairSelection = 445;
constexpr int kFillSelection = 446;
constexpr int kSamplingWindow = 447;

}  // namespace

void Ui::PeakSettingWidget::setupUi(QWidget* form) {
    form->setObjectName(QStringLiteral("PeakSettingWidget"));
    form->resize(350, 533);
    form->setWindowTitle(QStringLiteral("Form"));
    auto* column = new QVBoxLayout(form);
    groupBox = named<QGroupBox>(form, "groupBox");
    groupBox->setTitle(QCoreApplication::translate("PeakSettingWidget", "多峰选择连续模式"));
    auto* grid = new QGridLayout(groupBox);
    auto threshold = [&](const char* name) {
        auto* box = named<QDoubleSpinBox>(groupBox, name);
        box->setRange(0, 8191);
        box->setDecimals(2);
        return box;
    };
    label_12 = label(groupBox, "label_12", QCoreApplication::translate("PeakSettingWidget", "连续阈值"));
    doubleSpinBox_peak_cont_thd_c = threshold("doubleSpinBox_peak_cont_thd_c");
    label_6 = label(groupBox, "label_6", QCoreApplication::translate("PeakSettingWidget", "修复选择"));
    comboBox_peak_cont_combine = combo(groupBox, "comboBox_peak_cont_combine",
                                       {QCoreApplication::translate("PeakSettingWidget", "向右修复优先"),
                                        QCoreApplication::translate("PeakSettingWidget", "向左修复优先"),
                                        QCoreApplication::translate("PeakSettingWidget", "最大优先"),
                                        QCoreApplication::translate("PeakSettingWidget", "近端优先"),
                                        QCoreApplication::translate("PeakSettingWidget", "远端优先")});
    label_13 = label(groupBox, "label_13", QCoreApplication::translate("PeakSettingWidget", "修复阈值"));
    doubleSpinBox_peak_cont_thd_f = threshold("doubleSpinBox_peak_cont_thd_f");
    label_14 = label(groupBox, "label_14", QCoreApplication::translate("PeakSettingWidget", "未修复点回填选择"));
    comboBox_single_peak_output = combo(groupBox, "comboBox_single_peak_output",
                                        {QCoreApplication::translate("PeakSettingWidget", "不限制"),
                                         QCoreApplication::translate("PeakSettingWidget", "高阈值"),
                                         QCoreApplication::translate("PeakSettingWidget", "唯一高阈值"),
                                         QCoreApplication::translate("PeakSettingWidget", "唯一"),
                                         QCoreApplication::translate("PeakSettingWidget", "不输出")});
    label_15 = label(groupBox, "label_15", QCoreApplication::translate("PeakSettingWidget", "连续判断采样窗宽"));
    QStringList widths;
    for (int w = 3; w <= 27; w += 2) widths << QString::number(w);
    comboBox_single_peak_win_size = combo(groupBox, "comboBox_single_peak_win_size", widths);
    int row = 0;
    for (auto [l, c] : {std::pair<QWidget*, QWidget*>{label_12, doubleSpinBox_peak_cont_thd_c},
                        {label_6, comboBox_peak_cont_combine}, {label_13, doubleSpinBox_peak_cont_thd_f},
                        {label_14, comboBox_single_peak_output}, {label_15, comboBox_single_peak_win_size}}) {
        grid->addWidget(l, row, 0);
        grid->addWidget(c, row++, 1);
    }
    // The longest caption takes two lines rather than push the page wider
    // than its pane.
    label_14->setWordWrap(true);
    for (QComboBox* c : {comboBox_peak_cont_combine, comboBox_single_peak_output, comboBox_single_peak_win_size})
        c->setCurrentIndex(-1);
    column->addWidget(groupBox);
    column->addStretch(1);
    pushButton_close = button(form, "pushButton_close", QCoreApplication::translate("PeakSettingWidget", "关闭"));
    column->addWidget(pushButton_close);
}

int peakThresholdWord(double value) {
    return mirevo::settings::register_from_decimal(value, 128.0, mirevo::settings::DecimalCut::Nearest);
}

PeakSettingWidget::PeakSettingWidget(QWidget* parent) : QWidget(parent), ui(new Ui::PeakSettingWidget) {
    ui->setupUi(this);
    QMetaObject::connectSlotsByName(this);
}

PeakSettingWidget::~PeakSettingWidget() { delete ui; }

void PeakSettingWidget::communicationFailed() {
    ui::prompter().question(this, tr("提示"), tr("通信失败!"), QMessageBox::Ok);
}

bool PeakSettingWidget::loadSteps() {
    uint32_t value = 0;
    if (hvq5_read_register(0, kContinuityThreshold, &value) != 0) return false;
    ui->doubleSpinBox_peak_cont_thd_c->setValue(value / 128.0);
    if (hvq5_read_register(0, kRepairThreshold, &value) != 0) return false;
    ui->doubleSpinBox_peak_cont_thd_f->setValue(value / 128.0);
    if (hvq5_read_register(0, kRepairSelection, &value) != 0) return false;
    ui->comboBox_peak_cont_combine->setCurrentIndex(static_cast<int>(value));
    if (hvq5_read_register(0, kFillSelection, &value) != 0) return false;
    ui->comboBox_single_peak_output->setCurrentIndex(static_cast<int>(value));
    if (hvq5_read_register(0, kSamplingWindow, &value) != 0) return false;
    ui->comboBox_single_peak_win_size->setCurrentIndex(
        ui->comboBox_single_peak_win_size->findText(QString::number(value)));
    return true;
}

void PeakSettingWidget::loadFromDevice() {
    const std::initializer_list<QObject*> controls{ui->doubleSpinBox_peak_cont_thd_c, ui->doubleSpinBox_peak_cont_thd_f,
                                                   ui->comboBox_peak_cont_combine, ui->comboBox_single_peak_output,
                                                   ui->comboBox_single_peak_win_size};
    for (QObject* o : controls) o->blockSignals(true);
    const bool loaded = loadSteps();
    for (QObject* o : controls) o->blockSignals(false);
    if (!loaded) communicationFailed();
}

void PeakSettingWidget::writeRegister(int reg, int value) {
    if (hvq5_write_register(0, reg, value) != 0) communicationFailed();
}

void PeakSettingWidget::on_comboBox_peak_cont_combine_currentIndexChanged(int index) {
    if (index >= 0) writeRegister(kRepairSelection, index);
}

void PeakSettingWidget::on_comboBox_single_peak_output_currentIndexChanged(int index) {
    if (index >= 0) writeRegister(kFillSelection, index);
}

void PeakSettingWidget::on_comboBox_single_peak_win_size_currentIndexChanged(int index) {
    if (index >= 0) writeRegister(kSamplingWindow, ui->comboBox_single_peak_win_size->itemText(index).toInt());
}

void PeakSettingWidget::on_doubleSpinBox_peak_cont_thd_c_valueChanged(double value) {
    writeRegister(kContinuityThreshold, peakThresholdWord(value));
}

void PeakSettingWidget::on_doubleSpinBox_peak_cont_thd_f_valueChanged(double value) {
    writeRegister(kRepairThreshold, peakThresholdWord(value));
}

void PeakSettingWidget::on_pushButton_close_clicked() { emit signal_clicked(1); }

void Ui::RoiSettingWidget::setupUi(QWidget* form) {
    form->setObjectName(QStringLiteral("RoiSettingWidget"));
    form->resize(350, 533);
    form->setWindowTitle(QStringLiteral("Form"));
    auto* column = new QVBoxLayout(form);
    groupBox = named<QGroupBox>(form, "groupBox");
    groupBox->setTitle(QStringLiteral("ROI"));
    auto* grid = new QGridLayout(groupBox);
    auto spin = [&](const char* name, int maximum, int value) {
        auto* box = named<QSpinBox>(groupBox, name);
        box->setRange(0, maximum);
        box->setValue(value);
        return box;
    };
    label_7 = label(groupBox, "label_7", QCoreApplication::translate("RoiSettingWidget", "左"));
    spinBox_roi_left = spin("spinBox_roi_left", 4095, 0);
    label_8 = label(groupBox, "label_8", QCoreApplication::translate("RoiSettingWidget", "右"));
    spinBox_roi_right = spin("spinBox_roi_right", 6000, 0);
    label_11 = label(groupBox, "label_11", QCoreApplication::translate("RoiSettingWidget", "上"));
    spinBox_roi_top = spin("spinBox_roi_top", 1023, 0);
    spinBox_roi_top->setEnabled(false);
    label_13 = label(groupBox, "label_13", QCoreApplication::translate("RoiSettingWidget", "下"));
    spinBox_roi_bottom = spin("spinBox_roi_bottom", 1023, 1023);
    spinBox_roi_bottom->setEnabled(false);
    int row = 0;
    for (auto [l, c] : {std::pair<QWidget*, QWidget*>{label_7, spinBox_roi_left}, {label_8, spinBox_roi_right},
                        {label_11, spinBox_roi_top}, {label_13, spinBox_roi_bottom}}) {
        grid->addWidget(l, row, 0);
        grid->addWidget(c, row++, 1);
    }
    pushButton_drawarea =
        button(groupBox, "pushButton_drawarea", QCoreApplication::translate("RoiSettingWidget", "选择区域"));
    pushButton_drawarea->setCheckable(true);
    pushButton_resetarea =
        button(groupBox, "pushButton_resetarea", QCoreApplication::translate("RoiSettingWidget", "恢复区域"));
    grid->addWidget(pushButton_drawarea, row, 0);
    grid->addWidget(pushButton_resetarea, row, 1);
    column->addWidget(groupBox);
    column->addStretch(1);
    pushButton_close = button(form, "pushButton_close", QCoreApplication::translate("RoiSettingWidget", "关闭"));
    column->addWidget(pushButton_close);
}

std::pair<int, int> roiPointsOfColumns(int x, int x1, int points, int columns) {
    const double perColumn = static_cast<double>(points) / columns;
    return {static_cast<int>((x + 8) * perColumn), static_cast<int>((x1 + 8) * perColumn)};
}

RoiSettingWidget::RoiSettingWidget(QWidget* parent)
    : QWidget(parent), ui(new Ui::RoiSettingWidget), owner_(parent) {
    ui->setupUi(this);
    {
        const QSignalBlocker blocker(ui->spinBox_roi_right);
        ui->spinBox_roi_right->setMaximum(linelaserClient()->modelGeometry().points - 1);
    }
    QMetaObject::connectSlotsByName(this);
}

RoiSettingWidget::~RoiSettingWidget() { delete ui; }

RoiCallback RoiSettingWidget::callback() {
    return [this](int left, int right, int top, int bottom) { setRoiSpinValues(left, right, top, bottom); };
}

void RoiSettingWidget::requestRoiShapes() { emit signal_init_roi_shapes(callback()); }

void RoiSettingWidget::setRoiSpinValues(int left, int right, int top, int bottom) {
    // Showing the region must not move the sensor's X ROI.
    QSpinBox* boxes[] = {ui->spinBox_roi_left, ui->spinBox_roi_right, ui->spinBox_roi_top, ui->spinBox_roi_bottom};
    const int values[] = {left, right, top, bottom};
    for (int i = 0; i < 4; ++i) {
        const QSignalBlocker blocker(boxes[i]);
        boxes[i]->setValue(values[i]);
    }
}

bool RoiSettingWidget::isCurrentPage() const {
    const auto* stack = owner_ ? owner_->findChild<QStackedWidget*>(QStringLiteral("stackedWidget_right")) : nullptr;
    return stack && stack->currentWidget() == this;
}

void RoiSettingWidget::setXRoi(int start, int end) {
    if (HVQ5_2_SET_X_ROI(0, start, end) != 0)
        ui::prompter().critical(this, QStringLiteral("X ROI"), tr("X ROI设定失败"), QMessageBox::Ok);
}

void RoiSettingWidget::on_spinBox_roi_left_valueChanged(int value) {
    if (value < ui->spinBox_roi_right->value()) setXRoi(value, ui->spinBox_roi_right->value());
}

void RoiSettingWidget::on_spinBox_roi_right_valueChanged(int value) {
    if (ui->spinBox_roi_left->value() < value) setXRoi(ui->spinBox_roi_left->value(), value);
}

void RoiSettingWidget::on_pushButton_drawarea_clicked() {
    if (ui->pushButton_drawarea->isChecked()) {
        emit signal_init_roi_shapes(callback());
        emit signal_display_roi_shapes();
    } else {
        emit signal_add_Polygon(0, 0, 0, 0);
        emit signal_add_Polygon(-1, -1, -1, -1);
    }
}

void RoiSettingWidget::slot_add_rect_end(int x, int y, int x1, int y1) {
    if (!isCurrentPage()) return;
    if (x < x1 && y < y1) {
        const ModelGeometry g = linelaserClient()->modelGeometry();
        const auto [start, end] = roiPointsOfColumns(x, x1, g.points, g.columns);
        if (HVQ5_2_SET_X_ROI(0, start, end) != 0) {
            ui::prompter().critical(this, QStringLiteral("X ROI"), tr("X ROI设定失败"), QMessageBox::Ok);
            return;
        }
        emit signal_init_roi_shapes(callback());
    }
    emit signal_display_roi_shapes();
}

void RoiSettingWidget::on_pushButton_resetarea_clicked() {
    emit signal_add_Polygon(0, 0, 0, 0);
    emit signal_add_Polygon(-1, -1, -1, -1);
    emit signal_remove_roi_shapes();
    emit signal_init_roi_shapes(callback());
    ui->pushButton_drawarea->setChecked(false);
}

void RoiSettingWidget::on_pushButton_close_clicked() { emit signal_clicked(1); }
