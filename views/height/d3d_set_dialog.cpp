#include "views/height/d3d_set_dialog.h"

#include <QButtonGroup>
#include <QSignalBlocker>

#include <mutex>

#include "sensor_client/app_settings.h"
#include "sensor_client/linelaser_client.h"
#include "views/height/ui_d3d_set_dialog.h"

D3dSetDialog::D3dSetDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ui(new Ui::D3dSetDialog),
      priorityGroup_(new QButtonGroup(this)) {
    ui->setupUi(this);
    ui->doubleSpinBox_range_max->setEnabled(false);
    ui->doubleSpinBox_range_min->setEnabled(false);
    {
        // Showing the stored values must not store them again.
        const QSignalBlocker precision(ui->doubleSpinBox_tif_precision);
        const QSignalBlocker autoExport(ui->checkBox_export_auto);
        ui->doubleSpinBox_tif_precision->setValue(settingsDouble(settings_keys::kHeightPrecision));
        ui->checkBox_export_auto->setChecked(settingsInt(settings_keys::kAutoSaveBatchData) != 0);
    }
    ui->groupBox_2->hide();
    // Fonts taller than the form was drawn with need a little more room for the bar.
    resize(size().expandedTo(minimumSizeHint()));
    priorityGroup_->setExclusive(true);
    priorityGroup_->addButton(ui->radioButton_auto_up);
    priorityGroup_->addButton(ui->radioButton_auto_down);
    ui->radioButton_auto_up->setChecked(true);
    connect(ui->widget_hset, &d3dheight_set::signal_now_range_change, this, [this](float min, float max) {
        ui->doubleSpinBox_min->setValue(min);
        ui->doubleSpinBox_max->setValue(max);
    });
}

D3dSetDialog::~D3dSetDialog() { delete ui; }

void D3dSetDialog::setLimits(float lower, float upper) {
    ui->doubleSpinBox_range_min->setValue(lower);
    ui->doubleSpinBox_range_max->setValue(upper);
    ui->widget_hset->setRange(lower, upper);
    LinelaserClient* client = linelaserClient();
    const int pointCount = client->profilePointCount();
    // Counted in place under the lock: a copy of every retained row could
    // take gigabytes, and rows past the current batch are not read.
    std::lock_guard<std::mutex> lock(client->batchMutex);
    ui->widget_hset->countHeights(client->batchHeights, client->batchProfileCount, pointCount, client->zLowerMm);
}

void D3dSetDialog::setValues(float lower, float upper) {
    ui->doubleSpinBox_min->setValue(lower);
    ui->doubleSpinBox_max->setValue(upper);
    ui->widget_hset->setHandleValues(lower, upper);
}

void D3dSetDialog::values(double* lower, double* upper) const {
    *lower = ui->doubleSpinBox_min->value();
    *upper = ui->doubleSpinBox_max->value();
}

void D3dSetDialog::useGradient(bool on) { ui->widget_hset->useGradient(on); }

void D3dSetDialog::on_pushButton_ok_clicked() { accept(); }

void D3dSetDialog::on_pushButton_cancal_clicked() {
    // Restore: the full sensor range.
    ui->doubleSpinBox_min->setValue(ui->doubleSpinBox_range_min->value());
    ui->doubleSpinBox_max->setValue(ui->doubleSpinBox_range_max->value());
    reject();
}

void D3dSetDialog::on_pushButton_height_auto_clicked() { ui->widget_hset->autoAdjust(upperFirst_); }

void D3dSetDialog::on_radioButton_auto_up_clicked(bool) { upperFirst_ = true; }

void D3dSetDialog::on_radioButton_auto_down_clicked(bool) { upperFirst_ = false; }

void D3dSetDialog::on_doubleSpinBox_tif_precision_valueChanged(double value) {
    setSettingsString(settings_keys::kHeightPrecision, QString::number(value, 'g', 6));
}

void D3dSetDialog::on_checkBox_export_auto_toggled(bool checked) {
    setSettingsString(settings_keys::kAutoSaveBatchData, checked ? QStringLiteral("1") : QStringLiteral("0"));
}
