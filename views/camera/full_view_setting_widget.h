#pragma once
// The first imaging page: Z range, exposure, single-frame HDR, gain, the grey
// thresholds of the peak search (written 500 ms after the first change of a
// burst), peak selection, fill-in count, object kind, and the buttons that
// open the detailed imaging pages.
#include <QWidget>

#include <array>
#include <optional>
#include <set>

class FullViewWidget;
class FullViewIgnoreSettingWidget;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QSlider;
class QSpinBox;
class QStackedWidget;

namespace Ui {
struct FullViewSettingWidget {
    QStackedWidget* stackedWidget_camera;
    QWidget* stackedWidget_cameraPage1;
    QScrollArea* scrollArea;
    QGroupBox* groupBox_21;
    QLabel* label_38;
    QComboBox* comboBox_cmos_zrange;
    QLabel* label_7;
    QPushButton* pushButton_roi_setting;
    QGroupBox* groupBox_16;
    QLabel* label_30;
    QComboBox* comboBox_cmos_exposure_time;
    QLabel* label_29;
    QComboBox* comboBox_hdr_range;
    QLabel* label_gain;
    QComboBox* comboBox_cmos_gain;
    QLabel* label_9;
    QPushButton* pushButton_image;
    QGroupBox* groupBox_18;
    QLabel* label_3;
    QSpinBox* spinBox_peak_1;
    QSlider* horizontalSlider_peak_1;
    QLabel* label_4;
    QSpinBox* spinBox_peak_2;
    QSlider* horizontalSlider_peak_2;
    QLabel* label_34;
    QComboBox* comboBox_cmos_peak_selection;
    QPushButton* pushButton_peak;
    QLabel* label_33;
    QSpinBox* spinBox_cmos_auto_complete_num;
    QLabel* label_5;
    QComboBox* comboBox_transparency;
    QLabel* label_6;
    QPushButton* pushButton_halo_filter;
    QLabel* label_hdr;
    QPushButton* pushButton_hdr;
    QWidget* wdight_imgignore;
    QLabel* label_37;
    QPushButton* pushButton_ignore_monitor_2;

    void setupUi(QWidget* form);
};
}  // namespace Ui

// A register write that waits for a burst of changes to end: the value and
// whether a write is armed. Process-wide, one for each threshold register.
struct PendingRegisterWrite {
    int value = 0;
    bool pending = false;
};
PendingRegisterWrite& pendingThresholdWrite(int reg);

class FullViewSettingWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr std::array<int, 8> PeakModeCodes{2, 0, 1, 7, 6, 4, 5, 3};
    static constexpr int kLowThresholdRegister = 401;
    static constexpr int kHighThresholdRegister = 400;

    explicit FullViewSettingWidget(QWidget* parent = nullptr);
    ~FullViewSettingWidget() override;

    void loadFromDevice();
    // The settings window hands over these pages; nothing here reads them.
    void setPages(FullViewWidget* imagePage, FullViewIgnoreSettingWidget* ignorePage);
    // How long a threshold burst waits before its write (500 ms).
    void setThresholdWriteDelay(int ms) { thresholdDelayMs_ = ms; }

    Ui::FullViewSettingWidget* ui;

signals:
    void signal_clicked(int btnid);

public slots:
    void slot_enable_cmos_exposure(bool hdr);
    void slot_update_optimized_settings(int en);

    void on_comboBox_cmos_zrange_currentIndexChanged(int index);
    void on_comboBox_cmos_exposure_time_currentIndexChanged(int index);
    void on_comboBox_cmos_exposure_time_currentTextChanged(const QString& text);
    void on_comboBox_hdr_range_currentIndexChanged(int index);
    void on_comboBox_cmos_gain_currentIndexChanged(int index);
    void on_spinBox_peak_1_valueChanged(int value);
    void on_spinBox_peak_2_valueChanged(int value);
    void on_horizontalSlider_peak_1_valueChanged(int value);
    void on_horizontalSlider_peak_2_valueChanged(int value);
    void on_comboBox_cmos_peak_selection_currentIndexChanged(int index);
    void on_spinBox_cmos_auto_complete_num_valueChanged(int value);
    void on_comboBox_transparency_currentIndexChanged(int index);
    void on_pushButton_roi_setting_clicked();
    void on_pushButton_image_clicked();
    void on_pushButton_peak_clicked();
    void on_pushButton_halo_filter_clicked();
    void on_pushButton_hdr_clicked();

private:
    void blockControls(bool block);
    void setBlocked(QWidget* control, int value);
    void communicationFailed();
    void scheduleThresholdWrite(int reg, int value);
    void flushThresholdWrite(int reg);
    // Runs the load's reads in order; false at the first failure.
    bool loadSteps();
    void writeExposureTime(int us);

    FullViewWidget* imagePage_ = nullptr;
    FullViewIgnoreSettingWidget* ignorePage_ = nullptr;
    int thresholdDelayMs_ = 500;
    std::set<int> armedHere_;  // threshold writes this page's timers own
    // The exposure list's row the index slot last took. An editable combo
    // tells a choice from its list by the text first and the index second;
    // a text that comes while the row differs from this one is such a
    // choice, and its time is written after the index.
    int exposureRow_ = -1;
    std::optional<int> chosenExposureUs_;
};
