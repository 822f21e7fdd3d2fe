// Crashes on purpose after installing the crash handler, so that a test can
// look at what the handler leaves behind.
//   crash_helper segv|abort|fpe|bus|ill|overflow [worker]
// "worker" crashes on a second thread instead of the main thread.
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/crash_handler.h"

namespace {

volatile uintptr_t g_nowhere = 0x10;

// Deeper than any stack: overflows long before the bound.
int recurse(int depth) {
    volatile char pad[4096];
    pad[0] = static_cast<char>(depth);
    if (depth > 100000000) return pad[0];
    return recurse(depth + 1) + pad[0];
}

void crash(const char* how) {
    if (std::strcmp(how, "segv") == 0) {
        *reinterpret_cast<volatile int*>(g_nowhere) = 1;
    } else if (std::strcmp(how, "abort") == 0) {
        std::abort();
    } else if (std::strcmp(how, "fpe") == 0) {
        // Raised: a real division by zero is undefined behaviour, which the
        // sanitizer builds report instead of trapping.
        std::raise(SIGFPE);
    } else if (std::strcmp(how, "bus") == 0) {
        std::raise(SIGBUS);
    } else if (std::strcmp(how, "ill") == 0) {
        std::raise(SIGILL);
    } else if (std::strcmp(how, "overflow") == 0) {
        std::printf("%d\n", recurse(0));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    if (!mirevo::platform::installCrashHandler()) return 3;
    if (argc > 2 && std::strcmp(argv[2], "worker") == 0) {
        std::thread worker([how = argv[1]] { crash(how); });
        worker.join();
    } else {
        crash(argv[1]);
    }
    return 4;  // not reached: every way above crashes
}
