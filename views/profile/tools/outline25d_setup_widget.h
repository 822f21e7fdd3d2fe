#pragma once
// The 2.5D installation calibration page: one area of camera columns, the
// calibration started in the sensor, its result, angle and straightness.
#include <QTimer>
#include <QWidget>

namespace Ui {
class Outline25dSetupWidget;
}

class Outline25dSetupWidget : public QWidget {
    Q_OBJECT

public:
    explicit Outline25dSetupWidget(QWidget* parent = nullptr);
    ~Outline25dSetupWidget() override;

    // Shows the sensor's values; the first failed read ends it with one box
    // (and stops the re-reading after a calibration start).
    void loadFromDevice();
    // Re-reads the page every 100 ms from a successful calibration start
    // until the close button.
    QTimer& reloadTimer() { return timer_; }

signals:
    // The area in camera columns, unshifted; this page sends the other
    // three values as -1.
    void signal_set_cursor_x(int x_start, int x_end, int x2_start = -1, int x2_end = -1, int boundary = -1);
    void signal_clicked(int btnid);

private slots:
    void on_pushButton_close_clicked();
    void on_spinBox_area_start_valueChanged(int value);
    void on_spinBox_area_end_valueChanged(int value);
    void on_pushButton_correction_clicked();
    void on_doubleSpinBox_degree_valueChanged(double value);

private:
    void writeArea();

    Ui::Outline25dSetupWidget* ui;
    QTimer timer_;
};
