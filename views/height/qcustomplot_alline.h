#pragma once
// Two draggable cursor lines, A and B, with small "A" and "B" tags on a
// QCustomPlot. The positions go out in an ABStruct through signal_ABChange;
// the pair can be linked so that the lines move together. The QCustomPlot
// types are only declared here, so the record can be used without them.
#include <QMetaType>
#include <QObject>

#include <cstdint>

class QCustomPlot;
class QCPGraph;
class QCPItemText;
class QMouseEvent;
class QWheelEvent;

class qcustomplot_alline : public QObject {
    Q_OBJECT

public:
    // What the lines report; the profile window's read-out takes the same record.
    struct ABStruct {
        int32_t mode = 0;         // 1: X cursors (set by the height chart); the lines send 0
        double A = 0;             // position of cursor A, in plot units
        double B = 0;             // position of cursor B
        double zA = 0;            // second coordinate of A (the height under it), 0 from the lines
        double zB = 0;            // second coordinate of B
        bool horizontal = false;  // the lines are horizontal: A and B are heights
        bool visible = false;     // the lines are shown
        bool linked = false;      // the lines move together
        uint8_t dragState = 0;    // 0 none, 1 cursor A held, 2 cursor B held
    };

    qcustomplot_alline(QCustomPlot* plot, bool horizontal, QObject* parent = nullptr);

    // Linked: the pair moves to a (or, when a equals A, to b) keeping its
    // distance. Unlinked: A := a, B := b. Reports the record either way.
    void setAB(double a, double b);
    void showLines();
    void hideLines();
    void setLinked(bool on);

    const ABStruct& record() const { return ab_; }
    double horizontalTolerance() const { return horizontalTolerance_; }

    static constexpr double kVerticalTolerance = 100.0;

signals:
    void signal_ABChange(qcustomplot_alline::ABStruct abval);

private:
    void onMousePress(QMouseEvent* event);
    void onMouseMove(QMouseEvent* event);
    void onMouseRelease(QMouseEvent* event);
    void onMouseWheel(QWheelEvent* event);
    void relayout();
    // The mouse position along the lines' axis, in plot coordinates.
    double position(const QMouseEvent* event) const;
    double tolerance() const;
    void colourTags(bool linked);

    double horizontalTolerance_ = 150.0;
    ABStruct ab_;
    QCustomPlot* plot_;
    QCPGraph* lineA_;
    QCPGraph* lineB_;
    QCPItemText* tagA_;
    QCPItemText* tagB_;
};

Q_DECLARE_METATYPE(qcustomplot_alline::ABStruct)
