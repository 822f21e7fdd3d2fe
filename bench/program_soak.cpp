// The program's soak: the real main window (offscreen) connected to a
// simulated sensor for a set time, in a private network namespace of its own
// (the connection dialog searches, and the search broadcasts). In batch mode
// "开始监控" is pressed every second while the sensor's chaos streamer spoils
// some batches (silences, dropped data connections, cut and garbled frames,
// bad echoes of the trigger); every minute ends with ten seconds of live
// profiles. A batch the start button still waits for after three seconds is
// given up with "暂停", as a person would.
//
// It reports resident memory (after connecting, after the warm-up minute, at
// the end), the longest stall of the GUI event loop, threads before the
// program, while connected and after it closed, and batches shown against
// batches sent: every batch the program reports complete must be whole (each
// row the scene's), every other one is counted lost with its cause. Exit
// status 0 when every figure is within its bound.
//
//   program_soak [--minutes N | --seconds N] [--seed N] [--frames N]
//                [--data-faults PERCENT] [--command-faults PERCENT]
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTableWidget>
#include <QThreadPool>
#include <QTimer>

#include <execinfo.h>
#include <net/if.h>
#include <pthread.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <utility>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "app/allocator_policy.h"
#include "app/connect_set_dialog.h"
#include "app/myqss.h"
#include "app/qt_line_laser_client.h"
#include "app/startup.h"
#include "res/resources.h"
#include "sensor_client/app_settings.h"
#include "sensor_client/linelaser_client.h"
#include "sensor_client/prompter.h"
#include "tests/support/client_sensor.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_network.h"
#include "tools/sensor_sim/search_responder.h"
#include "tools/sensor_sim/sim_chaos.h"

namespace {

constexpr const char* kSensorAddress = "127.51.0.2";
constexpr int kTriggerEveryMs = 1000;
constexpr int kGiveUpAfterMs = 3000;
constexpr int kCycleSeconds = 60;
constexpr int kProfileSecondsPerCycle = 10;
constexpr int kStallProbeMs = 10;
constexpr qint64 kRssEveryMs = 100;
constexpr int kStallBoundMs = 100;
// Below the bound, so that the stalls that come near it are traced as well.
constexpr int kTraceAfterMs = 70;
constexpr const char* kInNamespaceFlag = "--in-private-network";
// The simulator's frames carry 10 encoder counts per frame of the batch.
constexpr uint32_t kEncoderPerFrame = 10;

// Ctrl-C or a kill ends the run early, with its report and the test
// network removed.
volatile std::sig_atomic_t stopRequested = 0;
void requestStop(int) { stopRequested = 1; }

struct Options {
    int seconds = 600;
    uint32_t seed = 20261210;
    int frames = 200;
    int dataFaultPercent = 20;
    int commandFaultPercent = 5;
};

bool parse(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (flag == kInNamespaceFlag) continue;
        if (i + 1 >= argc) return false;
        const long value = std::strtol(argv[++i], nullptr, 10);
        if (flag == "--minutes") options->seconds = static_cast<int>(value * 60);
        else if (flag == "--seconds") options->seconds = static_cast<int>(value);
        else if (flag == "--seed") options->seed = static_cast<uint32_t>(value);
        else if (flag == "--frames") options->frames = static_cast<int>(value);
        else if (flag == "--data-faults") options->dataFaultPercent = static_cast<int>(value);
        else if (flag == "--command-faults") options->commandFaultPercent = static_cast<int>(value);
        else return false;
    }
    return options->seconds > 0 && options->frames > 0 && options->frames < 10000;
}

// A fresh namespace from unshare -n holds its loopback device only.
bool inPrivateNetwork() {
    struct if_nameindex* interfaces = if_nameindex();
    if (!interfaces) return false;
    bool onlyLoopback = true;
    for (const struct if_nameindex* item = interfaces; item->if_index != 0; ++item)
        onlyLoopback = onlyLoopback && std::string(item->if_name) == "lo";
    if_freenameindex(interfaces);
    return onlyLoopback;
}

// Runs this program again under "unshare -n"; returns only when that fails.
int runInPrivateNetwork(int argc, char** argv) {
    // This program's own file: /proc/self/exe would name unshare once it runs.
    std::error_code failed;
    static std::string self = std::filesystem::read_symlink("/proc/self/exe", failed).string();
    if (failed) return 2;
    std::vector<char*> args = {const_cast<char*>("unshare"), const_cast<char*>("-n"), self.data()};
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
    args.push_back(const_cast<char*>(kInNamespaceFlag));
    args.push_back(nullptr);
    execvp("unshare", args.data());
    std::perror("program_soak: unshare -n");
    return 2;
}

long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

int threadCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++count;
    return count;
}

// Answers every box with its first button and records it; no file dialog is expected.
class SoakPrompter : public ui::Prompter {
public:
    std::vector<std::string> boxes;

    QMessageBox::StandardButton information(QWidget*, const QString& t, const QString& x, QMessageBox::StandardButtons,
                                            QMessageBox::StandardButton) override {
        return record(t, x);
    }
    QMessageBox::StandardButton question(QWidget*, const QString& t, const QString& x, QMessageBox::StandardButtons,
                                         QMessageBox::StandardButton) override {
        return record(t, x);
    }
    QMessageBox::StandardButton warning(QWidget*, const QString& t, const QString& x, QMessageBox::StandardButtons,
                                        QMessageBox::StandardButton) override {
        return record(t, x);
    }
    QMessageBox::StandardButton critical(QWidget*, const QString& t, const QString& x, QMessageBox::StandardButtons,
                                         QMessageBox::StandardButton) override {
        return record(t, x);
    }
    int ask(QWidget*, QMessageBox::Icon, const QString& t, const QString& x, const QStringList&, int) override {
        record(t, x);
        return 0;
    }
    QString getOpenFileName(QWidget*, const QString& c, const QString&, const QString&, QString*) override {
        record(c, {});
        return {};
    }
    QString getSaveFileName(QWidget*, const QString& c, const QString&, const QString&, QString*) override {
        record(c, {});
        return {};
    }
    QString getExistingDirectory(QWidget*, const QString& c, const QString&) override {
        record(c, {});
        return {};
    }

private:
    QMessageBox::StandardButton record(const QString& title, const QString& text) {
        boxes.push_back((title + ": " + text).toStdString());
        std::printf("box: %s\n", boxes.back().c_str());
        std::fflush(stdout);
        return QMessageBox::Ok;
    }
};

// With SOAK_TRACE set: where the GUI thread is while it stalls. A watcher
// thread signals it once it has not come round for kTraceAfterMs; the handler
// prints its stack (diagnostics only: backtrace is loaded beforehand).
std::atomic<long long> guiAliveMs{0};
std::atomic<bool> watching{false};
void printStack(int) {
    void* frames[48];
    const int n = backtrace(frames, 48);
    const char line[] = "trace gui thread stalled at:\n";
    [[maybe_unused]] ssize_t ignored = write(2, line, sizeof line - 1);
    backtrace_symbols_fd(frames, n, 2);
}
std::thread startStallWatcher(pthread_t gui, const QElapsedTimer& clock) {
    void* warm[4];
    backtrace(warm, 4);
    std::signal(SIGUSR1, printStack);
    watching = true;
    return std::thread([gui, &clock] {
        long long signalled = -1;
        while (watching) {
            usleep(10000);
            const long long alive = guiAliveMs.load();
            if (clock.elapsed() - alive > kTraceAfterMs && signalled != alive) {
                signalled = alive;
                pthread_kill(gui, SIGUSR1);
            }
        }
    });
}

// The calling thread's time on a CPU and waiting in a run queue for one, in
// ns since it started (the scheduler's own account of the thread).
struct SchedTimes {
    long long runNs = 0;
    long long waitNs = 0;
};

class ThreadSchedStat {
public:
    ThreadSchedStat() : fd_(::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC)) {}
    ~ThreadSchedStat() {
        if (fd_ >= 0) ::close(fd_);
    }
    ThreadSchedStat(const ThreadSchedStat&) = delete;
    ThreadSchedStat& operator=(const ThreadSchedStat&) = delete;
    SchedTimes read() const {
        SchedTimes times;
        char text[128];
        const ssize_t n = fd_ >= 0 ? ::pread(fd_, text, sizeof text - 1, 0) : -1;
        if (n <= 0) return times;
        text[n] = '\0';
        std::sscanf(text, "%lld %lld", &times.runNs, &times.waitNs);
        return times;
    }

private:
    int fd_;
};

// A stall of the GUI event loop, [begin, end] in ms since the start, and how
// the GUI thread spent it: running, waiting for a CPU (the machine's load,
// not the program's work), and the rest asleep or blocked.
struct Stall {
    qint64 begin = 0, end = 0;
    qint64 ranMs = 0, waitedMs = 0;
    qint64 ms() const { return end - begin; }
    qint64 asleepMs() const { return std::max<qint64>(0, ms() - ranMs - waitedMs); }
    std::string split() const {
        char text[128];
        std::snprintf(text, sizeof text, "ran %lld ms, waited %lld ms for a CPU, asleep or blocked %lld ms",
                      static_cast<long long>(ranMs), static_cast<long long>(waitedMs),
                      static_cast<long long>(asleepMs()));
        return text;
    }
};

// The longest time the GUI event loop did not come round to a 10 ms timer.
class StallMeter {
public:
    // Called in the GUI thread: the scheduler's account read is that thread's.
    void start() {
        clock_.start();
        last_ = 0;
        lastTimes_ = sched_.read();
        QObject::connect(&probe_, &QTimer::timeout, [this] {
            const qint64 now = clock_.elapsed();
            const qint64 stall = now - last_ - kStallProbeMs;
            const SchedTimes times = sched_.read();
            guiAliveMs = now;
            Stall seen;
            seen.begin = now - stall - kStallProbeMs;
            seen.end = now;
            seen.ranMs = (times.runNs - lastTimes_.runNs) / 1000000;
            seen.waitedMs = (times.waitNs - lastTimes_.waitNs) / 1000000;
            if (seen.ms() > longest.ms()) longest = seen;
            longestSinceMark_ = std::max(longestSinceMark_, seen.ms());
            if (stall > kTraceAfterMs && std::getenv("SOAK_TRACE"))
                std::printf("trace %.3f stall %lld ms: %s\n", now / 1000.0, static_cast<long long>(stall),
                            seen.split().c_str());
            if (stall > kStallBoundMs) {
                ++over;
                long_.push_back(seen);
            }
            last_ = now;
            lastTimes_ = times;
        });
        probe_.setTimerType(Qt::PreciseTimer);
        probe_.start(kStallProbeMs);
    }
    void stop() { probe_.stop(); }
    qint64 now() const { return clock_.elapsed(); }
    const QElapsedTimer& clock() const { return clock_; }
    // The stalls over the bound.
    const std::vector<Stall>& longStalls() const { return long_; }
    // The longest stall since the last call.
    qint64 takeLongestSinceMark() { return std::exchange(longestSinceMark_, 0); }

    Stall longest;
    int over = 0;

private:
    QTimer probe_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    ThreadSchedStat sched_;
    SchedTimes lastTimes_;
    std::vector<Stall> long_;
    qint64 longestSinceMark_ = 0;
};

// Where the GUI thread was while it stalled: inside a press of "开始监控"
// (its trigger runs on the window's job thread, its wait serves events), inside a
// switch between batches and live profiles, or elsewhere.
struct Busy {
    std::vector<std::pair<qint64, qint64>> presses, switches;
    // A stall is measured from the probe's last round, which may lie a probe
    // interval or two before the press that blocked.
    static bool within(const std::vector<std::pair<qint64, qint64>>& spans, qint64 t) {
        for (const auto& [from, to] : spans)
            if (t >= from - 5 * kStallProbeMs && t <= to + 5) return true;
        return false;
    }
};

bool spinUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        usleep(1000);
    }
    return true;
}

// What the program showed of the batches. The client numbers batches as the
// interface hands them over (the count starts again after a reconnect), so
// every completion is counted, not every number.
struct BatchAccount {
    int shownWhole = 0;
    std::vector<std::string> shownBroken;  // what was wrong with each
    std::vector<double> sceneRow;          // the first whole batch's first row
};

// Looks at the batch as a painter does, in one hold of the batch lock (its
// number, rows and complete flag are one state only there): false while no
// batch after the press's is complete; else the batch is counted, whole or
// broken. Whole: every row the scene's, row r from frame r (its encoder).
bool takeShownBatch(LinelaserClient& client, int numberAtPress, int frames, BatchAccount* account) {
    std::lock_guard<std::mutex> lock(client.batchMutex);
    const int number = client.batchNumber.load();
    if (!client.batchComplete || number == numberAtPress) return false;
    const int rows = client.batchProfileCount.load();
    if (rows != frames) {
        account->shownBroken.push_back("batch " + std::to_string(number) + ": " + std::to_string(rows) + " rows");
        return true;
    }
    if (account->sceneRow.empty()) account->sceneRow = client.batchHeights[0];
    for (int r = 0; r < rows; ++r) {
        if (client.batchHeights[static_cast<size_t>(r)] != account->sceneRow) {
            account->shownBroken.push_back("batch " + std::to_string(number) + ": row " + std::to_string(r) +
                                           " differs from the scene");
            return true;
        }
        const uint32_t encoder = client.batchInfo[static_cast<size_t>(r)].encoder;
        if (encoder != static_cast<uint32_t>(r) * kEncoderPerFrame) {
            account->shownBroken.push_back("batch " + std::to_string(number) + ": row " + std::to_string(r) +
                                           " holds frame " + std::to_string(encoder / kEncoderPerFrame));
            return true;
        }
    }
    ++account->shownWhole;
    return true;
}

std::string threadNames() {
    std::string names;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(entry.path() / "comm");
        std::string name;
        std::getline(comm, name);
        names += (names.empty() ? "" : ", ") + name;
    }
    return names;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, &options)) {
        std::fprintf(stderr,
                     "usage: %s [--minutes N | --seconds N] [--seed N] [--frames N] [--data-faults PERCENT] "
                     "[--command-faults PERCENT]\n",
                     argv[0]);
        return 2;
    }
    if (!inPrivateNetwork()) {
        bool again = false;
        for (int i = 1; i < argc; ++i) again = again || std::strcmp(argv[i], kInNamespaceFlag) == 0;
        if (again) {
            std::fprintf(stderr, "program_soak: not in a private network namespace, refusing to search\n");
            return 2;
        }
        return runInPrivateNetwork(argc, argv);
    }
    if (std::system("ip link set lo up") != 0) return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // As main() starts the program: the allocator's policy first.
    allocator_policy::boundArenas();
    QApplication app(argc, argv);
    mirevo::initResources();
    auto owned = std::make_unique<SoakPrompter>();
    SoakPrompter* prompter = owned.get();
    ui::installPrompter(std::move(owned));

    // A working folder of its own ("settings.ini", logs).
    mirevo::test::TempDir work;
    mirevo::test::ScopedWorkingDir inWork(work.path());
    mirevo::test::ScopedEnv publicEnv("PUBLIC", work.path().string());
    mirevo::test::ScopedEnv configEnv("XDG_CONFIG_HOME", work.path().string());
    reopenAppSettings();

    std::string error;
    std::unique_ptr<search_test::TestNetwork> network = search_test::TestNetwork::create(&error);
    if (!network) {
        std::fprintf(stderr, "program_soak: %s\n", error.c_str());
        return 2;
    }

    // The sensor in batch mode; its batches come from the chaos streamer.
    mirevo::test::ClientSensorOptions sensorOptions;
    sensorOptions.knobs.batchMode = 1;
    sensorOptions.batchLength = options.frames;
    sensorOptions.streamedColumns = 512;
    sensorOptions.firstStreamedColumn = 768;
    mirevo::test::ClientSensor sensor(kSensorAddress, sensorOptions);
    if (!sensor.start()) {
        std::fprintf(stderr, "program_soak: the simulated sensor cannot listen on %s\n", kSensorAddress);
        return 2;
    }
    // The sensor's own streamer answers every trigger as well: planned empty
    // it sends nothing, so the chaos streamer's batch is the only one a
    // trigger brings (two batches at once on one data channel are no
    // sensor's, and a stray one would stand in for a lost one).
    sensor_sim::BatchPlan nothing = sensor.batchPlan(options.frames);
    nothing.batches = 0;
    sensor.streamer().setPlan(nothing);
    sensor_sim::ChaosOptions chaosOptions;
    chaosOptions.seed = options.seed;
    chaosOptions.info = sensor.batchPlan(options.frames).info;
    chaosOptions.dataFaultPercent = options.dataFaultPercent;
    chaosOptions.commandFaultPercent = options.commandFaultPercent;
    std::shared_ptr<sensor_sim::DataChannelService> channel(&sensor.dataChannel(),
                                                            [](sensor_sim::DataChannelService*) {});
    auto chaos = std::make_shared<sensor_sim::ChaosStreamer>(channel, chaosOptions);
    if (!chaos->start(sensor.head())) return 2;
    sensor_sim::SearchResponderOptions searchOptions;
    searchOptions.heads.push_back({kSensorAddress, sensorOptions.preset.model});
    searchOptions.networkNamespace = network->sensorNamespace();
    sensor_sim::SearchResponder responder(searchOptions);
    if (!responder.start()) return 2;

    // As main() starts the program.
    const int threadsBefore = threadCount();
    const std::string namesBefore = threadNames();
    LinelaserClient* client = linelaserClient();
    client->initSdk();
    QApplication::setStyle(new myqss(0));
    QString startupError;
    if (!checkStartupResources(&startupError)) {
        std::fprintf(stderr, "program_soak: %s\n", qPrintable(startupError));
        return 2;
    }
    auto window = std::make_unique<QtLineLaserClient>();
    window->show();

    // The connection dialog: pick the searched sensor, "连接".
    bool pressed = false;
    QTimer dialogDriver;
    QObject::connect(&dialogDriver, &QTimer::timeout, [&] {
        ConnectSetDialog* dialog = window->connectionDialog();
        if (!dialog || !dialog->isVisible() || pressed || dialog->jobRunning()) return;
        auto* refresh = dialog->findChild<QPushButton*>(QStringLiteral("pushButton_refresh"));
        auto* table = dialog->findChild<QTableWidget*>(QStringLiteral("tableWidget_tcpconn"));
        if (!refresh || !refresh->isEnabled() || !table) return;
        for (int row = 0; row < table->rowCount(); ++row) {
            const QTableWidgetItem* item = table->item(row, 0);
            if (item && item->text() == QLatin1String(kSensorAddress)) {
                table->selectRow(row);
                pressed = true;
                dialog->findChild<QPushButton*>(QStringLiteral("pushButton_open"))->click();
                return;
            }
        }
    });
    dialogDriver.start(20);
    if (!spinUntil([&] { return client->connected && !window->connectionDialog()->isVisible() &&
                                client->batchThread.joinable(); },
                   60000)) {
        std::fprintf(stderr, "program_soak: the program did not connect to the simulated sensor\n");
        return 1;
    }
    dialogDriver.stop();
    QApplication::setActiveWindow(window.get());
    auto* start = window->findChild<QPushButton*>(QStringLiteral("pushButton_start"));
    auto* pause = window->findChild<QPushButton*>(QStringLiteral("pushButton_end"));

    const long rssStart = residentKb();
    const int threadsConnectedStart = threadCount();
    long rssWarm = -1;
    long rssMax = rssStart;
    StallMeter stalls;
    stalls.start();
    std::thread watcher;
    if (std::getenv("SOAK_TRACE")) watcher = startStallWatcher(pthread_self(), stalls.clock());
    Busy busy;
    // Resident memory sampled in the live-profile phases (no batch thread and
    // its frame buffers then), one sample a minute.
    std::vector<long> rssProfilePhase;
    QElapsedTimer clock;
    clock.start();

    BatchAccount account;

    // Batch mode with a trigger every second, ten seconds of live profiles a
    // minute. The next trigger waits until the last batch has come (a new
    // number, complete) or was given up after three seconds: the start
    // button's own wait ends at once while the last batch's flag is still set.
    bool profilePhase = false;
    bool pending = false;
    int numberAtPress = 0;
    int presses = 0, givenUp = 0;
    std::atomic<int> modeSwitchFailures{0};
    long profileFrames = 0;
    int framesAtPhaseStart = 0;
    QElapsedTimer waiting;
    auto settle = [&] {
        if (!pending) return true;
        if (takeShownBatch(*client, numberAtPress, options.frames, &account)) {
            pending = false;
        } else if (waiting.elapsed() > kGiveUpAfterMs) {
            ++givenUp;
            // A batch that began and never ended leaves "开始监控" disabled:
            // "暂停" gives it back, as a person would press it.
            if (window->waitingForBatch() || pause->isEnabled()) pause->click();
            pending = false;
        }
        return !pending;
    };
    // The switch's register writes and waits run on the window's job thread,
    // as the window's own jobs do, so that the GUI thread measured is the
    // program's alone.
    std::mutex switchesMutex;
    auto switchMode = [&](bool toProfiles) {
        const qint64 switchStart = stalls.now();
        if (window->waitingForBatch() || pause->isEnabled()) pause->click();
        pending = false;
        if (toProfiles)
            framesAtPhaseStart = client->frameCount.load();
        else
            profileFrames += client->frameCount.load() - framesAtPhaseStart;
        profilePhase = toProfiles;
        // A switch still running from the minute before makes this one refused.
        const bool started = window->jobs().start([&, toProfiles, switchStart] {
            client->stopAcquisition();
            bool batch = !toProfiles, single = false;
            if (client->cfgBatchEnable(1, &batch, &single) != 0) ++modeSwitchFailures;
            if (toProfiles)
                client->startProfileAcquisition();
            else
                client->startBatchAcquisition(false);
            std::lock_guard<std::mutex> lock(switchesMutex);
            busy.switches.push_back({switchStart, stalls.now()});
        });
        if (!started) ++modeSwitchFailures;
    };
    QTimer scheduler;
    QObject::connect(&scheduler, &QTimer::timeout, [&] {
        const int second = static_cast<int>(clock.elapsed() / 1000) % kCycleSeconds;
        const bool wantProfiles = second >= kCycleSeconds - kProfileSecondsPerCycle;
        // The start button's trigger runs on the window's job thread: the
        // switch (the soak's own calls in the GUI thread) waits for it.
        if (window->jobs().running()) return;
        if (wantProfiles != profilePhase) {
            settle();
            switchMode(wantProfiles);
            return;
        }
        if (profilePhase || window->waitingForBatch() || !settle()) return;
        // A batch that began and never ended keeps "开始监控" disabled until
        // "暂停" is pressed, as a person would.
        if (!start->isEnabled() && pause->isEnabled()) {
            ++givenUp;
            pause->click();
        }
        QTimer::singleShot(0, window.get(), [&] {
            if (window->waitingForBatch() || profilePhase || pending || !start->isEnabled()) return;
            ++presses;
            numberAtPress = client->batchNumber.load();
            pending = true;
            waiting.start();
            if (std::getenv("SOAK_TRACE"))
                std::printf("trace %.3f press after batch %d\n", clock.elapsed() / 1000.0, numberAtPress);
            const qint64 pressStart = stalls.now();
            start->click();  // returns when the batch is complete, given up, or at once (flag left set)
            busy.presses.push_back({pressStart, stalls.now()});
            if (std::getenv("SOAK_TRACE")) {
                const BatchState shown = client->batchState();
                std::printf("trace %.3f returned, batch %d complete %d rows %d\n", clock.elapsed() / 1000.0,
                            shown.number, shown.complete, shown.rows);
            }
            settle();
        });
    });
    scheduler.start(kTriggerEveryMs);
    QTimer giveUp;
    QObject::connect(&giveUp, &QTimer::timeout, [&] {
        if (window->waitingForBatch() && waiting.elapsed() > kGiveUpAfterMs) pause->click();
    });
    giveUp.start(100);

    // Run for the set time, or until the program closes itself.
    int nextReport = 60;
    bool lost = false;
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    qint64 rssAtMs = -kRssEveryMs;
    while (clock.elapsed() < options.seconds * 1000LL && !stopRequested) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        usleep(2000);
        if (!window->isVisible()) {
            lost = true;
            break;
        }
        // Resident memory every 100 ms: read on every pass, /proc's status
        // took a third of the GUI thread's time.
        if (clock.elapsed() - rssAtMs < kRssEveryMs) continue;
        rssAtMs = clock.elapsed();
        const long rss = residentKb();
        rssMax = std::max(rssMax, rss);
        const int elapsedS = static_cast<int>(clock.elapsed() / 1000);
        if (profilePhase && static_cast<int>(rssProfilePhase.size()) < elapsedS / kCycleSeconds + 1 &&
            elapsedS % kCycleSeconds >= kCycleSeconds - kProfileSecondsPerCycle / 2)
            rssProfilePhase.push_back(rss);
        if (rssWarm < 0 && elapsedS >= std::min(60, options.seconds / 2)) rssWarm = rss;
        if (elapsedS >= nextReport) {
            nextReport += 60;
            // The simulator logs every packet it receives: its log is the
            // soak's memory, not the program's.
            sensor.clearPacketLog();
            std::printf("t=%ds rss=%ld kB threads=%d batches sent=%zu shown=%d broken=%d presses=%d given-up=%d "
                        "longest-stall this minute=%lld ms, so far=%lld ms\n",
                        elapsedS, rss, threadCount(), chaos->batches().size(), account.shownWhole,
                        static_cast<int>(account.shownBroken.size()), presses, givenUp,
                        static_cast<long long>(stalls.takeLongestSinceMark()),
                        static_cast<long long>(stalls.longest.ms()));
            std::fflush(stdout);
        }
    }
    const double ranS = clock.elapsed() / 1000.0;
    scheduler.stop();
    giveUp.stop();
    window->jobs().join();
    if (window->waitingForBatch()) pause->click();
    settle();
    if (profilePhase) profileFrames += client->frameCount.load() - framesAtPhaseStart;
    stalls.stop();
    watching = false;
    if (watcher.joinable()) watcher.join();
    chaos->waitIdle(10000);
    const long rssEnd = residentKb();
    const int threadsConnectedEnd = threadCount();

    // Close the program as a person would, and see what is left.
    window->close();
    QCoreApplication::processEvents();
    window.reset();
    QCoreApplication::processEvents();
    // Qt's global pool keeps idle threads for half a minute; waiting for it
    // ends them (a task still running would show as a thread left).
    QThreadPool::globalInstance()->waitForDone(10000);
    int threadsAfter = threadCount();
    for (int i = 0; i < 500 && threadsAfter > threadsBefore; ++i) {
        usleep(20000);
        threadsAfter = threadCount();
    }
    const std::string namesAfter = threadNames();

    // The account of the batches.
    std::map<std::string, int> spoilt;
    int sentClean = 0;
    const std::vector<sensor_sim::ChaosBatch> sent = chaos->batches();
    for (const sensor_sim::ChaosBatch& batch : sent) {
        if (batch.fault == sensor_sim::DataChaos::None)
            ++sentClean;
        else
            ++spoilt[sensor_sim::chaosName(batch.fault)];
    }
    const int lostCount = static_cast<int>(sent.size()) - account.shownWhole - static_cast<int>(account.shownBroken.size());

    std::printf("\nsoak of the program: %.0f s connected, seed %u, %d frames a batch, data faults %d %%, "
                "command faults %d %%\n",
                ranS, options.seed, options.frames, options.dataFaultPercent, options.commandFaultPercent);
    std::printf("resident memory: %ld kB connected, %ld kB after warm-up, %ld kB at the end (max %ld kB)\n", rssStart,
                rssWarm, rssEnd, rssMax);
    std::printf("  in the live-profile phases, a minute apart:");
    for (long kb : rssProfilePhase) std::printf(" %ld", kb);
    std::printf(" kB\n");
    int inPress = 0, inSwitch = 0;
    std::string elsewhere;
    for (const Stall& stall : stalls.longStalls()) {
        if (Busy::within(busy.presses, stall.begin)) {
            ++inPress;
        } else if (Busy::within(busy.switches, stall.begin)) {
            ++inSwitch;
        } else {
            char text[64];
            std::snprintf(text, sizeof text, "    %.1f s, %lld ms: ", stall.begin / 1000.0,
                          static_cast<long long>(stall.ms()));
            elsewhere += text + stall.split() + "\n";
        }
    }
    std::printf("longest GUI stall: %lld ms (at %.1f s; %s), stalls over %d ms: %d (%d in a press of the start "
                "button, %d in a mode switch, %d elsewhere)\n",
                static_cast<long long>(stalls.longest.ms()), stalls.longest.end / 1000.0, stalls.longest.split().c_str(),
                kStallBoundMs, stalls.over, inPress, inSwitch, stalls.over - inPress - inSwitch);
    if (!elsewhere.empty()) std::printf("  stalls elsewhere, from:\n%s", elsewhere.c_str());
    std::printf("threads: %d before the program, %d connected at start, %d at the end, %d after it closed\n",
                threadsBefore, threadsConnectedStart, threadsConnectedEnd, threadsAfter);
    std::printf("  threads before: %s\n  threads after it closed: %s\n", namesBefore.c_str(), namesAfter.c_str());
    std::printf("batches: %zu sent (%d clean), %d shown whole, %zu shown broken, %d lost (never completed); "
                "start pressed %d times, %d waits given up, %d trigger faults armed\n",
                sent.size(), sentClean, account.shownWhole, account.shownBroken.size(), lostCount, presses, givenUp,
                chaos->commandFaults());
    std::printf("  clean batches not shown: %d (trigger faults armed: %d)\n", std::max(0, sentClean - account.shownWhole),
                chaos->commandFaults());
    for (const auto& [cause, count] : spoilt) std::printf("  spoilt on the data channel, %s: %d\n", cause.c_str(), count);
    for (const std::string& what : account.shownBroken) std::printf("  shown broken: %s\n", what.c_str());
    std::printf("live profiles shown: %ld, mode switches refused: %d, boxes: %zu\n", profileFrames,
                modeSwitchFailures.load(), prompter->boxes.size());
    if (lost) std::printf("the program closed itself after %.0f s (connection lost)\n", ranS);

    // The bounds: memory flat after warm-up, no thread left, no stall above
    // 100 ms, every batch shown whole or lost, no clean batch lost.
    // Flat: every live-profile sample after the reference (the second, the
    // first minute being warm-up; the first when there are only two) within
    // 10 % of it. Without two samples: the end against the warm-up mark.
    bool memoryFlat = rssWarm > 0 && rssEnd <= rssWarm + rssWarm / 10;
    if (rssProfilePhase.size() >= 2) {
        const size_t reference = rssProfilePhase.size() >= 3 ? 1 : 0;
        memoryFlat = true;
        for (size_t i = reference + 1; i < rssProfilePhase.size(); ++i)
            memoryFlat = memoryFlat && rssProfilePhase[i] <= rssProfilePhase[reference] + rssProfilePhase[reference] / 10;
    }
    const bool noThreadLeft = threadsAfter <= threadsBefore;
    const bool noStall = stalls.longest.ms() <= kStallBoundMs;
    // Every batch the program reports complete is whole; the others it never
    // completes (a spoilt one, or a clean one lost to a trigger fault or to
    // the data channel's reconnection after a spoilt one).
    const bool batchesSound = account.shownBroken.empty();
    std::printf("\nmemory flat after warm-up: %s\nno thread left: %s\nno stall above %d ms: %s\n"
                "every batch shown whole or never completed: %s\nconnected throughout: %s\n",
                memoryFlat ? "yes" : "NO", noThreadLeft ? "yes" : "NO", kStallBoundMs, noStall ? "yes" : "NO",
                batchesSound ? "yes" : "NO", lost ? "NO" : "yes");
    std::fflush(stdout);
    chaos->stop();
    responder.stop();
    sensor.stop();
    return memoryFlat && noThreadLeft && noStall && batchesSound && !lost ? 0 : 1;
}
