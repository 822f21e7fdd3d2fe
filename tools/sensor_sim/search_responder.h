#pragma once
// The sensor's answer to the device search: a register-read request for
// register 167 on UDP port 20010 (usually broadcast) is answered, to the
// sender, with one reply per head giving that head's IPv4 address and,
// in the long form, the model text.
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "tools/sensor_sim/sim_sensor.h"

namespace sensor_sim {

constexpr uint16_t kSearchPort = 20010;
constexpr uint32_t kSearchRegister = 167;

struct SearchHead {
    std::string address;    // dotted IPv4 the head reports
    std::string modelText;  // up to 16 bytes, e.g. "ZP5160F"
};

struct SearchResponderOptions {
    std::vector<SearchHead> heads;  // one reply per head, in this order
    // 11: packet only; 27: packet and 16 bytes of model text; anything in
    // between cuts the model text short (a malformed sensor).
    size_t replyLength = 27;
    // When set, the socket is made inside this named network namespace
    // (/run/netns/<name>), so a test can put the sensor behind a veth pair.
    std::string networkNamespace;
    // Broadcasts only reach an unspecific bind, which is safe only inside a
    // test namespace. Empty: "0.0.0.0" inside a namespace, else the sensor's
    // own loopback address (only unicast requests reach it there).
    std::string bindAddress;
    uint16_t port = kSearchPort;
};

// The reply of one head: opcode 161, register 167, the address bytes, CR LF,
// then the model text padded with zeros to 16 bytes, cut to length.
std::vector<uint8_t> encodeSearchReply(const std::string& address, const std::string& modelText,
                                       size_t length);

// Opens a socket of the given type inside a named network namespace (empty:
// the caller's). -1 on failure.
int openSocketInNamespace(const std::string& networkNamespace, int type);

class SearchResponder : public SimService {
public:
    explicit SearchResponder(SearchResponderOptions options);
    ~SearchResponder() override;

    // Runs on its own (bound to 127.0.0.1 unless told otherwise or inside a
    // namespace). False when the port cannot be bound.
    bool start();
    // Runs with a simulated sensor: its search port, its packet log, and its
    // address as the one head when no heads are given.
    bool start(SimSensor& sensor) override;
    void stop() override;

    size_t requestsAnswered() const { return answered_.load(); }

private:
    std::string effectiveBindAddress() const;
    void serve();
    void answer(const uint8_t* request, long size, const void* sender, unsigned senderSize);

    SearchResponderOptions options_;
    SimSensor* sensor_ = nullptr;
    std::string sensorAddress_ = "127.0.0.1";
    int socket_ = -1;
    std::atomic<bool> running_{false};
    std::atomic<size_t> answered_{0};
    std::thread thread_;
};

}  // namespace sensor_sim
