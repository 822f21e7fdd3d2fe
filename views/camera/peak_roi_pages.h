#pragma once
// The peak page (how the sensor picks among several peaks of a column and
// repairs columns without one) and the ROI page (the X region of interest in
// profile points, and the rows of the region kept as bands by the
// ignore-area page).
#include <QWidget>

#include <functional>

class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace Ui {
struct PeakSettingWidget {
    QGroupBox* groupBox;
    QLabel* label_12;
    QDoubleSpinBox* doubleSpinBox_peak_cont_thd_c;
    QLabel* label_6;
    QComboBox* comboBox_peak_cont_combine;
    QLabel* label_13;
    QDoubleSpinBox* doubleSpinBox_peak_cont_thd_f;
    QLabel* label_14;
    QComboBox* comboBox_single_peak_output;
    QLabel* label_15;
    QComboBox* comboBox_single_peak_win_size;
    QPushButton* pushButton_close;
    void setupUi(QWidget* form);
};

struct RoiSettingWidget {
    QGroupBox* groupBox;
    QLabel* label_7;
    QSpinBox* spinBox_roi_left;
    QLabel* label_8;
    QSpinBox* spinBox_roi_right;
    QLabel* label_11;
    QSpinBox* spinBox_roi_top;
    QLabel* label_13;
    QSpinBox* spinBox_roi_bottom;
    QPushButton* pushButton_drawarea;
    QPushButton* pushButton_resetarea;
    QPushButton* pushButton_close;
    void setupUi(QWidget* form);
};
}  // namespace Ui

// Threshold in pixels to the registers' fixed point (x 128), halves away from zero.
int peakThresholdWord(double value);

class PeakSettingWidget : public QWidget {
    Q_OBJECT
public:
    explicit PeakSettingWidget(QWidget* parent = nullptr);
    ~PeakSettingWidget() override;
    void loadFromDevice();
    Ui::PeakSettingWidget* ui;

signals:
    void signal_clicked(int btnid);

public slots:
    void on_comboBox_peak_cont_combine_currentIndexChanged(int index);
    void on_doubleSpinBox_peak_cont_thd_c_valueChanged(double value);
    void on_doubleSpinBox_peak_cont_thd_f_valueChanged(double value);
    void on_pushButton_close_clicked();
    void on_comboBox_single_peak_output_currentIndexChanged(int index);
    void on_comboBox_single_peak_win_size_currentIndexChanged(int index);

private:
    bool loadSteps();
    void writeRegister(int reg, int value);
    void communicationFailed();
};

using RoiCallback = std::function<void(int, int, int, int)>;

// X-ROI bounds of a rectangle's display columns x and x1, in profile points.
std::pair<int, int> roiPointsOfColumns(int x, int x1, int points, int columns);

class RoiSettingWidget : public QWidget {
    Q_OBJECT
public:
    explicit RoiSettingWidget(QWidget* parent = nullptr);
    ~RoiSettingWidget() override;

    // The settings window whose "stackedWidget_right" holds this page.
    void setOwnerWindow(QWidget* window) { owner_ = window; }
    void requestRoiShapes();
    // Shows a region without writing it back.
    void setRoiSpinValues(int left, int right, int top, int bottom);

    Ui::RoiSettingWidget* ui;

signals:
    void signal_init_roi_shapes(RoiCallback roi_cb);
    void signal_display_roi_shapes();
    void signal_remove_roi_shapes();
    void signal_add_Polygon(int x, int y, int x1, int y1);
    void signal_clicked(int btnid);

public slots:
    void on_pushButton_drawarea_clicked();
    void on_pushButton_resetarea_clicked();
    void on_spinBox_roi_left_valueChanged(int value);
    void on_spinBox_roi_right_valueChanged(int value);
    void slot_add_rect_end(int x, int y, int x1, int y1);
    void on_pushButton_close_clicked();

private:
    bool isCurrentPage() const;
    void setXRoi(int start, int end);
    RoiCallback callback();

    QWidget* owner_;
};
