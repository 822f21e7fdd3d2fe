#pragma once
// Threads of this process, as the kernel lists them.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace acceptance {

inline int processThreadCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++count;
    return count;
}

// The count to compare with later: a thread is started and joined first, so
// that helper threads a runtime starts with the first thread (a sanitizer's)
// are counted already.
inline int threadCountBaseline() {
    std::thread([] {}).join();
    return processThreadCount();
}

// The names of the process's threads, for a failure message.
inline std::string processThreadNames() {
    std::string names;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(entry.path() / "comm");
        std::string name;
        std::getline(comm, name);
        names += (names.empty() ? "" : ", ") + name;
    }
    return names;
}

// Threads end a little after they were joined or detached; waits until at
// most `expected` are left, or timeoutMs passed. Returns the last count.
inline int waitForThreadCount(int expected, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int count = processThreadCount();
    while (count > expected && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        count = processThreadCount();
    }
    return count;
}

}  // namespace acceptance
