// Crashes on purpose after installing the crash handler, so that a test can
// look at what the handler leaves behind.
//   crash_helper segv|abort|fpe|bus|ill|overflow [worker|started|frames]
// "worker" crashes on a second thread that a plain std::thread started,
// "started" on one the program's own way started, "frames" on a worker of a
// data channel's frame pool; by default the main thread crashes.
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/crash_handler.h"
#include "platform/thread_start.h"
#include "sensor_interface/data_channel/frame_pool.h"

namespace {

volatile uintptr_t g_nowhere = 0x10;

// Deeper than any stack: overflows long before the bound. The frames are
// smaller than the guard page below a thread's stack, so the overflow faults
// there instead of stepping over it into another thread's stack.
int recurse(int depth) {
    volatile char pad[256];
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
    const char* how = argv[1];
    const char* where = argc > 2 ? argv[2] : "main";
    if (std::strcmp(where, "worker") == 0) {
        std::thread worker([how] { crash(how); });
        worker.join();
    } else if (std::strcmp(where, "started") == 0) {
        std::thread worker = mirevo::platform::startThread([how] { crash(how); });
        worker.join();
    } else if (std::strcmp(where, "frames") == 0) {
        data_channel::FramePool pool(2, [how](data_channel::FrameJob&) { crash(how); });
        pool.submit(pool.freeJob());
        for (;;) pause();  // a worker takes the job; the consumer does not
    } else {
        crash(how);
    }
    return 4;  // not reached: every way above crashes
}
