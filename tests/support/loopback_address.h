#pragma once
// A loopback address of its own for every test (127.<area>.x.y, x.y from the
// test's name and the program's path), so that simulated sensors of tests
// running in parallel never share a port, not even with the same tests run
// from another build folder at the same time.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <string>

namespace mirevo::test {

inline std::string loopbackAddressForTest(int area) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::error_code ignored;
    const std::string program = std::filesystem::read_symlink("/proc/self/exe", ignored).string();
    const std::string name = program + ":" + info->test_suite_name() + "." + info->name();
    uint32_t hash = 2166136261u;
    for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
    int x = static_cast<int>((hash >> 8) & 0xFF);
    int y = static_cast<int>(hash & 0xFF);
    if (y == 0 || y == 255) y = 1;
    return "127." + std::to_string(area) + "." + std::to_string(x) + "." + std::to_string(y);
}

// The four bytes of a dotted IPv4 address, in the order written.
inline std::array<uint8_t, 4> ipv4Bytes(const std::string& dotted) {
    int a = 0, b = 0, c = 0, d = 0;
    std::sscanf(dotted.c_str(), "%d.%d.%d.%d", &a, &b, &c, &d);
    return {uint8_t(a), uint8_t(b), uint8_t(c), uint8_t(d)};
}

}  // namespace mirevo::test
