#pragma once
// The tilt correction's chart: the live profile with the two measuring areas
// the operator drags. It hands the areas to the correction form by signal.
#include <QVector>
#include <QWidget>

#include "views/profile/laser_correction.h"

class KxOutlineWidget;

namespace Ui {
class InclineChartForm;
}

class InclineChartForm : public QWidget {
    Q_OBJECT

public:
    explicit InclineChartForm(QWidget* parent = nullptr);
    ~InclineChartForm() override;

    // Redraws the plot from the newest live profile (not in batch mode).
    void refreshOutline();
    // Shows the stored areas of the height correction (true) or of the angle
    // correction (false), then, after a pause of 100 ms in the GUI thread
    // (through the installed ui::Sleeper), announces them.
    void showCorrectionAreas(bool heightPage);
    KxOutlineWidget* plot() const;

signals:
    void signal_abarea_line_mode(tevu::laser_correction lcor);

private slots:
    void on_pushButton_reset_clicked();
    void on_widget_2_slopeCorrectionLimitChanged(int beginLeftIndex, float beginLeftX, int beginRightIndex,
                                                 float beginRightX, int endLeftIndex, float endLeftX,
                                                 int endRightIndex, float endRightX);

private:
    Ui::InclineChartForm* ui;
    QVector<double> x_;
    QVector<double> z_;
};
