#include "views/height/view3d/vtk_dialog.h"

#include <QCloseEvent>
#include <QIcon>

#include "sensor_client/app_settings.h"
#include "sensor_client/linelaser_client.h"
#include "views/height/d3d_set_dialog.h"
#include "views/height/view3d/cloud_view.h"
#include "views/height/view3d/ui_vtk_dialog.h"

VtkDialog::VtkDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint),
      ui(new Ui::VtkDialog) {
    ui->setupUi(this);
    setWindowIcon(QIcon(QStringLiteral(":/res/res/img2/icon-3Dtu.png")));
    setWindowTitle(tr("3D点云"));
    ui->widget_right->addAxesMarker();
    ui->pushButton_openfile->hide();
}

VtkDialog::~VtkDialog() { delete ui; }

CloudView* VtkDialog::cloudView() const { return ui->widget_right; }

void VtkDialog::setRenderParams(float xyScale, bool pointCloud, const DenoiseParams& denoise, int zMultiplier) {
    params_.xyScale = xyScale;
    params_.pointCloud = pointCloud;
    params_.denoise = denoise;
    params_.zMultiplier = zMultiplier;
}

void VtkDialog::refreshFromBatch(bool resetCamera) {
    kx::common::kxCloud cloud;
    if (!cloudFromBatch(*linelaserClient(), params_, cloud)) return;
    if (params_.pointCloud)
        ui->widget_right->showPointCloud(cloud, params_.xyScale, resetCamera);
    else
        ui->widget_right->showMesh(cloud, params_.xyScale, resetCamera);
}

void VtkDialog::on_pushButton_heightset_clicked() {
    LinelaserClient* client = linelaserClient();
    if (client->batchProfileCount.load() < 1) return;
    HeightDisplayRange& range = client->displayRange;
    range.viewMax = settingsDouble(settings_keys::kHeightViewMax);
    range.viewMin = settingsDouble(settings_keys::kHeightViewMin);
    {
        D3dSetDialog dialog(this);
        dialog.useGradient(true);
        dialog.setLimits(static_cast<float>(client->zLowerMm), static_cast<float>(client->zUpperMm));
        dialog.setValues(static_cast<float>(range.viewMin), static_cast<float>(range.viewMax));
        dialog.exec();
        // Whichever button closed it, its values become the fixed range, which
        // the height image shares.
        dialog.values(&range.viewMin, &range.viewMax);
    }
    range.fixedRange = true;
    setSettingsDouble(settings_keys::kHeightViewMax, range.viewMax);
    setSettingsDouble(settings_keys::kHeightViewMin, range.viewMin);
    refreshFromBatch(true);
}

void VtkDialog::on_pushButton_reset_clicked() { ui->widget_right->resetCamera(); }

void VtkDialog::closeEvent(QCloseEvent* event) {
    emit signal_close();
    QDialog::closeEvent(event);
}
