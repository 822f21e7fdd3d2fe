#include "views/profile/tools/incline_chart_form.h"

#include <cmath>

#include "sensor_client/linelaser_client.h"
#include "sensor_client/sleeper.h"
#include "ui_incline_chart_form.h"
#include "views/profile/kx_outline_widget.h"

namespace {

// Registers of the stored areas: area 1 left and right, area 2 left and right.
constexpr int kAngleAreaRegisters[4] = {326, 327, 328, 329};
constexpr int kHeightAreaRegisters[4] = {332, 333, 334, 335};
constexpr double kDefaultBounds[4] = {-3, -1, 1, 3};
constexpr double kScale = 100000.0;
constexpr double kNarrowestArea = 0.002;  // mm

}  // namespace

InclineChartForm::InclineChartForm(QWidget* parent)
    : QWidget(parent), ui(new Ui::InclineChartForm) {
    if (objectName().isEmpty()) setObjectName(QStringLiteral("page_left_inclinechart"));
    ui->setupUi(this);
    const int n = std::max(0, linelaserClient()->profilePointCount());
    x_.resize(n);
    z_.resize(n);
}

InclineChartForm::~InclineChartForm() { delete ui; }

KxOutlineWidget* InclineChartForm::plot() const { return ui->widget_2; }

void InclineChartForm::refreshOutline() {
    LinelaserClient& client = *linelaserClient();
    if (client.cachedRegister(149) != 0) return;
    if (!client.copyProfile(x_.data(), z_.data(), x_.size()) || x_.isEmpty()) return;
    ui->widget_2->setOutlineData(x_, z_);
}

void InclineChartForm::showCorrectionAreas(bool heightPage) {
    LinelaserClient& client = *linelaserClient();
    const int* registers = heightPage ? kHeightAreaRegisters : kAngleAreaRegisters;
    double bounds[4];
    for (int i = 0; i < 4; ++i) {
        int value = 0;
        client.cfgRegister(0, registers[i], &value);  // a failed read gives 0: the default
        const double mm = value / kScale;
        bounds[i] = (value != 0 && mm < client.halfWidthMm) ? mm : kDefaultBounds[i];
    }
    if (std::fabs(bounds[0] - bounds[1]) < kNarrowestArea) {
        bounds[0] = kDefaultBounds[0];
        bounds[1] = kDefaultBounds[1];
    }
    if (std::fabs(bounds[2] - bounds[3]) < kNarrowestArea) {
        bounds[2] = kDefaultBounds[2];
        bounds[3] = kDefaultBounds[3];
    }
    tevu::laser_correction record;
    record.mode = 1;
    record.value = 9.0;
    record.area1Begin = bounds[0];
    record.area1End = bounds[1];
    record.area2Begin = bounds[2];
    record.area2End = bounds[3];
    ui->widget_2->showCorrectionAreas(record);
    ui::sleeper().sleepMs(100);
    emit signal_abarea_line_mode(record);
}

void InclineChartForm::on_pushButton_reset_clicked() { ui->widget_2->resetRanges(); }

void InclineChartForm::on_widget_2_slopeCorrectionLimitChanged(int, float beginLeftX, int, float beginRightX, int,
                                                               float endLeftX, int, float endRightX) {
    tevu::laser_correction record;
    record.area1Begin = beginLeftX;
    record.area1End = beginRightX;
    record.area2Begin = endLeftX;
    record.area2End = endRightX;
    emit signal_abarea_line_mode(record);
}
