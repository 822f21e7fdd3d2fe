#pragma once
// The tilt correction's form: page k measures the angle between the two
// areas of the live profile and stores an angle correction (registers 325 to
// 329); page b measures their height difference and stores a height factor
// (registers 331 to 335).
#include <QWidget>

#include <vector>

#include "views/profile/laser_correction.h"

namespace Ui {
class InclineSetForm;
}

class InclineSetForm : public QWidget {
    Q_OBJECT

public:
    explicit InclineSetForm(QWidget* parent = nullptr);
    ~InclineSetForm() override;

    // 0 the angle page, 1 the height page.
    void setCorrectionPage(int page);
    int correctionPage() const { return page_; }
    // Shows the stored correction values and the base-zero feature bit.
    void loadFromDevice();

    // A height factor the sensor may take: 0.001 to 2, both included.
    static bool isUsableFactor(double factor);

    double measuredAngle() const { return angle_; }
    double measuredHeight() const { return height_; }

public slots:
    // Measures on the newest live profile with the record's two areas.
    void calculateCorrection(tevu::laser_correction lcor);

signals:
    void signal_btn_env(tevu::enumBtnEnv env);
    void signal_thetaangle(double theta);

private slots:
    void on_pushButton_close_clicked();
    void on_pushButton_k_save_clicked();
    void on_doubleSpinBox_k_cal_after_valueChanged(double val);
    void on_pushButton_b_save_clicked();
    void on_doubleSpinBox_b_cal_after_valueChanged(double);
    void on_checkBox_k_base_zero_stateChanged(int state);

private:
    void showFactor(double factor);
    void showAngleFailed();
    // Writes the registers in order; false (after one box) at the first
    // failed write.
    bool writeRegisters(const std::vector<std::pair<int, int>>& values);

    Ui::InclineSetForm* ui;
    int page_ = 0;
    std::vector<double> x_;
    std::vector<double> z_;
    // The last angle measured, 0 before the first measurement succeeds; the
    // target is shown against it. A measurement that fails after one that
    // succeeded leaves no angle to show a target against until the next one
    // succeeds.
    double angle_ = 0.0;
    bool angleMeasured_ = false;
    bool angleStale_ = false;
    double height_ = 0.0;
};
