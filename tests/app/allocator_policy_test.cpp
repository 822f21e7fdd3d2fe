// The allocator policy the program sets as it starts: what threads that come
// and go keep of the megabytes they freed is bounded by the arenas, not by
// how many threads there were. A program of its own, so that no earlier test
// has made arenas already.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/allocator_policy.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define MIREVO_SANITIZER_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define MIREVO_SANITIZER_ALLOCATOR 1
#endif
#endif

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// A block of the size, every page written, then freed.
void useAndFree(std::size_t bytes) {
    std::vector<uint8_t> block(bytes, 1);
    volatile uint8_t last = block.back();
    (void)last;
}

TEST(AllocatorPolicy, ThreadsThatComeAndGoKeepFreedMemoryInAFewArenas) {
#ifdef MIREVO_SANITIZER_ALLOCATOR
    GTEST_SKIP() << "a sanitizer's allocator keeps freed memory on purpose";
#else
    ASSERT_TRUE(allocator_policy::boundArenas());
    // A large mapped block freed raises glibc's thresholds: blocks below
    // 8 MB come from the arenas afterwards, and an arena keeps a freed top
    // of up to 16 MB.
    useAndFree(8 * kMiB);

    // Threads alive together, so that each one without a free arena gets a
    // new one, as at a mode switch or a reconnection; each writes and frees
    // a 4 MB block, one after the other, so that no arena ever held more
    // than one block at a time.
    constexpr int kThreads = 16;
    constexpr std::size_t kBlock = 4 * kMiB;
    const long before = residentKb();
    std::mutex mutex;
    std::mutex oneAtATime;
    std::condition_variable allDone;
    int done = 0;
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&] {
            {
                std::lock_guard<std::mutex> turn(oneAtATime);
                useAndFree(kBlock);
            }
            std::unique_lock<std::mutex> lock(mutex);
            if (++done == kThreads) allDone.notify_all();
            allDone.wait(lock, [&] { return done == kThreads; });
        });
    }
    for (std::thread& thread : threads) thread.join();
    const long grownKb = residentKb() - before;

    // At most a block per arena stays resident (and the threads' stacks, a
    // little); without the bound, a block per thread (64 MB).
    const long boundKb = static_cast<long>((allocator_policy::kArenas * kBlock + kMiB) / 1024);
    EXPECT_LE(grownKb, boundKb) << "resident memory grew by " << grownKb << " kB";
#endif
}

}  // namespace
