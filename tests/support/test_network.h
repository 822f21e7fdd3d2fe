#pragma once
// A private test network for every test that searches: the test process's own
// namespace (made by unshare -n) and a named namespace for the simulated sensors, joined
// by a veth pair with test addresses. Made and removed by the test itself.
#include <cstdint>
#include <memory>
#include <string>

namespace search_test {

class TestNetwork {
public:
    // Null with a reason in *error when the network cannot be made, including
    // when this process still shares the machine's network namespace.
    static std::unique_ptr<TestNetwork> create(std::string* error);
    ~TestNetwork();
    TestNetwork(const TestNetwork&) = delete;
    TestNetwork& operator=(const TestNetwork&) = delete;

    const std::string& sensorNamespace() const { return sensorNamespace_; }
    // This side's address of the veth pair, network byte order.
    uint32_t hostAddress() const;

    static constexpr const char* kHostAddress = "10.231.0.1";
    static constexpr const char* kSensorAddress = "10.231.0.2";

private:
    explicit TestNetwork(std::string sensorNamespace) : sensorNamespace_(std::move(sensorNamespace)) {}

    std::string sensorNamespace_;
};

}  // namespace search_test
