#include "views/profile/kx_outline_widget.h"

#include <cmath>

#include "sensor_client/linelaser_client.h"

namespace {

// The height at the first point whose x reaches v; the previous height when
// none does.
double heightAt(const QVector<float>& x, const QVector<float>& z, double v, double previous) {
    for (int i = 0; i < x.size(); ++i)
        if (static_cast<double>(x[i]) >= v) return z[i];
    return previous;
}

}  // namespace

KxOutlineWidget::KxOutlineWidget(QWidget* parent) : OutlineWidget(parent), readout_(this) {
    qRegisterMetaType<tevu::laser_correction>("tevu::laser_correction");
    record_.horizontal = true;
    canvas().setMargins(60, 15, 15, 30);
    canvas().toggleYFlip();
    applyClientRanges();
    update();
    readout_.hide();
}

void KxOutlineWidget::applyClientRanges() {
    const LinelaserClient& client = *linelaserClient();
    const double h = client.halfWidthMm;
    const double zLo = client.zLowerMm;
    const double zHi = client.zUpperMm;
    const float xLo = static_cast<float>(-h), xHi = static_cast<float>(h);
    const float yLo = static_cast<float>(zLo * 0.1 + zLo), yHi = static_cast<float>(zHi * 0.1 + zHi);
    canvas().setXRange(xLo, xHi);
    canvas().setYRange(yLo, yHi);
    canvas().setXLimits(xLo, xHi);
    canvas().setYLimits(yLo, yHi);
}

void KxOutlineWidget::resetRanges() {
    applyClientRanges();
    update();
}

void KxOutlineWidget::setOutlineData(QVector<double> x, QVector<double> z) {
    // Each delivery brings its own length; x never shorter than what is read.
    const int n = std::min(x.size(), z.size());
    x_.resize(n);
    z_.resize(n);
    for (int i = 0; i < n; ++i) {
        x_[i] = static_cast<float>(x[i]);
        z_[i] = static_cast<float>(z[i]);
    }
    canvas().setData(x_, z_, QStringLiteral("yellow"), QStringLiteral("black"));
    update();
    if (cursorMode_ == 0) updateCursorReadout(0, 0, 0);
}

void KxOutlineWidget::updateCursorReadout(int mode, double a, double b) {
    if (a != b || std::isnan(a) || std::isnan(b)) {
        record_.A = a;
        record_.B = b;
    }
    cursorMode_ = mode;
    record_.mode = 0;
    if (mode != 0) {
        record_.horizontal = true;
        readout_.slot_recvabdatas(record_);
        return;
    }
    publishXReadout();
}

void KxOutlineWidget::publishXReadout() {
    record_.horizontal = false;
    record_.zA = heightAt(x_, z_, record_.A, record_.zA);
    record_.zB = heightAt(x_, z_, record_.B, record_.zB);
    readout_.slot_recvabdatas(record_);
}

void KxOutlineWidget::placeReadout() {
    readout_.setGeometry(width() - 225, height() - 100, 200, 70);
    readout_.show();
}

void KxOutlineWidget::showXCursors(bool on) {
    if (!on) {
        readout_.hide();
        canvas().clearXCursors();
        return;
    }
    placeReadout();
    cursorMode_ = 0;
    const auto range = canvas().xRange();
    canvas().addXCursorPair(range.first * 0.5f, range.second * 0.5f);
    // The read-out starts with the pair just placed, not with the last one.
    const auto& lines = canvas().xCursors();
    record_.A = lines[lines.size() - 2].x1;
    record_.B = lines[lines.size() - 1].x1;
    record_.mode = 0;
    publishXReadout();
}

void KxOutlineWidget::showZCursors(bool on) {
    if (!on) {
        readout_.hide();
        canvas().clearZCursors();
        return;
    }
    placeReadout();
    cursorMode_ = 1;
    const auto range = canvas().yRange();
    canvas().addZCursorPair(range.first * 0.5f, range.second * 0.5f);
    const auto& lines = canvas().zCursors();
    record_.A = lines[lines.size() - 2].y1;
    record_.B = lines[lines.size() - 1].y1;
    record_.mode = 0;
    record_.horizontal = true;
    readout_.slot_recvabdatas(record_);
}

void KxOutlineWidget::showCorrectionAreas(tevu::laser_correction correction) {
    if (correction.mode == 0) {
        canvas().clearAreas();
        return;
    }
    canvas().setAreaPair(static_cast<float>(correction.area1Begin), static_cast<float>(correction.area1End),
                         static_cast<float>(correction.area2Begin), static_cast<float>(correction.area2End));
}
