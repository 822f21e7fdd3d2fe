#pragma once
// The vertical colour bar of the height range dialog: the bar picture, a
// histogram of the batch's heights beside it and two handles that choose the
// lower and upper value. Pixel values are in widget coordinates; a height v
// lies at y(v) = (1 - (v - min) / (max - min)) x barHeight + top.
#include <QPixmap>
#include <QRect>
#include <QWidget>

#include <vector>

class d3dheight_set : public QWidget {
    Q_OBJECT

public:
    explicit d3dheight_set(QWidget* parent = nullptr);

    // The heights the bar spans (mm).
    void setRange(double min, double max);
    double rangeMin() const { return min_; }
    double rangeMax() const { return max_; }

    // Counts the heights of rows 0 .. rowCount-2 (the last received row is
    // left out), points below pointCount; heights below zLower or below the
    // range are skipped. Nothing happens when rowCount is 0 or rows holds
    // fewer than rowCount rows. Then the bar lengths are recomputed.
    void countHeights(const std::vector<std::vector<double>>& rows, int rowCount, int pointCount, double zLower);

    // Handles at the heights (truncated to pixels, kept on the bar).
    void setHandleValues(double lower, double upper);
    // The picture beside the histogram: colour gradient or grey ramp.
    void useGradient(bool on);

    // Moves the handles to the main cluster of heights and reports the range.
    // upperFirst: the search starts at the first well-filled row from the top,
    // else from the bottom.
    void autoAdjust(bool upperFirst);

    // The height a handle at pixel row y stands for.
    double valueAt(int y) const;
    // The pixel row of a height.
    double rowOf(double value) const;

    int upperHandleY() const { return upperY_; }
    int lowerHandleY() const { return lowerY_; }
    int dragState() const { return dragState_; }
    const std::vector<int>& counts() const { return counts_; }
    const std::vector<int>& barLengths() const { return lengths_; }
    void setBarLengths(std::vector<int> lengths) { lengths_ = std::move(lengths); }

    static constexpr int kBarHeight = 210;
    static constexpr int kTop = 10;
    static constexpr int kHistogramLength = 50;
    static constexpr int kBarLeft = 10;
    static constexpr int kBarRight = 40;
    static constexpr int kHandleLineX = 55;
    static constexpr int kHistogramLeft = 60;

signals:
    void signal_now_range_change(float min, float max);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool rangeUsable() const { return max_ != min_; }
    bool onHistogram(int x) const { return x >= kHistogramLeft && x <= kHistogramLeft + kHistogramLength; }
    void computeBarLengths();
    void reportRange();

    int upperY_ = 20;
    int lowerY_ = 80;
    int dragState_ = 0;  // 0 none, 1 upper handle, 2 lower handle
    int borderWidth_ = 0;
    int borderHeight_ = 0;
    bool painted_ = false;
    QRect barRect_;
    QRect histogramRect_;
    std::vector<int> counts_;   // one per pixel row of the bar
    std::vector<int> lengths_;  // 0 .. kHistogramLength
    double max_ = 0;
    double min_ = 0;
    bool lastPriority_ = true;
    QPixmap barPicture_;
};
