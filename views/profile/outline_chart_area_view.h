#pragma once
// A small Qt Charts view of the live profile with a rectangle the user drags
// with the mouse or moves with the arrow keys. It polls the client every
// 200 ms while it is visible.
#include <QTimer>
#include <QtCharts/QChartView>

namespace QtCharts {
class QChart;
class QLineSeries;
class QValueAxis;
}  // namespace QtCharts

class LinelaserClient;

class OutLineChartAreaView : public QtCharts::QChartView {
    Q_OBJECT

public:
    struct Rect {
        int xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    };

    explicit OutLineChartAreaView(QWidget* parent = nullptr);

    Rect rectangle() const { return rect_; }
    bool polling() const { return timer_->isActive(); }
    QtCharts::QLineSeries* profileSeries() const { return profileSeries_; }
    QtCharts::QLineSeries* rectangleSeries() const { return rectangleSeries_; }

signals:
    void signal_RectangleMove(int xMin, int xMax, int yMin, int yMax);

public slots:
    void slot_OnTimmerCharts();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void setupChart();
    void redrawRectangle();
    QPoint toChartValue(const QPointF& widgetPoint) const;
    bool inside(const QPoint& value) const;
    void moveRectangle(int dx, int dy);

    QTimer* timer_;
    int interval_ = 200;
    QtCharts::QChart* chart_ = nullptr;
    QtCharts::QValueAxis* xAxis_ = nullptr;
    QtCharts::QValueAxis* yAxis_ = nullptr;
    QtCharts::QLineSeries* profileSeries_ = nullptr;
    QtCharts::QLineSeries* rectangleSeries_ = nullptr;
    int xAxisMax_ = 640;
    int yAxisMax_ = 500;
    LinelaserClient* client_;
    bool dragging_ = false;
    QPoint lastPoint_;
    Rect rect_;
};
