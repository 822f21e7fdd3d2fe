#pragma once
// A loopback address of its own for every test (127.<area>.x.y, x.y from the
// test's name and the program's path), so that simulated sensors of tests
// running in parallel never share a port, not even with the same tests run
// from another build folder at the same time.
//
// Two names can hash alike: each test claims its address with a lock file
// (under /tmp/mirevo-loopback, held until the process ends, whichever build
// folder or worktree it runs from), and one whose address another process
// holds takes the next free one. A claim covers the addresses a multi-head
// simulator adds (a second head at x + 1, heads two to four at y + 1 to
// y + 3): x is even and y one above a multiple of four. Within a process a
// test gets the same address on every call.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>
#include <string>
#include <utility>

namespace mirevo::test {

namespace loopback_detail {

// Holds the address's lock file open for the rest of the process; false
// while another process holds it.
inline bool claim(const std::string& address) {
    static const char kFolder[] = "/tmp/mirevo-loopback";
    if (::mkdir(kFolder, 01777) == 0) ::chmod(kFolder, 01777);
    const std::string path = std::string(kFolder) + "/" + address;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return true;  // no claims possible here: the hashed address as before
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    ::close(fd);
    return false;
}

}  // namespace loopback_detail

inline std::string loopbackAddressForTest(int area) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string test = info ? std::string(info->test_suite_name()) + "." + info->name() : std::string();
    static std::mutex mutex;
    static std::map<std::pair<int, std::string>, std::string> claimed;
    std::lock_guard<std::mutex> lock(mutex);
    const auto known = claimed.find({area, test});
    if (known != claimed.end()) return known->second;

    std::error_code ignored;
    const std::string program = std::filesystem::read_symlink("/proc/self/exe", ignored).string();
    const std::string name = program + ":" + test;
    uint32_t hash = 2166136261u;
    for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
    // 128 even values of x, 63 of y (1, 5, ..., 249): the blocks do not overlap.
    constexpr uint32_t kBlocks = 128 * 63;
    std::string address;
    for (uint32_t step = 0; step < kBlocks; ++step) {
        const uint32_t block = (hash + step) % kBlocks;
        const int x = static_cast<int>(block / 63) * 2;
        const int y = static_cast<int>(block % 63) * 4 + 1;
        address = "127." + std::to_string(area) + "." + std::to_string(x) + "." + std::to_string(y);
        if (loopback_detail::claim(address)) break;
    }
    claimed[{area, test}] = address;
    return address;
}

// The four bytes of a dotted IPv4 address, in the order written.
inline std::array<uint8_t, 4> ipv4Bytes(const std::string& dotted) {
    int a = 0, b = 0, c = 0, d = 0;
    std::sscanf(dotted.c_str(), "%d.%d.%d.%d", &a, &b, &c, &d);
    return {uint8_t(a), uint8_t(b), uint8_t(c), uint8_t(d)};
}

}  // namespace mirevo::test
