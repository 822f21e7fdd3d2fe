#include "views/height/height_chart_view.h"

#include <QResizeEvent>

#include <algorithm>
#include <cmath>

#include "views/profile/ab_area_widgets.h"

QVector<double> xCoordinateTable;

namespace {

const QColor kFrameColour(50, 50, 50, 200);

int tableIndex(double value) {
    const double last = static_cast<double>(xCoordinateTable.size() - 1);
    return static_cast<int>(std::clamp(value, 0.0, last));
}

}  // namespace

QString HeightCahrtView_QCPAxisTickerFixed::getTickLabel(double tick, const QLocale&, QChar, int) {
    if (xCoordinateTable.isEmpty()) return QStringLiteral("0");
    const int decimals = xCoordinateTable.first() == 0.0 ? 0 : 3;
    return QString::number(xCoordinateTable[tableIndex(tick)], 'f', decimals);
}

QString HeightCahrtView_Y_QCPAxisTickerFixed::getTickLabel(double tick, const QLocale&, QChar, int) {
    // Rows count downwards from 0.
    return QString("%1").arg(std::fabs(tick), 0, 'g');
}

HeightCahrtView::HeightCahrtView(QWidget* parent) : QCustomPlot(parent) {
    readout_ = new ABAreaWidgets(this);
    connect(&timer_, &QTimer::timeout, this, &HeightCahrtView::slot_OnTimmerTask);
    timer_.start(200);
    setUpPlot();
    readout_->hide();
    connect(lines_.data(), &qcustomplot_alline::signal_ABChange, this, &HeightCahrtView::forwardABChange);
}

HeightCahrtView::~HeightCahrtView() = default;

void HeightCahrtView::setUpPlot() {
    QCPGraph* first = addGraph();
    first->setSelectable(QCP::stNone);
    first->setPen(QPen(QColor(255, 255, 0)));

    setBackground(QBrush(Qt::black));
    for (QCPAxis* axis : {xAxis, yAxis}) {
        axis->setBasePen(QPen(Qt::white));
        axis->setTickPen(QPen(Qt::white));
        axis->setSubTickPen(QPen(Qt::white));
        axis->setLabelColor(Qt::white);
        axis->setTickLabelColor(Qt::white);
        axis->grid()->setVisible(false);
    }
    axisRect()->setupFullAxesBox(false);
    for (QCPAxis* axis : {xAxis2, yAxis2}) {
        axis->setBasePen(QPen(kFrameColour));
        axis->setTickPen(QPen(kFrameColour));
        axis->setSubTickPen(QPen(kFrameColour));
        axis->setTickLabels(false);
        axis->grid()->setVisible(false);
    }
    yAxis2->setLabel(QStringLiteral(" "));

    xAxis->setRange(defaultXLower_, defaultXUpper_);
    yAxis->setRange(defaultYLower_, defaultYUpper_);

    // Image row r lies at y = -r.
    pixmapItem_ = new QCPItemPixmap(this);
    pixmapItem_->setScaled(true, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    pixmapItem_->topLeft->setCoords(0, 0);
    pixmapItem_->bottomRight->setCoords(5999, -30000);

    xTicker_.reset(new HeightCahrtView_QCPAxisTickerFixed);
    xTicker_->setScaleStrategy(QCPAxisTickerFixed::ssNone);
    xTicker_->setTickStep(4096.0 / 8);
    xAxis->setTicker(xTicker_);
    yTicker_.reset(new HeightCahrtView_Y_QCPAxisTickerFixed);
    yTicker_->setScaleStrategy(QCPAxisTickerFixed::ssNone);
    yTicker_->setTickStep(30000.0 / 10);
    yAxis->setTicker(yTicker_);

    lines_.reset(new qcustomplot_alline(this, false));
}

void HeightCahrtView::setHeightPixmap(QPixmap picture, int rows) {
    if (pixmapItem_ && !picture.isNull()) {
        pixmapItem_->setPixmap(picture);
        if (rows != lastRows_) {
            pixmapItem_->bottomRight->setCoords(defaultXUpper_, -rows);
            lastRows_ = rows;
        }
    }
    drawGridLines(yDivisions_, xDivisions_);
    replot(rpQueuedReplot);
}

void HeightCahrtView::setRowCount(double rows) { defaultYLower_ = -rows; }

void HeightCahrtView::setXCoordinates(QVector<double> x) {
    if (xCoordinateTable.isEmpty()) xCoordinateTable.resize(x.size());
    if (x.size() < xCoordinateTable.size() || x.isEmpty()) return;
    // A profile whose two ends are 0 carries no coordinates.
    if (x.first() == 0.0 && x.last() == 0.0) return;
    // The table grows to the longest profile, so no point is left without its coordinate.
    xCoordinateTable = x;
    defaultXUpper_ = x.size() - 1;
    pixmapItem_->bottomRight->setCoords(defaultXUpper_, pixmapItem_->bottomRight->coords().y());
    drawGridLines(yDivisions_, xDivisions_);
    replot(rpQueuedReplot);
}

void HeightCahrtView::resetRange() {
    xAxis->setRange(defaultXLower_, defaultXUpper_);
    yAxis->setRange(defaultYLower_, defaultYUpper_);
    emitRangeX();
    emitRangeY();
    updateTickSteps();
}

void HeightCahrtView::redrawGrid() {
    drawGridLines(yDivisions_, xDivisions_);
    replot(rpQueuedReplot);
}

void HeightCahrtView::showCursors() {
    const QCPRange x = xAxis->range();
    const double third = x.size() / 3;
    lines_->setAB(x.lower + third, x.upper - third);
    lines_->showLines();
    replot(rpQueuedReplot);
    if (lines_->record().visible) placeReadout();
}

void HeightCahrtView::hideCursors() {
    lines_->hideLines();
    readout_->hide();
}

void HeightCahrtView::placeReadout() {
    readout_->setGeometry(width() - 225, height() - 100, 200, 70);
    readout_->show();
}

void HeightCahrtView::scrollX(double x) {
    xAxis->setRange(x, x + xAxis->range().size());
    updateTickSteps();
}

void HeightCahrtView::scrollY(double y) {
    yAxis->setRange(y - yAxis->range().size(), y);
    updateTickSteps();
}

void HeightCahrtView::zoomInX() {
    if (xZoomCount_ >= xZoomLimit_) return;
    ++xZoomCount_;
    const QCPRange r = xAxis->range();
    xAxis->setRange(r.lower + xZoomStep_, r.upper - xZoomStep_);
    emitRangeX();
    updateTickSteps();
}

void HeightCahrtView::zoomOutX() {
    if (xZoomCount_ <= 0) return;
    --xZoomCount_;
    xAxis->setRange(widened(xAxis->range(), xZoomStep_, defaultXLower_, defaultXUpper_));
    emitRangeX();
    updateTickSteps();
}

void HeightCahrtView::zoomInY() {
    if (yZoomCount_ >= yZoomLimit_) return;
    ++yZoomCount_;
    const QCPRange r = yAxis->range();
    yAxis->setRange(r.lower + yZoomStep_, r.upper - yZoomStep_);
    emitRangeY();
    updateTickSteps();
}

void HeightCahrtView::zoomOutY() {
    if (yZoomCount_ <= 0) return;
    --yZoomCount_;
    yAxis->setRange(widened(yAxis->range(), yZoomStep_, defaultYLower_, defaultYUpper_));
    emitRangeY();
    updateTickSteps();
}

QCPRange HeightCahrtView::widened(const QCPRange& range, double step, double lower, double upper) {
    const double width = range.size() + 2 * step;
    if (width >= upper - lower) return QCPRange(lower, upper);
    // A range scrolled near a default bound is shifted back inside, keeping its width.
    if (range.lower - step < lower) return QCPRange(lower, lower + width);
    if (range.upper + step > upper) return QCPRange(upper - width, upper);
    return QCPRange(range.lower - step, range.upper + step);
}

void HeightCahrtView::emitRangeX() {
    const QCPRange r = xAxis->range();
    emit signal_rangChangeX(QPointF(static_cast<int>(r.lower), static_cast<int>(r.upper)), defaultXLower_,
                            defaultXUpper_);
}

void HeightCahrtView::emitRangeY() {
    const QCPRange r = yAxis->range();
    emit signal_rangChangeY(QPointF(static_cast<int>(r.lower), static_cast<int>(r.upper)), defaultYLower_,
                            defaultYUpper_);
}

void HeightCahrtView::updateTickSteps() {
    const QCPRange x = xAxis->range();
    xTicker_->setTickStep(x.size() / xDivisions_);
    xTicker_->setTickOrigin(x.lower);
    const QCPRange y = yAxis->range();
    yTicker_->setTickStep(y.size() / yDivisions_);
    yTicker_->setTickOrigin(y.lower);
}

void HeightCahrtView::drawGridLines(int yDivisions, int xDivisions) {
    const int total = yDivisions + xDivisions;
    if (gridGraphs_.isEmpty() && total != 0) {
        QPen pen(kFrameColour, 1, Qt::DashLine);
        for (int i = 0; i < total; ++i) {
            QCPGraph* graph = addGraph();
            graph->setPen(pen);
            graph->setSelectable(QCP::stNone);
            gridGraphs_.append(graph);
        }
    }
    if (gridGraphs_.size() != total) return;
    const QCPRange x = xAxis->range();
    const QCPRange y = yAxis->range();
    const double b = x.lower, c = x.upper, d = y.lower, e = y.upper;
    const int step = static_cast<int>((e - d) / yDivisions);
    int g = step;
    for (int k = 0; k < yDivisions; ++k, g += step) {
        const double at = static_cast<int>(e - g);
        gridGraphs_[k]->setData(QVector<double>{b, c}, QVector<double>{at, at}, true);
    }
    const int h = static_cast<int>((c - b) / xDivisions);
    int l = h;
    for (int k = 0; k < xDivisions; ++k, l += h) {
        const double at = static_cast<int>(c - l);
        gridGraphs_[yDivisions + k]->setData(QVector<double>{at, at}, QVector<double>{d, e}, true);
    }
}

void HeightCahrtView::forwardABChange(qcustomplot_alline::ABStruct abval) {
    if (xCoordinateTable.isEmpty()) return;
    qcustomplot_alline::ABStruct shown = abval;
    shown.mode = 1;
    shown.A = xCoordinateTable[tableIndex(abval.A)];
    shown.B = xCoordinateTable[tableIndex(abval.B)];
    readout_->slot_recvabdatas(shown);
}

void HeightCahrtView::slot_OnTimmerTask() {}

void HeightCahrtView::mouseDoubleClickEvent(QMouseEvent* event) {
    QCustomPlot::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton) return;
    xAxis->setRange(defaultXLower_, defaultXUpper_);
    yAxis->setRange(defaultYLower_, defaultYUpper_);
    emitRangeX();
    emitRangeY();
    updateTickSteps();
}

void HeightCahrtView::resizeEvent(QResizeEvent* event) {
    QCustomPlot::resizeEvent(event);
    if (lines_ && lines_->record().visible) placeReadout();
    update();
}
