// Start-up to the main window: the time from starting the program to the
// first paint of its main window, beside a bare Qt main window (a
// QMainWindow with a central widget, from a program that links Qt Widgets
// only) measured the same way in the same run. Each is started as a process
// of its own, by turns; reported are the median, the fastest and the
// slowest of each. The program runs in a fresh working folder, and every
// process in a network namespace of its own without interfaces: the
// connection dialog searches as it opens, and that search must reach no
// real network.
//   startup_timing [runs]
// (startup_timing --program is the program itself, as the measured child.)
#include <sched.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/program.h"
#include "bench/first_paint.h"
#include "app/qt_line_laser_client.h"

namespace {

// Milliseconds from starting the program to its "shown", or -1.
double timeStart(const std::string& program, const std::vector<std::string>& args, const std::string& folder) {
    int out[2];
    if (pipe(out) != 0) return -1;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        if (chdir(folder.c_str()) != 0) _exit(2);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]);
    // The program prints lines of its own before it.
    std::string seen;
    bool shown = false;
    auto shownAt = start;
    char buffer[4096];
    for (ssize_t got; !shown && (got = read(out[0], buffer, sizeof buffer)) > 0;) {
        seen.append(buffer, static_cast<size_t>(got));
        shown = seen.find("shown\n") != std::string::npos;
        shownAt = std::chrono::steady_clock::now();
    }
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!shown) return -1;
    return std::chrono::duration<double, std::milli>(shownAt - start).count();
}

void report(const char* name, std::vector<double> ms) {
    if (ms.empty()) {
        std::printf("%-24s no start reached its window\n", name);
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-24s median %6.1f ms, fastest %6.1f, slowest %6.1f (%zu starts)\n", name, ms[ms.size() / 2],
                ms.front(), ms.back(), ms.size());
}

// The absolute path of a program in this program's folder (the children
// start in another folder).
std::string besideThisProgram(const char* name) {
    char self[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path(self, length > 0 ? static_cast<size_t>(length) : 0);
    return path.substr(0, path.rfind('/') + 1) + name;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--program") == 0) {
        FirstPaint firstPaint;
        return runProgram(1, argv, [&](QtLineLaserClient& window) { window.installEventFilter(&firstPaint); });
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    // Nothing the processes do may reach a real network.
    if (unshare(CLONE_NEWNET) != 0) {
        std::perror("a network namespace of its own (unshare)");
        return 1;
    }
    if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    char folderTemplate[] = "/tmp/mirevo-startup-XXXXXX";
    const char* folder = mkdtemp(folderTemplate);
    if (!folder) {
        std::perror("mkdtemp");
        return 1;
    }
    // The program's settings, logs and configuration stay in that folder.
    setenv("XDG_CONFIG_HOME", folder, 1);
    setenv("XDG_DATA_HOME", folder, 1);
    setenv("PUBLIC", folder, 1);
    const std::string self = besideThisProgram("startup_timing");
    const std::string bare = besideThisProgram("bare_main_window");
    std::printf("platform %s, %d starts each\n", getenv("QT_QPA_PLATFORM"), runs);
    std::vector<double> program, window;
    for (int i = 0; i < runs; ++i) {
        const double b = timeStart(bare, {}, folder);
        const double p = timeStart(self, {"--program"}, folder);
        if (b >= 0) window.push_back(b);
        if (p >= 0) program.push_back(p);
    }
    report("bare Qt main window", window);
    report("Mirevo's main window", program);
    const std::string clean = std::string("rm -rf '") + folder + "'";
    return std::system(clean.c_str()) == 0 ? 0 : 1;
}
