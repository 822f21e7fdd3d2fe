#include "sensor_client/sleeper.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace ui {
namespace {

std::unique_ptr<Sleeper>& installed() {
    static std::unique_ptr<Sleeper> current = std::make_unique<ThreadSleeper>();
    return current;
}

std::atomic<Sleeper*>& current() {
    static std::atomic<Sleeper*> pointer{installed().get()};
    return pointer;
}

}  // namespace

void ThreadSleeper::sleepMs(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Sleeper& sleeper() { return *current().load(); }

std::unique_ptr<Sleeper> installSleeper(std::unique_ptr<Sleeper> replacement) {
    current();  // the real one exists before it can be handed back
    std::unique_ptr<Sleeper> previous = std::move(installed());
    installed() = std::move(replacement);
    current().store(installed().get());
    return previous;
}

}  // namespace ui
