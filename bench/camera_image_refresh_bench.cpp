// The camera image page at the largest camera (2048 x 1024): per frame the
// client's image and its 2048 peak rows change (the peaks move every frame),
// then the page's refresh (copy from the client, crop, conversion, the
// scene's redraw) and one offscreen paint of the page at its size. The raw
// image arrives every 50 ms; a frame should cost under a fifth of that.
// Reported per zoom level: median and worst frame in ms, the worst in the
// thread's own CPU time (a loaded machine's scheduling left out), the median
// of the refresh alone, and the frames that made new peak items (the redraw
// must move the items it has).
#include <QApplication>
#include <QElapsedTimer>
#include <QGraphicsRectItem>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

#include <time.h>

#include "res/resources.h"
#include "sensor_client/linelaser_client.h"
#include "views/camera/full_view_widget.h"
#include "views/camera/img_graphics_view.h"

namespace {

int64_t threadCpuNs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

constexpr int kColumns = 2048;
constexpr int kRows = 1024;

// What the client's image thread leaves behind for frame f: a column ramp
// shifted by f, and a laser line that wanders by a few rows per frame.
void storeClientFrame(LinelaserClient& client, int frame) {
    std::lock_guard<std::mutex> lock(client.imageMutex);
    if (client.rawImage.rows != kRows || client.rawImage.cols != kColumns)
        client.rawImage = cv::Mat(kRows, kColumns, CV_8UC1);
    for (int r = 0; r < kRows; ++r) {
        uint8_t* row = client.rawImage.ptr<uint8_t>(r);
        for (int c = 0; c < kColumns; ++c) row[c] = static_cast<uint8_t>(c + r + frame);
    }
    client.peakRows.resize(kColumns);
    for (int c = 0; c < kColumns; ++c)
        client.peakRows[static_cast<size_t>(c)] =
            static_cast<float>(kRows / 2 + 200.0 * std::sin((c + 7.0 * frame) / 150.0));
}

void BM_RefreshAndPaint(benchmark::State& state) {
    const int zoomLevel = static_cast<int>(state.range(0));
    LinelaserClient& client = *linelaserClient();
    FullViewWidget page;
    page.resize(658, 560);
    page.show();
    QImage target(page.size(), QImage::Format_ARGB32_Premultiplied);
    showfullimg& scene = *page.graphicsView()->scene;

    storeClientFrame(client, 0);
    page.refreshImage();
    scene.fitView();
    for (int i = 0; i < zoomLevel; ++i) scene.zoomIn();
    QApplication::processEvents();
    const QVector<QGraphicsRectItem*> firstSquares = scene.peakSquares();

    std::vector<double> frameMs;
    std::vector<double> frameCpuMs;
    std::vector<double> refreshMs;
    int frame = 1;
    int itemsRebuilt = 0;
    for (auto _ : state) {
        state.PauseTiming();
        storeClientFrame(client, frame++);
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        const int64_t cpuStart = threadCpuNs();
        page.refreshImage();
        refreshMs.push_back(timer.nsecsElapsed() / 1e6);
        {
            QPainter painter(&target);
            page.render(&painter);
        }
        frameMs.push_back(timer.nsecsElapsed() / 1e6);
        frameCpuMs.push_back((threadCpuNs() - cpuStart) / 1e6);
        if (scene.peakSquares() != firstSquares) ++itemsRebuilt;
    }
    std::sort(frameMs.begin(), frameMs.end());
    std::sort(refreshMs.begin(), refreshMs.end());
    if (!frameMs.empty()) {
        state.counters["median_ms"] = frameMs[frameMs.size() / 2];
        state.counters["worst_ms"] = frameMs.back();
        state.counters["worst_cpu_ms"] = *std::max_element(frameCpuMs.begin(), frameCpuMs.end());
        state.counters["refresh_median_ms"] = refreshMs[refreshMs.size() / 2];
    }
    state.counters["zoom"] = scene.zoomLevel();
    state.counters["frames_with_new_items"] = itemsRebuilt;
}

}  // namespace

BENCHMARK(BM_RefreshAndPaint)->Arg(0)->Arg(5)->Unit(benchmark::kMillisecond)->MinTime(3.0);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    mirevo::initResources();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
