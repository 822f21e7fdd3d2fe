#pragma once
// The plot of the height view: the batch's grey height image as a pixmap item
// under axes of profile point index (x) and profile row (y, rows counting
// down from 0), dashed grid lines, x tick labels in mm from the shared
// coordinate table, and the A/B cursor lines with their read-out panel. No
// mouse panning or wheel zoom: the ranges change only through the operations.
#include <QPixmap>
#include <QPointF>
#include <QSharedPointer>
#include <QTimer>
#include <QVector>

#include <qcustomplot.h>

#include "views/height/qcustomplot_alline.h"

class ABAreaWidgets;

// The x coordinate in mm of every profile point, shared by all height charts.
// Holds the longest profile seen whose end values were not both 0.
extern QVector<double> xCoordinateTable;

class HeightCahrtView_QCPAxisTickerFixed : public QCPAxisTickerFixed {
protected:
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override;
};

class HeightCahrtView_Y_QCPAxisTickerFixed : public QCPAxisTickerFixed {
protected:
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override;
};

class HeightCahrtView : public QCustomPlot {
    Q_OBJECT

public:
    explicit HeightCahrtView(QWidget* parent = nullptr);
    ~HeightCahrtView() override;

    void setHeightPixmap(QPixmap picture, int rows);
    void setRowCount(double rows);
    void setXCoordinates(QVector<double> x);
    void resetRange();
    void redrawGrid();
    void showCursors();
    void hideCursors();
    void scrollX(double x);
    void scrollY(double y);
    void zoomInX();
    void zoomOutX();
    void zoomInY();
    void zoomOutY();

    qcustomplot_alline* cursorLines() const { return lines_.data(); }
    ABAreaWidgets* readout() const { return readout_; }
    QCPItemPixmap* pixmapItem() const { return pixmapItem_; }
    const QVector<QCPGraph*>& gridGraphs() const { return gridGraphs_; }
    QCPRange defaultXRange() const { return QCPRange(defaultXLower_, defaultXUpper_); }
    QCPRange defaultYRange() const { return QCPRange(defaultYLower_, defaultYUpper_); }

signals:
    void signal_rangChangeX(QPointF x, double dminx, double dmaxx);
    void signal_rangChangeY(QPointF y, double dminy, double dmaxy);

public slots:
    void forwardABChange(qcustomplot_alline::ABStruct abval);

private slots:
    void slot_OnTimmerTask();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void setUpPlot();
    void drawGridLines(int yDivisions, int xDivisions);
    // Tick steps for the current ranges and axis lengths; true when changed.
    bool updateTickSteps();
    static double axisPixels(int laidOut, int widgetExtent);
    void emitRangeX();
    void emitRangeY();
    void placeReadout();
    // Widens a range by step on both sides, kept inside the default bounds.
    static QCPRange widened(const QCPRange& range, double step, double lower, double upper);

    double defaultXLower_ = 0.0;
    double defaultXUpper_ = 5999.0;
    double defaultYLower_ = -3000.0;
    double defaultYUpper_ = 0.0;
    int xZoomLimit_ = 5;
    int xZoomStep_ = 100;
    int xZoomCount_ = 0;
    int yZoomLimit_ = 10;
    int yZoomStep_ = 500;
    int yZoomCount_ = 0;
    int xDivisions_ = 8;
    int yDivisions_ = 10;
    QTimer timer_;
    QCPItemPixmap* pixmapItem_ = nullptr;
    QVector<QCPGraph*> gridGraphs_;
    QSharedPointer<HeightCahrtView_QCPAxisTickerFixed> xTicker_;
    QSharedPointer<HeightCahrtView_Y_QCPAxisTickerFixed> yTicker_;
    QSharedPointer<qcustomplot_alline> lines_;
    ABAreaWidgets* readout_ = nullptr;
    int lastRows_ = 0;
};
