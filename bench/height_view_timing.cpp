// The height view painting a batch while it arrives: the real client opened
// on a simulated 3200-point head, one batch of 10000 full-width rows streamed
// as fast as the socket takes them, the view offscreen. Reports the time from
// the first frame sent to the first picture with rows and to the complete
// picture, the delay of the complete picture after the last row was copied,
// pictures per second and the GUI thread's load while rows arrive, the time
// per painting tick and the longest hold of (and wait for) the batch lock,
// and the longest any one event kept the GUI thread (the view's ticks, the
// chart's replots, everything else), with the events above 16 ms.
//   height_view_timing [rows] [rounds]
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <time.h>

#include "sensor_client/app_settings.h"
#include "sensor_client/linelaser_client.h"
#include "sensor_interface/registry/hvq5_api.h"
#include "tests/support/client_sensor.h"
#include "tests/support/temp_dir.h"
#include "views/height/height_view.h"
#include "views/height/height_chart_view.h"

namespace {

using Clock = std::chrono::steady_clock;

int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

int64_t threadCpuNs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

double ms(int64_t ns) { return ns / 1e6; }

// Times every event the GUI thread delivers from its event loop (nested
// deliveries count within the outer one).
class TimedApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        if (depth_++ > 0) {
            const bool done = QApplication::notify(receiver, event);
            --depth_;
            return done;
        }
        const int64_t start = nowNs();
        const int64_t cpuStart = threadCpuNs();
        const bool done = QApplication::notify(receiver, event);
        const int64_t spent = nowNs() - start;
        const int64_t cpu = threadCpuNs() - cpuStart;
        --depth_;
        if (spent > longestNs) {
            longestNs = spent;
            longestWhat = QString("%1 (%2)").arg(receiver->metaObject()->className()).arg(event->type());
        }
        longestCpuNs = std::max(longestCpuNs, cpu);
        if (spent > 16000000) ++over16;
        return done;
    }
    void resetEvents() {
        longestNs = 0;
        longestCpuNs = 0;
        over16 = 0;
        longestWhat.clear();
    }

    int64_t longestNs = 0;
    int64_t longestCpuNs = 0;  // the GUI thread's own time in its longest event by that measure
    int over16 = 0;
    QString longestWhat;

private:
    int depth_ = 0;
};

// Times seen from a thread of its own, so the GUI thread's load does not blur them.
struct Watcher {
    std::atomic<bool> run{true};
    std::atomic<int64_t> firstFrameSent{-1};
    std::atomic<int64_t> firstRowCopied{-1};
    std::atomic<int64_t> lastRowCopied{-1};
    std::atomic<int64_t> lastFrameSent{-1};
    std::atomic<int> lastFrameCount{0};
    std::atomic<int> copies{0};  // times the client's row count of the batch grew
    std::thread thread;

    // Frames are counted from what the streamer had sent before; rows once
    // the client copies the batch of that number.
    void start(sensor_sim::BatchStreamer& streamer, LinelaserClient& client, int rows, int batchNumber) {
        const uint64_t sentBefore = streamer.framesSent();
        thread = std::thread([this, &streamer, &client, rows, batchNumber, sentBefore] {
            int lastCount = 0;
            while (run) {
                const int64_t t = nowNs();
                const uint64_t sentNow = streamer.framesSent() - sentBefore;
                if (firstFrameSent < 0 && sentNow > 0) firstFrameSent = t;
                if (lastFrameSent < 0 && sentNow >= static_cast<uint64_t>(rows)) lastFrameSent = t;
                const int count = client.batchNumber == batchNumber ? client.batchProfileCount.load() : 0;
                if (firstRowCopied < 0 && count > 0) firstRowCopied = t;
                if (lastRowCopied < 0 && count >= rows) lastRowCopied = t;
                if (count > lastCount) ++copies;
                lastCount = count;
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
        });
    }
    void stop() {
        run = false;
        if (thread.joinable()) thread.join();
    }
};

}  // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::max(10, std::atoi(argv[1])) : 10000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TimedApplication app(argc, argv);

    mirevo::test::TempDir work;
    mirevo::test::ScopedWorkingDir inWork(work.path());
    mirevo::test::ScopedEnv publicEnv("PUBLIC", work.path().string());
    mirevo::test::ScopedEnv configEnv("XDG_CONFIG_HOME", work.path().string());
    reopenAppSettings();

    mirevo::test::ClientSensorOptions options;
    options.preset.model = "ZP4100";  // series '4': 3200 points over 2048 columns
    options.knobs.batchMode = 1;
    options.batchLength = rows;
    options.streamedColumns = 2048;
    options.firstStreamedColumn = 0;
    mirevo::test::ClientSensor sensor("127.135.7.9", options);
    if (!sensor.start()) {
        std::fprintf(stderr, "the simulator cannot listen on %s\n", sensor.address().c_str());
        return 1;
    }
    LinelaserClient& client = *linelaserClient();
    int opened = -1;
    std::thread opener([&] { opened = client.open(QString::fromStdString(sensor.address()), 7); });
    opener.join();
    if (opened != 0) {
        std::fprintf(stderr, "open failed: %d\n", opened);
        return 1;
    }
    std::printf("head %s, %d points, %d rows per batch\n", client.headModelText.toLatin1().constData(),
                client.profilePointCount(), rows);

    HeightView view;
    view.resize(749, 735);
    view.show();
    view.updateLineAxis();
    view.updateXAxisLabels();

    for (int round = 0; round < rounds; ++round) {
        // A series-'4' head sends the laser's camera row per column (16
        // fraction bits); a slow wave over the rows gives a picture with content.
        sensor_sim::BatchPlan plan = sensor.batchPlan(rows, static_cast<uint32_t>(round + 1));
        plan.info.wideValues = true;
        plan.frameSource = [](const sensor_sim::DataInfo& info, uint32_t, uint32_t frame) {
            sensor_sim::DataFrame out;
            out.values.resize(info.points);
            for (uint16_t c = 0; c < info.points; ++c)
                out.values[c] = static_cast<uint32_t>((250 + (frame / 50 + c / 64) % 100) << 16);
            out.intensity.assign(info.points, static_cast<uint8_t>(frame % 256));
            return out;
        };
        sensor.streamer().setPlan(plan);
        QApplication::processEvents();
        view.resetStats();
        app.resetEvents();
        Watcher watcher;
        watcher.start(sensor.streamer(), client, rows, round + 1);
        const int64_t cpuStart = threadCpuNs();
        const int64_t wallStart = nowNs();
        // The first round starts the client's batch copy (which allocates its
        // buffers); later ones only trigger, as a running acquisition does.
        if (round == 0)
            client.startBatchAcquisition(true);
        else
            HVQ5_2_TriggerOneBatch(0);
        QElapsedTimer limit;
        limit.start();
        // The event loop runs as in the program until the complete picture is shown.
        while (view.stats().lastPictureRows < rows && limit.elapsed() < 60000) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::usleep(200);
        }
        const int64_t cpu = threadCpuNs() - cpuStart;
        watcher.stop();
        const HeightViewStats s = view.stats();
        if (s.lastPictureRows < rows) {
            std::printf("round %d: the complete picture did not come (%d rows painted; %d copied of batch %d, "
                        "shown %d; %llu frames sent)\n",
                        round + 1, view.rowsDrawn(), client.batchProfileCount.load(), client.batchNumber.load(),
                        client.batchShownNumber.load(), static_cast<unsigned long long>(sensor.streamer().framesSent()));
            continue;
        }
        const int64_t sent = watcher.firstFrameSent;
        const int64_t arriving = std::max<int64_t>(1, watcher.lastRowCopied - watcher.firstRowCopied);
        std::printf("round %d%s:\n", round + 1, round == 0 ? " (starts the batch copy)" : "");
        std::printf("  first frame sent -> last frame sent         %8.1f ms\n", ms(watcher.lastFrameSent - sent));
        std::printf("  first frame sent -> first row copied        %8.1f ms\n", ms(watcher.firstRowCopied - sent));
        std::printf("  first frame sent -> first picture with rows %8.1f ms\n", ms(s.firstPictureAt - sent));
        std::printf("  first frame sent -> last row copied         %8.1f ms\n", ms(watcher.lastRowCopied - sent));
        std::printf("  first frame sent -> complete picture        %8.1f ms\n", ms(s.lastPictureAt - sent));
        std::printf("  last row copied  -> complete picture        %8.1f ms\n", ms(s.lastPictureAt - watcher.lastRowCopied));
        std::printf("  pictures %lld, %.1f per second while rows arrived (the client copied rows %d times, %.1f per second)\n",
                    static_cast<long long>(s.pictures), s.pictures / (arriving / 1e9), watcher.copies.load(),
                    watcher.copies / (arriving / 1e9));
        std::printf("  GUI thread CPU %.1f ms over %.1f ms (%.0f %%); in painting ticks %.1f ms\n", ms(cpu),
                    ms(s.lastPictureAt - wallStart),
                    100.0 * cpu / std::max<int64_t>(1, s.lastPictureAt - wallStart), ms(s.busyNs));
        std::printf("  ticks %lld (painting %lld), longest tick %.2f ms, mean painting tick %.2f ms\n",
                    static_cast<long long>(s.ticks), static_cast<long long>(s.paintingTicks), ms(s.longestTickNs),
                    s.paintingTicks ? ms(s.busyNs) / s.paintingTicks : 0.0);
        std::printf("  batch lock: longest hold by the view %.2f ms, longest wait for it %.2f ms\n",
                    ms(s.longestLockNs), ms(s.longestLockWaitNs));
        std::printf("  GUI events: longest %.2f ms (%s), %d above 16 ms; longest in the thread's own CPU time %.2f ms\n",
                    ms(app.longestNs), app.longestWhat.toLatin1().constData(), app.over16, ms(app.longestCpuNs));
    }
    client.stopAcquisition();
    client.close();
    client.shutdown();
    sensor.stop();
    return 0;
}
