#pragma once
// "高度图像显示设定": chooses the height range (mm) that the grey or colour
// map spreads over, on a bar with a histogram of the current batch, and holds
// the two settings of the height-map export (customized TIF precision,
// automatic export at batch end), which are stored at once. The caller sets
// the limits, then the start values, runs the dialog and reads values(),
// however it was closed.
#include <QDialog>

namespace Ui {
class D3dSetDialog;
}
class QButtonGroup;

class D3dSetDialog : public QDialog {
    Q_OBJECT

public:
    explicit D3dSetDialog(QWidget* parent = nullptr);
    ~D3dSetDialog() override;

    // The sensor's range; also counts the client's current batch into the histogram.
    void setLimits(float lower, float upper);
    void setValues(float lower, float upper);
    void values(double* lower, double* upper) const;
    void useGradient(bool on);

    bool upperFirst() const { return upperFirst_; }

private slots:
    void on_pushButton_ok_clicked();
    void on_pushButton_cancal_clicked();
    void on_pushButton_height_auto_clicked();
    void on_radioButton_auto_up_clicked(bool checked);
    void on_radioButton_auto_down_clicked(bool checked);
    void on_doubleSpinBox_tif_precision_valueChanged(double value);
    void on_checkBox_export_auto_toggled(bool checked);

private:
    Ui::D3dSetDialog* ui;
    QButtonGroup* priorityGroup_;
    bool upperFirst_ = true;
};
