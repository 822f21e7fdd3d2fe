#include "views/height/height_chart_view.h"

#include <QFontMetrics>
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

QString xTickLabel(double tick) {
    if (xCoordinateTable.isEmpty()) return QStringLiteral("0");
    const int decimals = xCoordinateTable.first() == 0.0 ? 0 : 3;
    return QString::number(xCoordinateTable[tableIndex(tick)], 'f', decimals);
}

// Of an axis's divisions, as many as leave room for their labels: a divisor of
// the given count, so that the ticks stay on the grid lines; 0 when not even
// the two end labels fit.
int fittingDivisions(int divisions, double axisPixels, double labelPixels) {
    for (int d = divisions; d > 0; --d)
        if (divisions % d == 0 && axisPixels / d >= labelPixels) return d;
    return 0;
}

// The tick step for a count of divisions; none fitting leaves the first tick alone.
double tickStep(double size, int divisions) { return divisions > 0 ? size / divisions : 2 * size; }

}  // namespace

QString HeightCahrtView_QCPAxisTickerFixed::getTickLabel(double tick, const QLocale&, QChar, int) {
    return xTickLabel(tick);
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

    // The axes' lengths are known after each layout: a size that no longer
    // fits the labels' count gets another count and one more replot.
    connect(this, &QCustomPlot::afterLayout, this, [this] {
        if (updateTickSteps()) replot(rpQueuedReplot);
    });
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

bool HeightCahrtView::updateTickSteps() {
    const QCPRange x = xAxis->range();
    const QCPRange y = yAxis->range();
    // Labels that would run together are thinned out: a label and a gap of
    // two digits per division at least.
    const QFontMetrics xMetrics(xAxis->tickLabelFont());
    int widest = 0;
    for (int i = 0; i <= xDivisions_; ++i)
        widest = std::max(widest, xMetrics.horizontalAdvance(xTickLabel(x.lower + i * x.size() / xDivisions_)));
    const int xShown = fittingDivisions(xDivisions_, axisPixels(xAxis->axisRect()->width(), width()),
                                        widest + 2 * xMetrics.horizontalAdvance(QLatin1Char('0')));
    const QFontMetrics yMetrics(yAxis->tickLabelFont());
    const int yShown = fittingDivisions(yDivisions_, axisPixels(yAxis->axisRect()->height(), height()),
                                        1.5 * yMetrics.height());
    const double xStep = tickStep(x.size(), xShown), yStep = tickStep(y.size(), yShown);
    const bool changed = xTicker_->tickStep() != xStep || xTicker_->tickOrigin() != x.lower ||
                         yTicker_->tickStep() != yStep || yTicker_->tickOrigin() != y.lower;
    xTicker_->setTickStep(xStep);
    xTicker_->setTickOrigin(x.lower);
    yTicker_->setTickStep(yStep);
    yTicker_->setTickOrigin(y.lower);
    return changed;
}

double HeightCahrtView::axisPixels(int laidOut, int widgetExtent) {
    // Before the first layout the axis rectangle has no size yet: the widget's
    // less the usual margins stands in for it.
    return laidOut > 0 ? laidOut : std::max(0, widgetExtent - 80);
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
