#pragma once
// "3D点云": the current batch of the sensor client in 3D, as coloured points
// or a coloured mesh, with a button bar for the 3D height range and a camera
// reset. The height view makes one, hands it the accepted 3D options,
// refreshes it from the batch and shows it; closing it emits signal_close.
// VTK stays out of this header.
#include <QDialog>

#include "views/height/denoise_params.h"
#include "views/height/view3d/batch_cloud.h"

namespace Ui {
class VtkDialog;
}
class CloudView;

class VtkDialog : public QDialog {
    Q_OBJECT

public:
    explicit VtkDialog(QWidget* parent = nullptr);
    ~VtkDialog() override;

    void setRenderParams(float xyScale, bool pointCloud, const DenoiseParams& denoise, int zMultiplier);
    // Draws the client's current batch anew (nothing when it holds no profile).
    void refreshFromBatch(bool resetCamera);

    const View3dParams& renderParams() const { return params_; }
    CloudView* cloudView() const;

signals:
    void signal_close();

private slots:
    void on_pushButton_heightset_clicked();
    void on_pushButton_reset_clicked();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Ui::VtkDialog* ui;
    View3dParams params_;
};
