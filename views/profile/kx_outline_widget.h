#pragma once
// The plot of the live profile: x across the laser line, z the height, both
// in millimetres; ranges from the sensor client; the profile as a yellow
// line on black; a pair of vertical (X) or horizontal (Z) cursors with their
// read-out floating over the lower right corner; the two tilt-correction
// areas on request.
#include <QVector>

#include "views/height/qcustomplot_alline.h"
#include "views/profile/ab_area_widgets.h"
#include "views/profile/laser_correction.h"
#include "views/profile/outline_widget.h"

class KxOutlineWidget : public OutlineWidget {
    Q_OBJECT

public:
    explicit KxOutlineWidget(QWidget* parent = nullptr);

    // The read-out panel (a child of the plot).
    ABAreaWidgets& readout() { return readout_; }
    // What the read-out shows.
    const qcustomplot_alline::ABStruct& readoutRecord() const { return record_; }
    int cursorMode() const { return cursorMode_; }

public slots:
    // Visible and limit ranges from the client: x +-halfWidthMm, z 1.1 times
    // its measuring range. Repaints.
    void resetRanges();
    // A new profile (each delivery's own length). Repaints; with X cursors
    // shown the heights under them are looked up again.
    void setOutlineData(QVector<double> x, QVector<double> z);
    // mode 0: a and b are x positions (the heights under them are looked up);
    // otherwise heights. Equal a and b keep the stored pair.
    void updateCursorReadout(int mode, double a, double b);
    void showXCursors(bool on);
    void showZCursors(bool on);
    // mode 0 clears the areas; otherwise area 1 (red) and area 2 (purple).
    void showCorrectionAreas(tevu::laser_correction correction);

private:
    void applyClientRanges();
    void placeReadout();
    // Hands the record, with the heights under its x positions, to the panel.
    void publishXReadout();

    ABAreaWidgets readout_;
    int cursorMode_ = 0;
    QVector<float> x_;
    QVector<float> z_;
    // One record per plot, so that each read-out describes its own cursors.
    qcustomplot_alline::ABStruct record_;
};
