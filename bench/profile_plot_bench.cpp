// Rendering of the live profile plot: one frame (grid, labels, curve, a
// cursor pair) into the profile window's size and into a full-HD plot, for a
// 6000-point profile like the simulator's scene and for noise that defeats
// the curve's thinning. At 50 profiles a second the frame period is 20 ms.
// Beside it, in the same run, the peers drawing the same points into an image
// of the same size: QPainter's antialiased polyline over the background (one
// polyline per stretch of valid points, clipped to the plot) and QCustomPlot
// (a graph of the points, gaps as NaN, with its own axes).
#include <QApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <qcustomplot.h>
#include <random>

#include "res/fonts.h"
#include "views/profile/kx_outline_widget.h"
#include "views/profile/outline_canvas.h"

namespace {

constexpr int kPoints = 6000;
constexpr float kHalfWidth = 8.0f;

// A plane at 0 mm with a 2 mm step over the third quarter of the line and a
// few short gaps of invalid points.
void sceneProfile(QVector<float>& x, QVector<float>& z) {
    x.resize(kPoints);
    z.resize(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        x[i] = -kHalfWidth + 2 * kHalfWidth * i / (kPoints - 1);
        z[i] = (i >= kPoints / 2 && i < kPoints * 3 / 4) ? 2.0f : 0.0f;
        if (i % 997 < 4) z[i] = -9999.0f;
    }
}

enum class Profile { Scene, RoughScene, FullRangeNoise };

// The scene with noise that defeats the thinning: a rough surface (heights
// +-0.5 mm about the scene, jumps of tens of pixels from point to point), or
// heights spread over the whole measuring range (jumps of hundreds of pixels,
// the most line a profile can draw).
void makeProfile(Profile kind, QVector<float>& x, QVector<float>& z) {
    sceneProfile(x, z);
    if (kind == Profile::Scene) return;
    std::mt19937 random(7);
    const float amplitude = kind == Profile::RoughScene ? 0.5f : 6.0f;
    std::uniform_real_distribution<float> noise(-amplitude, amplitude);
    for (float& v : z) v = (kind == Profile::RoughScene && v != -9999.0f ? v : 0.0f) + noise(random);
}

void setUpPlot(OutlineCanvas& canvas, QSize size, Profile kind) {
    canvas.setMargins(60, 15, 15, 30);
    canvas.resize(size);
    canvas.toggleYFlip();
    canvas.setXRange(-kHalfWidth, kHalfWidth);
    canvas.setYRange(-6.6f, 6.6f);
    canvas.setXLimits(-kHalfWidth, kHalfWidth);
    canvas.setYLimits(-6.6f, 6.6f);
    QVector<float> x, z;
    makeProfile(kind, x, z);
    canvas.setData(x, z, "yellow", "black");
    canvas.addXCursorPair(-4, 4);
}

const char* profileName(int64_t kind) {
    static const char* const names[] = {"scene", "rough scene", "full-range noise"};
    return names[kind];
}

void BM_Render(benchmark::State& state) {
    const QSize size(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const auto kind = static_cast<Profile>(state.range(2));
    OutlineCanvas canvas;
    setUpPlot(canvas, size, kind);
    for (auto _ : state) {
        canvas.render();
        benchmark::DoNotOptimize(canvas.image().constBits());
    }
    int kept = 0;
    for (const QPolygonF& run : canvas.curveRuns()) kept += run.size();
    state.counters["kept_points"] = kept;
    state.SetLabel(profileName(state.range(2)));
}

// The peer: the same points mapped as the plot maps them, the background
// filled and each stretch of valid points drawn as one antialiased polyline.
void BM_QPainterPolyline(benchmark::State& state) {
    const QSize size(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const auto kind = static_cast<Profile>(state.range(2));
    OutlineCanvas canvas;
    setUpPlot(canvas, size, kind);
    QVector<QVector<QPointF>> stretches(1);
    for (const OutlineCanvas::PlotPoint& p : canvas.points()) {
        if (p.y == -9999.0f) {
            if (!stretches.last().isEmpty()) stretches.append(QVector<QPointF>());
            continue;
        }
        stretches.last().append(QPointF(canvas.toPixelX(p.x), canvas.toPixelY(p.y)));
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    const QRect plot(static_cast<int>(canvas.plotLeft()), static_cast<int>(canvas.plotTop()),
                     static_cast<int>(canvas.plotWidth()), static_cast<int>(canvas.plotHeight()));
    for (auto _ : state) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.fillRect(image.rect(), Qt::black);
        painter.setClipRect(plot);
        painter.setPen(QPen(QBrush(Qt::yellow), 1));
        for (const QVector<QPointF>& stretch : stretches) painter.drawPolyline(stretch.constData(), stretch.size());
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(profileName(state.range(2)));
}

// The peer: QCustomPlot drawing the same points (invalid ones as NaN, its
// gaps) with its axes into an image of the same size.
void BM_QCustomPlot(benchmark::State& state) {
    const QSize size(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const auto kind = static_cast<Profile>(state.range(2));
    QVector<float> xf, zf;
    makeProfile(kind, xf, zf);
    QVector<double> x(xf.size()), z(zf.size());
    for (int i = 0; i < xf.size(); ++i) {
        x[i] = xf[i];
        z[i] = zf[i] == -9999.0f ? std::nan("") : zf[i];
    }
    QCustomPlot plot;
    plot.resize(size);
    plot.setBackground(Qt::black);
    plot.addGraph();
    plot.graph(0)->setPen(QPen(QBrush(Qt::yellow), 1));
    plot.graph(0)->setData(x, z, true);
    plot.graph(0)->setAntialiased(true);
    plot.xAxis->setRange(-kHalfWidth, kHalfWidth);
    plot.yAxis->setRange(-6.6, 6.6);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QCPPainter painter(&image);
        plot.toPainter(&painter, size.width(), size.height());
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(profileName(state.range(2)));
}

// Our frame and its peers side by side for each size and profile.
void plotSizesAndProfiles(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h", "profile"})
        ->ArgsProduct({{667}, {581}, {0, 1, 2}})
        ->ArgsProduct({{1920}, {1080}, {0, 1, 2}})
        ->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_Render)->Apply(plotSizesAndProfiles);
BENCHMARK(BM_QPainterPolyline)->Apply(plotSizesAndProfiles);
BENCHMARK(BM_QCustomPlot)->Apply(plotSizesAndProfiles);

// A new profile handed to the live plot as the profile window does it (its
// own copy, the canvas data and, with X cursors shown, the read-out).
void BM_SetOutlineData(benchmark::State& state) {
    KxOutlineWidget plot;
    plot.resize(1920, 1080);
    QVector<float> xf, zf;
    sceneProfile(xf, zf);
    QVector<double> x(xf.begin(), xf.end()), z(zf.begin(), zf.end());
    plot.setOutlineData(x, z);
    if (state.range(0) != 0) plot.showXCursors(true);
    for (auto _ : state) {
        plot.setOutlineData(x, z);
        benchmark::DoNotOptimize(plot.canvas().points().constData());
    }
    state.SetLabel(state.range(0) != 0 ? "x cursors shown" : "no cursors");
}
BENCHMARK(BM_SetOutlineData)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    mirevo::installProgramFonts();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
