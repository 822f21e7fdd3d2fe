#pragma once
// "D3D渲染模式": the options of the 3D view of a batch (mesh or point cloud,
// xy scale, z multiplier, mesh refinement) and the height-map cleaning, whose
// values persist in the group "d3dy" of "settings.ini". The caller runs it
// modally and reads the choices afterwards.
#include <QDialog>
#include <QString>

#include "views/height/denoise_params.h"

namespace Ui {
class select_vtk_dialg;
}
class QButtonGroup;

// The height tolerance of the outlier test for a head model: the first of
// "5020", "5040", "5060", "5080", "5230", "5400" found after the first
// character gives 0.01, 0.02, 0.05, 0.12, 0.25, 1.0; otherwise 0.02.
double heightToleranceForModel(const QString& modelText);

class select_vtk_dialg : public QDialog {
    Q_OBJECT

public:
    explicit select_vtk_dialg(QWidget* parent = nullptr);
    ~select_vtk_dialg() override;

    bool isAccepted() const { return accepted_; }
    float refinementRate() const { return refinementRate_; }
    int mode() const { return mode_; }  // 0 mesh, 1 point cloud
    float xyScale() const { return xyScale_; }
    float zMultiplier() const { return zMultiplier_; }
    const DenoiseParams& denoiseParams() const { return denoise_; }

private slots:
    void on_radioButton_less_clicked(bool checked);
    void on_radioButton_more_clicked(bool checked);
    void on_doubleSpinBox_less_rate_valueChanged(double value);
    void on_pushButton_ok_clicked();
    void on_pushButton_cancel_clicked();
    void on_spinBox_zrate_valueChanged(int value);
    void on_checkBox_d3dy_open_clicked(bool checked);
    void on_pushButton_reset_clicked(bool checked);

private:
    void loadSettings();
    double modelTolerance() const;

    Ui::select_vtk_dialg* ui;
    QButtonGroup* modeGroup_;
    bool accepted_ = false;
    float refinementRate_ = 0.05f;
    int mode_ = 0;
    float xyScale_ = 0.5f;
    float zMultiplier_ = 1.0f;
    DenoiseParams denoise_;
};
