#pragma once
// A loopback address of its own for every test (127.<area>.x.y, x.y from the
// test's name), so that simulated sensors of tests running in parallel never
// share a port.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace mirevo::test {

inline std::string loopbackAddressForTest(int area) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    uint32_t hash = 2166136261u;
    for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
    int x = static_cast<int>((hash >> 8) & 0xFF);
    int y = static_cast<int>(hash & 0xFF);
    if (y == 0 || y == 255) y = 1;
    return "127." + std::to_string(area) + "." + std::to_string(x) + "." + std::to_string(y);
}

}  // namespace mirevo::test
