#pragma once
// The multi-frame HDR page (number of frames, merge mode, the frame of the
// gray image, the frame exposures; it tells the imaging settings page when
// HDR goes on or off) and the halo filter page (off, three fixed filters or a
// user-defined one whose parameters the page copies into the registers in
// use). Loads show the sensor and write nothing.
#include <QWidget>

#include <cstdint>

class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace Ui {
struct HDRSettingWidget {
    QGroupBox* groupBox_20;
    QLabel* label_36;
    QComboBox* comboBox_cmos_imaging_mode;
    QLabel* label_hdr_mix_mode;
    QComboBox* comboBox_hdr_mix_mode;
    QLabel* label_gray_frame;
    QComboBox* comboBox_gray_frame;
    QLabel* label_frame1_exposure;
    QSpinBox* spinBox_frame1_exposure;
    QLabel* label_frame2_exposure;
    QSpinBox* spinBox_frame2_exposure;
    QLabel* label_frame3_exposure;
    QSpinBox* spinBox_frame3_exposure;
    QLabel* label_17;
    QPushButton* pushButton_hdr_param_file_choose;
    QPushButton* pushButton_close;
    void setupUi(QWidget* form);
};

struct HaloFilterWidget {
    QGroupBox* groupBox;
    QLabel* label_6;
    QComboBox* comboBox_halo;
    QLabel* label_9;
    QSpinBox* spinBox_lower_width;
    QLabel* label_10;
    QSpinBox* spinBox_upper_width;
    QLabel* label_12;
    QDoubleSpinBox* doubleSpinBox_width_ratio;
    QPushButton* pushButton_close;
    void setupUi(QWidget* form);
};
}  // namespace Ui

// The halo filter's width-to-height ratio threshold in its registers' fixed
// point (x 256, truncated).
int haloRatioWord(double ratio);

class HDRSettingWidget : public QWidget {
    Q_OBJECT
public:
    explicit HDRSettingWidget(QWidget* parent = nullptr);
    ~HDRSettingWidget() override;

    Ui::HDRSettingWidget* ui;

signals:
    void signal_clicked(int btnid);
    void hdr_en_changed(bool on);

public slots:
    void on_comboBox_cmos_imaging_mode_currentIndexChanged(int index);
    void on_spinBox_frame1_exposure_valueChanged(int value);
    void on_spinBox_frame2_exposure_valueChanged(int value);
    void on_spinBox_frame3_exposure_valueChanged(int value);
    void on_comboBox_hdr_mix_mode_currentIndexChanged(int index);
    void on_comboBox_gray_frame_currentIndexChanged(int index);
    void on_pushButton_close_clicked();

private:
    // Reads the sensor into the page with every control blocked.
    void loadFromDevice();
    bool loadSteps();
    void blockControls(bool block);
    // The controls of N frames (1: standard); no device traffic.
    void showFrames(int frames);
    // Fills the gray-frame list for N frames and selects one, signals blocked.
    void showGrayFrames(int frames, int selected);
    void writeFrameExposure(int frame, int value);
    void communicationFailed();
};

class HaloFilterWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kUserDefined = 4;

    explicit HaloFilterWidget(QWidget* parent = nullptr);
    ~HaloFilterWidget() override;

    void loadFromDevice();

    Ui::HaloFilterWidget* ui;

signals:
    void signal_clicked(int btnid);

public slots:
    void on_pushButton_close_clicked();
    void on_comboBox_halo_currentIndexChanged(int index);
    void on_spinBox_lower_width_valueChanged(int val);
    void on_spinBox_upper_width_valueChanged(int val);
    void on_doubleSpinBox_width_ratio_valueChanged(double val);

private:
    // Registers 430, 427, 426 into the three boxes, signals blocked; false
    // when a read fails.
    bool showParameters();
    void enableParameters(bool on);
    // Writes value to the register in use and then to its user-defined copy.
    void writePair(int inUse, int copy, int value);
    void communicationFailed();
};
