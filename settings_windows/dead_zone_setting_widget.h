#pragma once
// The dead-zone page: the gradient and height thresholds of the sensor's
// dead-angle suppression (registers 804 and 805), written when they change.
#include <QWidget>

class QDoubleSpinBox;
class QSpinBox;

class DeadZoneSettingWidget : public QWidget {
    Q_OBJECT
public:
    explicit DeadZoneSettingWidget(QWidget* parent = nullptr);

    // Shows the two registers as the sensor holds them, writing nothing.
    void loadSettings();

signals:
    void signal_clicked(int page);

private slots:
    void on_doubleSpinBox_gradientThreshold_valueChanged(double val);
    void on_spinBox_heightThreshold_valueChanged(int val);
    void on_pushButton_close_clicked();

private:
    QDoubleSpinBox* gradientThreshold_;
    QSpinBox* heightThreshold_;
};
