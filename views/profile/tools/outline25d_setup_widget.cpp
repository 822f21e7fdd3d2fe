#include "views/profile/tools/outline25d_setup_widget.h"

#include <QSignalBlocker>

#include <algorithm>

#include "ui_outline25d_setup_widget.h"
#include "views/profile/tools/step_height_registers.h"

using step_height::floatBits;
using step_height::floatOf;

namespace {

constexpr int kAngle = 864;
constexpr int kStraightness = 865;
constexpr int kArea = 866;
constexpr int kStart = 867;
constexpr int kResult = 868;
constexpr int kWorkMode = 842;
constexpr int kReloadMs = 100;

}  // namespace

Outline25dSetupWidget::Outline25dSetupWidget(QWidget* parent) : QWidget(parent), ui(new Ui::Outline25dSetupWidget) {
    if (objectName().isEmpty()) setObjectName(QStringLiteral("page_outline25d_setup"));
    ui->setupUi(this);
    connect(&timer_, &QTimer::timeout, this, &Outline25dSetupWidget::loadFromDevice);
}

Outline25dSetupWidget::~Outline25dSetupWidget() { delete ui; }

void Outline25dSetupWidget::loadFromDevice() {
    // The register image's work mode; unreadable counts as on.
    const bool idle = step_height::cachedRegister(kWorkMode, 1) == 0;
    ui->groupBox_correction_cal->setEnabled(idle);

    // Loading only shows: the area and the angle are not written back (the
    // re-reading would otherwise write the angle over the calibration's).
    const QSignalBlocker quietStart(ui->spinBox_area_start);
    const QSignalBlocker quietEnd(ui->spinBox_area_end);
    const QSignalBlocker quietAngle(ui->doubleSpinBox_degree);
    auto read = [this](int reg, uint32_t* value) {
        if (step_height::readRegister(reg, value)) return true;
        // One box, not one every 100 ms.
        timer_.stop();
        step_height::reportCommunicationFailure(this);
        return false;
    };
    uint32_t value = 0;
    if (!read(kArea, &value)) return;
    const int start = static_cast<int>(value >> 16);
    ui->spinBox_area_start->setValue(start);
    ui->spinBox_area_end->setMinimum(std::min(ui->spinBox_area_start->value() + 1, ui->spinBox_area_end->maximum()));
    ui->spinBox_area_end->setValue(start + static_cast<int>(value & 0xFFFFu));
    ui->groupBox_area_selection->setEnabled(idle);
    emit signal_set_cursor_x(ui->spinBox_area_start->value(), ui->spinBox_area_end->value(), -1, -1, -1);

    if (!read(kResult, &value)) return;
    ui->label_setup_state->setText(value != 0 ? tr("成功") : tr("失败"));
    if (!read(kAngle, &value)) return;
    ui->doubleSpinBox_degree->setValue(floatOf(value));
    if (!read(kStraightness, &value)) return;
    ui->doubleSpinBox_linearity->setValue(floatOf(value));
}

void Outline25dSetupWidget::writeArea() {
    const int start = ui->spinBox_area_start->value();
    const int end = ui->spinBox_area_end->value();
    const uint32_t length = static_cast<uint32_t>(std::max(1, end - start));
    if (!step_height::writeRegister(kArea, (static_cast<uint32_t>(start) << 16) | length)) {
        step_height::reportCommunicationFailure(this);
        return;
    }
    emit signal_set_cursor_x(start, end, -1, -1, -1);
}

void Outline25dSetupWidget::on_spinBox_area_start_valueChanged(int value) {
    // The end stays right of the start (raising it writes the area too).
    ui->spinBox_area_end->setMinimum(value + 1);
    writeArea();
}

void Outline25dSetupWidget::on_spinBox_area_end_valueChanged(int) { writeArea(); }

void Outline25dSetupWidget::on_pushButton_correction_clicked() {
    if (!step_height::writeRegister(kStart, 1)) {
        step_height::reportCommunicationFailure(this);
        return;
    }
    timer_.start(kReloadMs);
}

void Outline25dSetupWidget::on_doubleSpinBox_degree_valueChanged(double value) {
    if (!step_height::writeRegister(kAngle, floatBits(value))) step_height::reportCommunicationFailure(this);
}

void Outline25dSetupWidget::on_pushButton_close_clicked() {
    timer_.stop();
    emit signal_clicked(13);
}
