#include "views/height/d3dheight_set.h"

#include <QDebug>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const char* const kGreyBar = ":/res/res/imgs/gray.png";
const char* const kGradientBar = ":/res/res/img2/img-jianbian.png";

}  // namespace

d3dheight_set::d3dheight_set(QWidget* parent) : QWidget(parent), barPicture_(QString::fromLatin1(kGreyBar)) {
    setMouseTracking(true);
    barRect_ = QRect(QPoint(kBarLeft, kTop), QPoint(kBarRight, kTop + kBarHeight));
    histogramRect_ = QRect(QPoint(kHistogramLeft, kTop), QPoint(kHistogramLeft + kHistogramLength, kTop + kBarHeight));
}

void d3dheight_set::setRange(double min, double max) {
    min_ = min;
    max_ = max;
}

double d3dheight_set::valueAt(int y) const {
    return static_cast<double>(kBarHeight + kTop - y) / kBarHeight * (max_ - min_) + min_;
}

double d3dheight_set::rowOf(double value) const {
    if (!rangeUsable()) return kTop;
    return (1.0 - (value - min_) / (max_ - min_)) * kBarHeight + kTop;
}

void d3dheight_set::countHeights(const std::vector<std::vector<double>>& rows, int rowCount, int pointCount,
                                 double zLower) {
    if (rowCount <= 0 || static_cast<int>(rows.size()) < rowCount) return;
    if (counts_.empty()) counts_.resize(kBarHeight);
    std::fill(counts_.begin(), counts_.end(), 0);
    if (rangeUsable()) {
        const double span = max_ - min_;
        const int bins = static_cast<int>(counts_.size());
        for (int r = 0; r + 1 < rowCount; ++r) {
            const std::vector<double>& row = rows[static_cast<size_t>(r)];
            const int n = std::min(pointCount, static_cast<int>(row.size()));
            for (int c = 0; c < n; ++c) {
                const double h = row[static_cast<size_t>(c)];
                if (h < zLower || h < min_) continue;
                const double at = (1.0 - (h - min_) / span) * kBarHeight;
                if (!(at > -1.0 && at < bins)) continue;  // truncated toward zero, as the bins are
                ++counts_[static_cast<size_t>(static_cast<int>(at))];
            }
        }
    }
    computeBarLengths();
    update();
}

void d3dheight_set::computeBarLengths() {
    lengths_.assign(counts_.size(), 0);
    const int largest = counts_.empty() ? 0 : *std::max_element(counts_.begin(), counts_.end());
    if (largest == 0) return;  // nothing counted: no bars
    for (size_t i = 0; i < counts_.size(); ++i)
        lengths_[i] = static_cast<int>(static_cast<double>(counts_[i]) / largest * kHistogramLength + 0.99);
}

void d3dheight_set::setHandleValues(double lower, double upper) {
    if (rangeUsable()) {
        auto onBar = [](double y) { return std::clamp(static_cast<int>(y), kTop, kTop + kBarHeight); };
        lowerY_ = onBar(rowOf(lower));
        upperY_ = onBar(rowOf(upper));
    } else {
        // An empty range has no inside: the handles go to the bar's ends.
        upperY_ = kTop;
        lowerY_ = kTop + kBarHeight;
    }
    update();
}

void d3dheight_set::useGradient(bool on) {
    barPicture_ = QPixmap(QString::fromLatin1(on ? kGradientBar : kGreyBar));
    update();
}

void d3dheight_set::autoAdjust(bool upperFirst) {
    lastPriority_ = upperFirst;
    const int n = static_cast<int>(lengths_.size());
    if (n == 0) return;  // no histogram yet: nothing to adjust to
    const double wellFilled = kHistogramLength * 0.3;
    const double nearlyEmpty = kHistogramLength * 0.05;
    auto L = [&](int i) { return lengths_[static_cast<size_t>(i)]; };

    int start = 0;
    if (upperFirst) {
        for (int i = 0; i < n; ++i)
            if (L(i) > wellFilled) {
                start = i;
                break;
            }
    } else {
        for (int i = n - 1; i >= 0; --i)
            if (L(i) > wellFilled) {
                start = i;
                break;
            }
    }
    int upperEdge = -1;
    int lowerEdge = -1;
    for (int i = start; i <= n - 2; ++i) {
        const int u = 2 * start - i;
        if (upperEdge < 0 && u > 4 && L(u) <= nearlyEmpty && L(u - 1) <= nearlyEmpty && L(u - 2) <= nearlyEmpty)
            upperEdge = u;
        const int j = i + 1;
        if (lowerEdge < 0 && j < n - 4 && L(j) <= nearlyEmpty && L(j + 1) <= nearlyEmpty && L(j + 2) <= nearlyEmpty)
            lowerEdge = j;
    }
    upperY_ = kTop + (upperEdge >= 0 ? upperEdge : 0);
    lowerY_ = kTop + (lowerEdge >= 0 ? lowerEdge : n - 1);
    update();
    reportRange();
}

void d3dheight_set::reportRange() {
    const double lower = valueAt(lowerY_);
    const double upper = valueAt(upperY_);
    qDebug().noquote() << QStringLiteral("upval:%1,downval:%2").arg(upper).arg(lower);
    emit signal_now_range_change(static_cast<float>(lower), static_cast<float>(upper));
}

void d3dheight_set::paintEvent(QPaintEvent*) {
    if (!painted_) {
        borderWidth_ = width() - 2;
        borderHeight_ = height() - 2;
        painted_ = true;
    }
    QPainter painter(this);
    painter.setPen(Qt::white);
    painter.drawRect(0, 0, borderWidth_, borderHeight_);
    painter.drawPixmap(barRect_, barPicture_);
    painter.setPen(Qt::green);
    painter.setBrush(Qt::white);
    painter.drawRect(histogramRect_);
    painter.setBrush(Qt::NoBrush);

    painter.setPen(Qt::black);
    painter.drawLine(barRect_.topRight(), QPoint(kHandleLineX, upperY_));
    painter.drawLine(barRect_.bottomRight(), QPoint(kHandleLineX, lowerY_));
    painter.setPen(QColor(255, 128, 0));
    const int right = kHistogramLeft + kHistogramLength;
    painter.drawLine(kHandleLineX, upperY_, right, upperY_);
    painter.drawLine(kHandleLineX, lowerY_, right, lowerY_);

    painter.setPen(QColor(0, 0, 200));
    for (size_t row = 0; row < lengths_.size(); ++row) {
        const int length = lengths_[row];
        if (length <= 0) continue;
        // Short bars are drawn doubled so that they can be seen.
        const int drawn = length < 0.2 * kHistogramLength ? 2 * length : length;
        const int y = kTop + static_cast<int>(row);
        painter.drawLine(kHistogramLeft, y, kHistogramLeft + drawn, y);
    }
}

void d3dheight_set::mousePressEvent(QMouseEvent* event) {
    if (!onHistogram(event->pos().x())) return;
    const int y = event->pos().y();
    if (std::abs(y - upperY_) <= 3)
        dragState_ = 1;
    else if (std::abs(y - lowerY_) < 4)
        dragState_ = 2;
    else
        dragState_ = 0;
}

void d3dheight_set::mouseMoveEvent(QMouseEvent* event) {
    if (!onHistogram(event->pos().x())) return;
    const int y = event->pos().y();
    const bool nearHandle = std::abs(y - upperY_) <= 2 || std::abs(y - lowerY_) <= 2;
    setCursor(nearHandle ? Qt::SizeVerCursor : Qt::ArrowCursor);
    // The handles stay on the bar and never cross.
    if (dragState_ == 1 && y >= kTop && y < lowerY_) {
        upperY_ = y;
        reportRange();
    } else if (dragState_ == 2 && y > upperY_ && y <= kTop + kBarHeight) {
        lowerY_ = y;
        reportRange();
    }
    update();
}

void d3dheight_set::mouseReleaseEvent(QMouseEvent*) { dragState_ = 0; }
