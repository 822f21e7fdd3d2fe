#include "views/profile/outline_chart_area_view.h"

#include <QDebug>
#include <QGraphicsLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <cmath>
#include <vector>

#include "sensor_client/linelaser_client.h"

using namespace QtCharts;

OutLineChartAreaView::OutLineChartAreaView(QWidget* parent)
    : QChartView(parent), timer_(new QTimer(this)), client_(linelaserClient()) {
    setupChart();
    timer_->setSingleShot(false);
    connect(timer_, &QTimer::timeout, this, &OutLineChartAreaView::slot_OnTimmerCharts);
}

void OutLineChartAreaView::setupChart() {
    xAxis_ = new QValueAxis;
    xAxis_->setRange(0, xAxisMax_);
    yAxis_ = new QValueAxis;
    yAxis_->setMax(yAxisMax_);

    profileSeries_ = new QLineSeries;
    profileSeries_->setColor(QColor(255, 255, 0));
    rectangleSeries_ = new QLineSeries;
    rectangleSeries_->setColor(Qt::red);
    const bool openGL = client_->openGLAvailable();
    profileSeries_->setUseOpenGL(openGL);
    rectangleSeries_->setUseOpenGL(openGL);

    chart_ = new QChart;
    chart_->legend()->hide();
    for (QValueAxis* axis : {xAxis_, yAxis_}) {
        axis->setGridLineVisible(false);
        axis->setVisible(false);
        axis->setLabelsColor(Qt::white);
    }
    chart_->addAxis(xAxis_, Qt::AlignBottom);
    chart_->addAxis(yAxis_, Qt::AlignLeft);
    for (QLineSeries* series : {profileSeries_, rectangleSeries_}) {
        chart_->addSeries(series);
        series->attachAxis(xAxis_);
        series->attachAxis(yAxis_);
    }
    chart_->setAnimationOptions(QChart::SeriesAnimations);

    setGeometry(67, 66, 200, 100);
    raise();
    setRenderHint(QPainter::Antialiasing);
    setChart(chart_);
    chart_->setBackgroundVisible(false);
    chart_->layout()->setContentsMargins(0, 0, 0, 0);
    chart_->setMargins(QMargins(0, 0, 0, 0));
    chart_->setBackgroundRoundness(0);
    setStyleSheet(QStringLiteral("background-color:rgba(52,178,69, 100);"));
    hide();
}

void OutLineChartAreaView::slot_OnTimmerCharts() {
    const int n = std::max(0, client_->profilePointCount());
    std::vector<double> x(n), z(n);
    if (!client_->copyProfile(x.data(), z.data(), n)) return;
    QVector<QPointF> points;
    points.reserve(n);
    for (int i = 0; i < n; ++i) points.append(QPointF(x[i], z[i]));
    profileSeries_->replace(points);
    update();
}

void OutLineChartAreaView::redrawRectangle() {
    rectangleSeries_->clear();
    rectangleSeries_->append(rect_.xMin, rect_.yMin);
    rectangleSeries_->append(rect_.xMin, rect_.yMax);
    rectangleSeries_->append(rect_.xMax, rect_.yMax);
    rectangleSeries_->append(rect_.xMax, rect_.yMin);
    rectangleSeries_->append(rect_.xMin, rect_.yMin);
}

void OutLineChartAreaView::showEvent(QShowEvent* event) {
    QChartView::showEvent(event);
    timer_->start(interval_);
}

void OutLineChartAreaView::hideEvent(QHideEvent* event) {
    QChartView::hideEvent(event);
    timer_->stop();
}

QPoint OutLineChartAreaView::toChartValue(const QPointF& widgetPoint) const {
    const QPointF scene = viewportTransform().inverted().map(widgetPoint);
    const QPointF value = chart_->mapToValue(scene);
    return QPoint(static_cast<int>(std::lround(value.x())), static_cast<int>(std::lround(value.y())));
}

bool OutLineChartAreaView::inside(const QPoint& v) const {
    return rect_.xMin <= v.x() && v.x() <= rect_.xMax && rect_.yMin <= v.y() && v.y() <= rect_.yMax;
}

void OutLineChartAreaView::moveRectangle(int dx, int dy) {
    rect_.xMin += dx;
    rect_.xMax += dx;
    rect_.yMin += dy;
    rect_.yMax += dy;
    redrawRectangle();
    emit signal_RectangleMove(rect_.xMin, rect_.xMax, rect_.yMin, rect_.yMax);
}

void OutLineChartAreaView::mousePressEvent(QMouseEvent* event) {
    QChartView::mousePressEvent(event);
    const QPoint value = toChartValue(event->localPos());
    if (inside(value)) {
        dragging_ = true;
        lastPoint_ = value;
    }
}

void OutLineChartAreaView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint value = toChartValue(event->localPos());
    qDebug() << "OutLineChartAreaView::" << value;
    QChartView::mouseMoveEvent(event);
    setCursor(inside(value) ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (!dragging_) return;
    const QPoint d = value - lastPoint_;
    lastPoint_ = value;
    moveRectangle(d.x(), d.y());
}

void OutLineChartAreaView::mouseReleaseEvent(QMouseEvent* event) {
    QChartView::mouseReleaseEvent(event);
    dragging_ = false;
}

void OutLineChartAreaView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
        moveRectangle(-10, 0);
        break;
    case Qt::Key_Right:
        moveRectangle(10, 0);
        break;
    case Qt::Key_Up:
        moveRectangle(0, 10);
        break;
    case Qt::Key_Down:
        moveRectangle(0, -10);
        break;
    default:
        QChartView::keyPressEvent(event);
    }
}

void OutLineChartAreaView::resizeEvent(QResizeEvent* event) { QChartView::resizeEvent(event); }
