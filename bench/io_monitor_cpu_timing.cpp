// CPU time of the GUI thread while the I/O monitor page listens, against the
// refresh the page once had: a timer of 0 ms that restyled every lamp and
// rewrote both read-outs on every pass of the event loop.
//
//   io_monitor_cpu_timing [seconds per run, default 3]
//
// Prints the process's CPU time as a share of the wall time for: the idle
// event loop, the page as built (30 ms, changed values only), and the 0 ms
// refresh.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>

#include "sensor_client/linelaser_client.h"
#include "settings_windows/io_listen_form.h"

namespace {

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Runs the event loop for the given time and returns the CPU share in percent.
double cpuShare(int seconds, const std::function<void()>& start, const std::function<void()>& stop) {
    start();
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    QApplication::exec();
    const double cpu = cpuSeconds() - cpuBefore;
    const double elapsed = static_cast<double>(wall.elapsed()) / 1000.0;
    stop();
    return 100.0 * cpu / elapsed;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    linelaserClient();  // its own 30 ms event timer runs in every case

    IOListenForm page;
    page.show();

    const double idle = cpuShare(seconds, [] {}, [] {});
    const double built = cpuShare(
        seconds, [&] { page.startListen(); }, [&] { page.stopListen(); });

    // The former refresh: every pass restyles the five lamps and rewrites the texts.
    QTimer zeroTimer;
    zeroTimer.setInterval(0);
    QPushButton* lamps[] = {
        page.findChild<QPushButton*>("pushButton_m_start"), page.findChild<QPushButton*>("pushButton_m_stop"),
        page.findChild<QPushButton*>("pushButton_pin1"),    page.findChild<QPushButton*>("pushButton_pin2"),
        page.findChild<QPushButton*>("pushButton_pin3")};
    QLineEdit* encoder = page.findChild<QLineEdit*>("lineEdit_encoder_val");
    QLineEdit* batches = page.findChild<QLineEdit*>("lineEdit_batch_nums");
    QObject::connect(&zeroTimer, &QTimer::timeout, [&] {
        const IoStatusBlock block = linelaserClient()->copyIoStatus();
        encoder->setText(QStringLiteral("%1").arg(block.encoderValue));
        batches->setText(QStringLiteral("%1").arg(block.batchCount));
        const uint8_t flags[] = {block.startInput, block.stopInput, block.inputA, block.inputB, block.input3};
        for (int i = 0; i < 5; ++i) lamps[i]->setStyleSheet(ioLampStyle(flags[i] == 1));
    });
    const double zero = cpuShare(
        seconds, [&] { zeroTimer.start(); }, [&] { zeroTimer.stop(); });

    std::printf("I/O monitor, CPU share of one core over %d s each:\n", seconds);
    std::printf("  idle event loop              %6.1f %%\n", idle);
    std::printf("  page listening (30 ms)       %6.1f %%\n", built);
    std::printf("  0 ms refresh, every lamp     %6.1f %%\n", zero);
    linelaserClient()->shutdown();
    return 0;
}
