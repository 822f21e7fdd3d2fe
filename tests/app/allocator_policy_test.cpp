// The allocator policy the program sets as it starts: threads that come and
// go and free blocks of megabytes leave that memory with the system, not in
// their arenas.
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
#define MIREVO_OWN_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define MIREVO_OWN_ALLOCATOR 1
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

TEST(AllocatorPolicy, ThreadsThatFreeMegabytesLeaveNothingResident) {
#ifdef MIREVO_OWN_ALLOCATOR
    GTEST_SKIP() << "a sanitizer's allocator keeps freed memory on purpose";
#else
    ASSERT_TRUE(allocator_policy::keepLargeBlocksReturnable());
    // A large mapped block freed: without the policy this raises glibc's
    // thresholds, and every block below 8 MB comes from an arena afterwards.
    useAndFree(8 * kMiB);

    // Threads alive together (each on an arena of its own), each freeing a
    // 4 MB block, as acquisition threads do at every start.
    constexpr int kThreads = 8;
    constexpr std::size_t kBlock = 4 * kMiB;
    const long before = residentKb();
    std::mutex mutex;
    std::condition_variable allFreed;
    int freed = 0;
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&] {
            useAndFree(kBlock);
            std::unique_lock<std::mutex> lock(mutex);
            if (++freed == kThreads) allFreed.notify_all();
            allFreed.wait(lock, [&] { return freed == kThreads; });
        });
    }
    for (std::thread& thread : threads) thread.join();
    const long grownKb = residentKb() - before;

    // Without the policy about kThreads * kBlock (32 MB) stays resident.
    EXPECT_LT(grownKb, static_cast<long>(kBlock / 1024)) << "resident memory grew by " << grownKb << " kB";
#endif
}

}  // namespace
