#include "views/profile/tools/outline25d_setting_widget.h"

#include <QDir>
#include <QSignalBlocker>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "sensor_client/linelaser_client.h"
#include "sensor_client/prompter.h"
#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/hvq5_setting_api.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"
#include "ui_outline25d_setting_widget.h"
#include "views/profile/tools/step_height_registers.h"

using step_height::floatBits;
using step_height::floatOf;

namespace {

constexpr int kArea1 = 820;
constexpr int kArea2 = 821;
constexpr int kReference = 822;
constexpr int kMedian = 823;
constexpr int kCompare = 824;
constexpr int kInvalidOutput = 825;
constexpr int kCoefficientK = 826;
constexpr int kCoefficientB = 827;
constexpr int kBoundaryMethod = 831;
constexpr int kOutputConnection = 838;
constexpr int kWorkMode = 842;
constexpr int kAverage = 870;
constexpr int kAutoBoundary = 873;

// The camera page's display columns are image columns - 8, within 0..2031.
int displayColumn(int column) { return std::clamp(column - 8, 0, 2031); }

uint32_t packedArea(int start, int length) {
    return (static_cast<uint32_t>(start) << 16) | (static_cast<uint32_t>(length) & 0xFFFFu);
}

// Ends a signal block on every way out of a scope.
class Unblocker {
public:
    explicit Unblocker(std::function<void()> unblock) : unblock_(std::move(unblock)) {}
    ~Unblocker() { unblock_(); }

private:
    std::function<void()> unblock_;
};

}  // namespace

Outline25dSettingWidget::Outline25dSettingWidget(QWidget* parent)
    : QWidget(parent), ui(new Ui::Outline25dSettingWidget) {
    if (objectName().isEmpty()) setObjectName(QStringLiteral("page_outline25d_setting"));
    ui->setupUi(this);
    // The output page writes its measured-value files there.
    if (hvq5_is_series4_new(0)) QDir().mkpath(QStringLiteral("2.5D"));
}

Outline25dSettingWidget::~Outline25dSettingWidget() { delete ui; }

void Outline25dSettingWidget::allui_blockSignals(bool val) {
    for (QObject* control : std::initializer_list<QObject*>{
             ui->checkBox_25d_en, ui->spinBox_delta_median, ui->doubleSpinBox_correction_b,
             ui->doubleSpinBox_correction_k, ui->doubleSpinBox_delta_cmp, ui->doubleSpinBox_delta_invalid_output,
             ui->groupBox_measure_area1, ui->groupBox_measure_area2, ui->spinBox_area1_start, ui->spinBox_area1_len,
             ui->spinBox_area2_start, ui->spinBox_area2_len})
        control->blockSignals(val);
}

void Outline25dSettingWidget::EnableSettings(bool en) {
    ui->groupBox_measure_area1->setEnabled(en);
    ui->groupBox_measure_area2->setEnabled(en);
    ui->groupBox_measure_params->setEnabled(en);
}

void Outline25dSettingWidget::loadFromDevice() {
    allui_blockSignals(true);
    // The reference and the mean window write too: a value the control cannot
    // hold (and so changes) must not reach the sensor merely by loading.
    const QSignalBlocker quietReference(ui->comboBox_correction_ref_area);
    const QSignalBlocker quietAverage(ui->spinBox_delta_average);
    const Unblocker unblock([this] { allui_blockSignals(false); });

    auto read = [this](int reg, uint32_t* value) {
        if (step_height::readRegister(reg, value)) return true;
        step_height::reportCommunicationFailure(this);
        return false;
    };
    uint32_t value = 0;
    if (!read(kWorkMode, &value)) return;
    ui->checkBox_25d_en->setChecked(value != 0);
    EnableSettings(value == 0);

    if (!read(kAutoBoundary, &value)) return;
    on_boundary_method_changed();

    uint32_t area1 = 0, area2 = 0;
    if (!read(kArea1, &area1)) return;
    ui->spinBox_area1_start->setValue(static_cast<int>(area1 >> 16));
    ui->spinBox_area1_len->setValue(static_cast<int>(area1 & 0xFFFFu));
    if (!read(kArea2, &area2)) return;
    ui->spinBox_area2_start->setValue(static_cast<int>(area2 >> 16));
    ui->spinBox_area2_len->setValue(static_cast<int>(area2 & 0xFFFFu));

    if (!read(kReference, &value)) return;
    ui->comboBox_correction_ref_area->setCurrentIndex(static_cast<int>(value));
    if (!read(kAverage, &value)) return;
    ui->spinBox_delta_average->setValue(static_cast<int>(value));
    if (!read(kMedian, &value)) return;
    ui->spinBox_delta_median->setValue(static_cast<int>(value));
    const std::pair<int, QDoubleSpinBox*> floats[] = {{kCompare, ui->doubleSpinBox_delta_cmp},
                                                      {kInvalidOutput, ui->doubleSpinBox_delta_invalid_output},
                                                      {kCoefficientK, ui->doubleSpinBox_correction_k},
                                                      {kCoefficientB, ui->doubleSpinBox_correction_b}};
    for (const auto& [reg, box] : floats) {
        if (!read(reg, &value)) return;
        box->setValue(floatOf(value));
    }
    updateCursor();
}

void Outline25dSettingWidget::on_boundary_method_changed() {
    uint32_t automatic = 0, method = 0;
    if (!step_height::readRegister(kAutoBoundary, &automatic)) {
        step_height::reportCommunicationFailure(this);
        return;
    }
    if (automatic != 0 && !step_height::readRegister(kBoundaryMethod, &method)) {
        step_height::reportCommunicationFailure(this);
        return;
    }
    boundaryMode = automatic != 0 ? static_cast<int>(method) + 1 : 0;
    // Absolute columns without the search, offsets from the found boundary with it.
    const QString start = boundaryMode == 0 ? tr("起点(pixel)") : tr("偏移(pixel)");
    ui->label_area1_start->setText(start);
    ui->label_area2_start->setText(start);
}

void Outline25dSettingWidget::updateCursor() {
    int x1Start, x1End, x2Start, x2End;
    if (boundaryMode == 0) {
        const int s1 = ui->spinBox_area1_start->value(), s2 = ui->spinBox_area2_start->value();
        x1Start = s1;
        x1End = s1 + ui->spinBox_area1_len->value();
        x2Start = s2;
        x2End = s2 + ui->spinBox_area2_len->value();
    } else if (lastBoundary_ < 0) {
        emit signal_set_cursor_x(-1, -1, -1, -1, -1);
        return;
    } else {
        x1Start = offset1_;
        x1End = offset1_ + length1_;
        x2Start = offset2_;
        x2End = offset2_ + length2_;
    }
    emit signal_set_cursor_x(displayColumn(x1Start), displayColumn(x1End), displayColumn(x2Start),
                             displayColumn(x2End), displayColumn(lastBoundary_));
}

void Outline25dSettingWidget::update_data(QString name, QString value, int boundary, int offset1, int offset2,
                                          int len1, int len2) {
    if (!name.isEmpty()) ui->label_output->setText(name);
    ui->label_output_value->setText(value);
    lastBoundary_ = boundary;
    offset1_ = offset1;
    offset2_ = offset2;
    length1_ = len1;
    length2_ = len2;
    if (cursorEnabled) updateCursor();
}

void Outline25dSettingWidget::writeRegister(int reg, uint32_t value) {
    if (!step_height::writeRegister(reg, value)) step_height::reportCommunicationFailure(this);
}

void Outline25dSettingWidget::writeArea(int reg, int start, int length) {
    if (!step_height::writeRegister(reg, packedArea(start, length))) {
        step_height::reportCommunicationFailure(this);
        return;
    }
    updateCursor();
}

void Outline25dSettingWidget::on_spinBox_area1_start_valueChanged(int value) {
    writeArea(kArea1, value, ui->spinBox_area1_len->value());
}

void Outline25dSettingWidget::on_spinBox_area1_len_valueChanged(int value) {
    writeArea(kArea1, ui->spinBox_area1_start->value(), value);
}

void Outline25dSettingWidget::on_spinBox_area2_start_valueChanged(int value) {
    writeArea(kArea2, value, ui->spinBox_area2_len->value());
}

void Outline25dSettingWidget::on_spinBox_area2_len_valueChanged(int value) {
    writeArea(kArea2, ui->spinBox_area2_start->value(), value);
}

void Outline25dSettingWidget::on_comboBox_correction_ref_area_currentIndexChanged(int index) {
    if (index >= 0) writeRegister(kReference, static_cast<uint32_t>(index));
}

void Outline25dSettingWidget::on_spinBox_delta_median_valueChanged(int value) {
    if (value >= 1 && value <= 127) writeRegister(kMedian, static_cast<uint32_t>(value));
}

void Outline25dSettingWidget::on_spinBox_delta_average_valueChanged(int value) {
    if (value >= 1 && value <= 127) writeRegister(kAverage, static_cast<uint32_t>(value));
}

void Outline25dSettingWidget::on_doubleSpinBox_delta_cmp_valueChanged(double value) {
    writeRegister(kCompare, floatBits(value));
}

void Outline25dSettingWidget::on_doubleSpinBox_delta_invalid_output_valueChanged(double value) {
    writeRegister(kInvalidOutput, floatBits(value));
}

void Outline25dSettingWidget::on_doubleSpinBox_correction_k_valueChanged(double value) {
    writeRegister(kCoefficientK, floatBits(value));
}

void Outline25dSettingWidget::on_doubleSpinBox_correction_b_valueChanged(double value) {
    writeRegister(kCoefficientB, floatBits(value));
}

void Outline25dSettingWidget::on_pushButton_output_setting_clicked() { emit signal_clicked(14); }

void Outline25dSettingWidget::on_pushButton_setup_clicked() {
    cursorEnabled = false;  // the setup page owns the camera cursors meanwhile
    emit signal_clicked(17);
}

void Outline25dSettingWidget::on_pushButton_advanced_clicked() { emit signal_clicked(18); }

bool Outline25dSettingWidget::switchAcquisition(tandrel_zp_clients& device, bool on) {
    // While the work mode is on the sensor measures by itself: no live reads
    // on the command channel and no data channel.
    if (on) {
        hvq5_set_link_paused(0, 0);
    } else {
        uint32_t connection = 1;
        const bool outputIdle = hvq5_get_cached_register(0, kOutputConnection, &connection) == 0 && connection == 0;
        hvq5_set_link_paused(0, outputIdle ? 1 : 0);
    }
    EnableSettings(!on);
    device.receiver.stop();
    if (on) return true;

    if (device.receiver.start(0, device.controller.addressText, 9, 0, &device.controller) != 0) return false;
    uint32_t batchOff = 0;
    if (HVQ5_2_SetSetting(0, 1, 0x10, 0, 3, 0, &batchOff, sizeof batchOff) != 0) return false;
    int ioOff = 0;
    LinelaserClient& client = *linelaserClient();
    if (client.cfgIoMode(1, &ioOff) != 0) return false;
    return client.startProfileAcquisition();
}

void Outline25dSettingWidget::on_checkBox_25d_en_stateChanged(int state) {
    const bool on = state != 0;
    // Held for the whole switch, so the device cannot go meanwhile.
    const std::shared_ptr<tandrel_zp_clients> device = sdkManager().find(0);
    if (!device) return;
    if (!switchAcquisition(*device, on))
        ui::prompter().warning(this, QStringLiteral("2.5D"), tr("调试模式切换失败!"), QMessageBox::Ok);
    if (!step_height::writeRegister(kWorkMode, on ? 1u : 0u)) {
        step_height::reportCommunicationFailure(this);
        return;
    }
    emit signal_work_mode(on);
    emit signal_values_save_changed();
}
