#pragma once
// The gray image settings page: sharpening, gamma correction, stripe
// widening, gray image effect, binning, gray saturation correction, the gray
// sampling window, the gray map and dropping the edge points. Which controls
// show depends on the sensor's firmware (the version gates). The page shows
// no message: a failed read leaves its control as it was.
#include <QWidget>

#include <cstdint>
#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace Ui {
struct ImageSettingWidget {
    QGroupBox* groupBox_10;
    QCheckBox* checkBox_windx;
    QCheckBox* checkBox_gamma;
    QDoubleSpinBox* spinBox_gamma;
    QLabel* label_grayShiftBit;
    QSpinBox* spinBox_grayShiftBit;
    QLabel* label_gray_effect;
    QSpinBox* spinBox_gray_effect;
    QCheckBox* checkBox_binning;
    QCheckBox* checkBox_gray_correct;
    QLabel* label_gray_win_width;
    QComboBox* comboBox_gray_win_width;
    QGroupBox* groupBox_gray_map;
    QLabel* label_gray_effect_2;
    QSpinBox* spinBox_gray_map_min;
    QLabel* label_gray_effect_4;
    QSpinBox* spinBox_gray_map_max;
    QLabel* label_gray_effect_3;
    QDoubleSpinBox* spinBox_gray_map_ratio;
    QCheckBox* checkBox_drop_edge;
    QPushButton* pushButton_close;
    void setupUi(QWidget* form);
};
}  // namespace Ui

// What the firmware of the connected sensor allows on the page.
struct GrayImageGates {
    bool samplingWindow;  // gate 1: the sampling window instead of widening and effect
    bool dropEdge;        // gate 2: dropping the edge points
    bool grayMap;         // gate 3: the gray map
};

// newSeries: the model is not of the older series '3' and '4';
// register134 / register166: the firmware version words, empty when they
// cannot be read. Gates 1 and 2 use the low byte of register 134 (127 and
// 136 and above), gate 3 the low 12 bits of register 166 (844 and above);
// the older series passes none.
GrayImageGates grayImageGates(bool newSeries, std::optional<uint32_t> register134,
                              std::optional<uint32_t> register166);

// The register words of the two sharpening states (450, 451).
struct SharpeningWords {
    uint32_t reg450;
    uint32_t reg451;
};
SharpeningWords sharpeningWords(bool on);
// Sharpening is on when the top byte of 450 is 0xFF and 451 is 0.
bool sharpeningIsOn(uint32_t reg450, uint32_t reg451);
// The gray map slope in its register's hundredths, truncated.
int graySlopeWord(double slope);

class ImageSettingWidget : public QWidget {
    Q_OBJECT
public:
    explicit ImageSettingWidget(QWidget* parent = nullptr);
    ~ImageSettingWidget() override;

    void loadFromDevice();

    Ui::ImageSettingWidget* ui;

signals:
    void signal_clicked(int btnid);

public slots:
    void on_checkBox_gamma_stateChanged(int state);
    void on_spinBox_gray_effect_valueChanged(int val);
    void on_checkBox_windx_clicked();
    void on_spinBox_grayShiftBit_valueChanged(int val);
    void on_spinBox_gamma_valueChanged(double val);
    void on_pushButton_close_clicked();
    void on_checkBox_binning_stateChanged(int state);
    void on_checkBox_gray_correct_stateChanged(int state);
    void on_comboBox_gray_win_width_currentTextChanged(const QString& text);
    void on_groupBox_gray_map_toggled(bool on);
    void on_spinBox_gray_map_min_valueChanged(int val);
    void on_spinBox_gray_map_max_valueChanged(int val);
    void on_spinBox_gray_map_ratio_valueChanged(double val);
    void on_checkBox_drop_edge_toggled(bool checked);

private:
    // Both return the slope register as read (when the gray map is allowed).
    std::optional<int> loadControls();
    std::optional<int> applyGates(const GrayImageGates& gates);
    void blockControls(bool block);
    void writeRegister(int reg, int value);
};
