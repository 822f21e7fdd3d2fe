#include "platform/clock.h"

#include <atomic>
#include <ctime>

namespace mirevo::platform {
namespace {

std::atomic<MonotonicSource>& test_source() {
    static std::atomic<MonotonicSource> source{nullptr};
    return source;
}

}  // namespace

int64_t monotonic_ns() {
    if (MonotonicSource source = test_source().load(std::memory_order_acquire)) {
        return source();
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void set_monotonic_source_for_testing(MonotonicSource source) {
    test_source().store(source, std::memory_order_release);
}

}  // namespace mirevo::platform
