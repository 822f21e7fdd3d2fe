#include "views/height/select_vtk_dialg.h"

#include <QButtonGroup>
#include <QIcon>

#include "sensor_client/app_settings.h"
#include "sensor_client/linelaser_client.h"
#include "views/height/ui_select_vtk_dialg.h"

namespace {

// The d3dy values are written as fixed-point text with 7 decimals.
QString fixed7(double value) { return QString::number(value, 'f', 7); }

}  // namespace

double heightToleranceForModel(const QString& modelText) {
    static const struct {
        const char* number;
        double tolerance;
    } kTable[] = {{"5020", 0.01}, {"5040", 0.02}, {"5060", 0.05}, {"5080", 0.12}, {"5230", 0.25}, {"5400", 1.0}};
    for (const auto& entry : kTable)
        if (modelText.indexOf(QLatin1String(entry.number)) > 0) return entry.tolerance;
    return 0.02;
}

select_vtk_dialg::select_vtk_dialg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint),
      ui(new Ui::select_vtk_dialg),
      modeGroup_(new QButtonGroup(this)) {
    ui->setupUi(this);
    setWindowTitle(tr("D3D渲染模式"));
    setWindowIcon(QIcon(QStringLiteral("res/Img/chart2/3d.png")));
    modeGroup_->setExclusive(true);
    modeGroup_->addButton(ui->radioButton_less);
    modeGroup_->addButton(ui->radioButton_more);
    ui->radioButton_less->setChecked(true);
    loadSettings();
}

select_vtk_dialg::~select_vtk_dialg() { delete ui; }

double select_vtk_dialg::modelTolerance() const { return heightToleranceForModel(linelaserClient()->headModelText); }

void select_vtk_dialg::loadSettings() {
    using namespace settings_keys;
    denoise_.enabled = settingsDouble(kD3dyOpen) != 0.0;
    denoise_.window = settingsDouble(kD3dyWinSize);
    denoise_.k = settingsDouble(kD3dyK);
    denoise_.removeRadius = settingsDouble(kD3dyRemoveR);
    denoise_.minRun = settingsDouble(kD3dyNOutlier);
    denoise_.maxGap = settingsDouble(kD3dyNInterp);
    // The stored tolerance is not read back: the model's own comes each time.
    denoise_.dz = modelTolerance();
    ui->checkBox_d3dy_open->setChecked(denoise_.enabled);
    ui->doubleSpinBox_d3dy_win_size->setValue(denoise_.window);
    ui->doubleSpinBox_3dy_k->setValue(denoise_.k);
    ui->doubleSpinBox_3dy_remove_r->setValue(denoise_.removeRadius);
    ui->doubleSpinBox_3dy_n_outlier->setValue(denoise_.minRun);
    ui->doubleSpinBox_3dy_n_interp->setValue(denoise_.maxGap);
    ui->doubleSpinBox_3dy_dz->setValue(denoise_.dz);
    ui->doubleSpinBox_less_xyFix->setValue(settingsDouble(kD3dyLessXyFix));
    ui->doubleSpinBox_more_xyFix->setValue(settingsDouble(kD3dyMoreXyFix));
}

void select_vtk_dialg::on_radioButton_less_clicked(bool) {
    mode_ = 0;
    ui->stackedWidget->setCurrentIndex(0);
    refinementRate_ = static_cast<float>(ui->doubleSpinBox_less_rate->value());
}

void select_vtk_dialg::on_radioButton_more_clicked(bool) {
    mode_ = 1;
    ui->stackedWidget->setCurrentIndex(1);
}

void select_vtk_dialg::on_doubleSpinBox_less_rate_valueChanged(double value) {
    refinementRate_ = static_cast<float>(value);
}

void select_vtk_dialg::on_pushButton_ok_clicked() {
    using namespace settings_keys;
    accepted_ = true;
    xyScale_ = static_cast<float>(mode_ == 1 ? ui->doubleSpinBox_more_xyFix->value()
                                             : ui->doubleSpinBox_less_xyFix->value());
    denoise_.enabled = ui->checkBox_d3dy_open->isChecked();
    denoise_.window = ui->doubleSpinBox_d3dy_win_size->value();
    denoise_.dz = ui->doubleSpinBox_3dy_dz->value();
    denoise_.k = ui->doubleSpinBox_3dy_k->value();
    denoise_.removeRadius = ui->doubleSpinBox_3dy_remove_r->value();
    denoise_.minRun = ui->doubleSpinBox_3dy_n_outlier->value();
    denoise_.maxGap = ui->doubleSpinBox_3dy_n_interp->value();
    // The slope threshold has no control: it keeps its value (5.0).
    setSettingsString(kD3dyOpen, denoise_.enabled ? QStringLiteral("1") : QStringLiteral("0"));
    setSettingsString(kD3dyWinSize, fixed7(denoise_.window));
    setSettingsString(kD3dyDz, fixed7(denoise_.dz));
    setSettingsString(kD3dyK, fixed7(denoise_.k));
    setSettingsString(kD3dyRemoveR, fixed7(denoise_.removeRadius));
    setSettingsString(kD3dyNOutlier, fixed7(denoise_.minRun));
    setSettingsString(kD3dyNInterp, fixed7(denoise_.maxGap));
    setSettingsString(kD3dyLessXyFix, fixed7(ui->doubleSpinBox_less_xyFix->value()));
    setSettingsString(kD3dyMoreXyFix, fixed7(ui->doubleSpinBox_more_xyFix->value()));
    accept();
}

void select_vtk_dialg::on_pushButton_cancel_clicked() {
    accepted_ = false;
    reject();
}

void select_vtk_dialg::on_spinBox_zrate_valueChanged(int value) {
    if (value >= 1 && value <= 254) zMultiplier_ = static_cast<float>(value);
}

void select_vtk_dialg::on_checkBox_d3dy_open_clicked(bool checked) { denoise_.enabled = checked; }

void select_vtk_dialg::on_pushButton_reset_clicked(bool) {
    using namespace settings_keys;
    denoise_ = DenoiseParams{};
    denoise_.dz = modelTolerance();
    setSettingsString(kD3dyOpen, QStringLiteral("0"));
    setSettingsString(kD3dyWinSize, fixed7(denoise_.window));
    setSettingsString(kD3dyK, fixed7(denoise_.k));
    setSettingsString(kD3dyRemoveR, fixed7(denoise_.removeRadius));
    setSettingsString(kD3dyNOutlier, fixed7(denoise_.minRun));
    setSettingsString(kD3dyNInterp, fixed7(denoise_.maxGap));
    setSettingsString(kD3dyLessXyFix, fixed7(0.5));
    setSettingsString(kD3dyMoreXyFix, fixed7(0.5));
    loadSettings();
}
