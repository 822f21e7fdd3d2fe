#include "views/height/qcustomplot_alline.h"

#include <qcustomplot.h>

#include <cmath>

namespace {

const QColor kNormalColour(0, 255, 255);
const QColor kLinkedColour(145, 206, 250);

QCPItemText* makeTag(QCustomPlot* plot, const QString& text) {
    auto* tag = new QCPItemText(plot);
    tag->setLayer(QStringLiteral("overlay"));
    tag->setClipToAxisRect(false);
    tag->position->setType(QCPItemPosition::ptPlotCoords);
    tag->setPositionAlignment(Qt::AlignLeft);
    tag->setPadding(QMargins(3, 0, 3, 0));
    tag->setText(text);
    tag->setVisible(false);
    return tag;
}

}  // namespace

qcustomplot_alline::qcustomplot_alline(QCustomPlot* plot, bool horizontal, QObject* parent)
    : QObject(parent), plot_(plot) {
    qRegisterMetaType<qcustomplot_alline::ABStruct>("qcustomplot_alline::ABStruct");
    ab_.horizontal = horizontal;
    lineA_ = plot_->addGraph();
    lineB_ = plot_->addGraph();
    lineA_->setPen(QPen(kNormalColour));
    lineB_->setPen(QPen(kNormalColour));
    tagA_ = makeTag(plot_, QStringLiteral("A"));
    tagB_ = makeTag(plot_, QStringLiteral("B"));
    colourTags(false);

    connect(plot_->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, &qcustomplot_alline::relayout);
    connect(plot_->yAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, &qcustomplot_alline::relayout);
    connect(plot_, &QCustomPlot::mousePress, this, &qcustomplot_alline::onMousePress);
    connect(plot_, &QCustomPlot::mouseMove, this, &qcustomplot_alline::onMouseMove);
    connect(plot_, &QCustomPlot::mouseRelease, this, &qcustomplot_alline::onMouseRelease);
    connect(plot_, &QCustomPlot::mouseWheel, this, &qcustomplot_alline::onMouseWheel);
}

void qcustomplot_alline::setAB(double a, double b) {
    if (ab_.linked) {
        if (a != ab_.A) {
            ab_.B = ab_.B - ab_.A + a;
            ab_.A = a;
        } else if (b != ab_.B) {
            const double distance = ab_.B - ab_.A;
            ab_.B = b;
            ab_.A = b - distance;
        }
    } else {
        ab_.A = a;
        ab_.B = b;
    }
    emit signal_ABChange(ab_);
}

void qcustomplot_alline::showLines() {
    ab_.visible = true;
    if (ab_.horizontal) {
        const QCPRange x = plot_->xAxis->range();
        lineA_->setData(QVector<double>{x.lower, x.upper}, QVector<double>{ab_.A, ab_.A});
        lineB_->setData(QVector<double>{x.lower, x.upper}, QVector<double>{ab_.B, ab_.B});
        tagA_->position->setCoords(x.lower, ab_.A);
        tagB_->position->setCoords(x.lower, ab_.B);
    } else {
        const QCPRange y = plot_->yAxis->range();
        // Two points on one key draw a vertical segment.
        lineA_->setData(QVector<double>{ab_.A, ab_.A}, QVector<double>{y.lower, y.upper}, true);
        lineB_->setData(QVector<double>{ab_.B, ab_.B}, QVector<double>{y.lower, y.upper}, true);
        tagA_->position->setCoords(ab_.A, y.upper);
        tagB_->position->setCoords(ab_.B, y.upper);
    }
    tagA_->setVisible(true);
    tagB_->setVisible(true);
}

void qcustomplot_alline::hideLines() {
    ab_.visible = false;
    tagA_->setVisible(false);
    tagB_->setVisible(false);
    lineA_->data()->clear();
    lineB_->data()->clear();
    plot_->setCursor(Qt::ArrowCursor);
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void qcustomplot_alline::setLinked(bool on) {
    ab_.linked = on;
    colourTags(on);
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void qcustomplot_alline::colourTags(bool linked) {
    const QColor colour = linked ? kLinkedColour : kNormalColour;
    for (QCPItemText* tag : {tagA_, tagB_}) {
        tag->setBrush(QBrush(colour));
        tag->setPen(QPen(colour));
    }
}

void qcustomplot_alline::relayout() {
    if (!ab_.visible) return;
    showLines();
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

double qcustomplot_alline::position(const QMouseEvent* event) const {
    return ab_.horizontal ? plot_->yAxis->pixelToCoord(event->pos().y()) : plot_->xAxis->pixelToCoord(event->pos().x());
}

double qcustomplot_alline::tolerance() const { return ab_.horizontal ? horizontalTolerance_ : kVerticalTolerance; }

void qcustomplot_alline::onMousePress(QMouseEvent* event) {
    if (!ab_.visible) return;
    ab_.dragState = 0;
    const double p = position(event);
    const double t = tolerance();
    // Strict: a press exactly at the tolerance takes nothing; A wins a tie.
    if (t > std::fabs(p - ab_.A))
        ab_.dragState = 1;
    else if (t > std::fabs(p - ab_.B))
        ab_.dragState = 2;
}

void qcustomplot_alline::onMouseMove(QMouseEvent* event) {
    if (!ab_.visible) return;
    const QCPRange y = plot_->yAxis->range();
    horizontalTolerance_ = (y.upper - y.lower) / 28000.0 * 100.0;
    const double p = position(event);
    if (ab_.dragState == 1) {
        setAB(p, ab_.B);
        showLines();
    } else if (ab_.dragState == 2) {
        setAB(ab_.A, p);
        showLines();
    }
    const double t = tolerance();
    if (t > std::fabs(p - ab_.A) || t > std::fabs(p - ab_.B))
        plot_->setCursor(ab_.horizontal ? Qt::SizeVerCursor : Qt::SizeHorCursor);
    else
        plot_->setCursor(Qt::ArrowCursor);
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void qcustomplot_alline::onMouseRelease(QMouseEvent*) {
    if (!ab_.visible) return;
    ab_.dragState = 0;
}

void qcustomplot_alline::onMouseWheel(QWheelEvent*) {}
