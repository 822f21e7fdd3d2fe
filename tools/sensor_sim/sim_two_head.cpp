#include "tools/sensor_sim/sim_two_head.h"

#include <stdexcept>
#include <vector>

namespace sensor_sim {

std::string secondHeadAddress(const std::string& firstAddress) {
    std::vector<int> octets;
    size_t from = 0;
    while (from <= firstAddress.size()) {
        const size_t dot = firstAddress.find('.', from);
        const size_t end = dot == std::string::npos ? firstAddress.size() : dot;
        octets.push_back(std::stoi(firstAddress.substr(from, end - from)));
        from = end + 1;
    }
    if (octets.size() != 4 || octets[2] >= 255) throw std::invalid_argument("no second head address for " + firstAddress);
    return std::to_string(octets[0]) + "." + std::to_string(octets[1]) + "." + std::to_string(octets[2] + 1) + "." +
           std::to_string(octets[3]);
}

SimTwoHead::SimTwoHead(const std::string& firstAddress) {
    const std::string addresses[kHeads] = {firstAddress, secondHeadAddress(firstAddress)};
    for (int i = 0; i < kHeads; ++i) {
        Head& head = heads_[i];
        head.address = addresses[i];
        SimOptions options;
        options.address = head.address;
        head.sensor = std::make_unique<SimSensor>(options);
        head.data = std::make_shared<DataChannelService>();
        head.streamer = std::make_shared<BatchStreamer>(head.data);
        head.sensor->addService(head.data);
        head.sensor->addService(head.streamer);
    }
}

SimTwoHead::~SimTwoHead() { stop(); }

bool SimTwoHead::start() {
    for (Head& head : heads_)
        if (!head.sensor->start()) return false;
    return true;
}

void SimTwoHead::stop() {
    // A sensor stops its services (data channel, streamer) with it.
    for (Head& head : heads_) head.sensor->stop();
}

void SimTwoHead::setPlan(int head, const BatchPlan& plan) { heads_[head].streamer->setPlan(plan); }

void SimTwoHead::startStreams() {
    for (Head& head : heads_) head.streamer->startStream();
}

bool SimTwoHead::waitIdle(int timeoutMs) {
    for (Head& head : heads_)
        if (!head.streamer->waitIdle(timeoutMs)) return false;
    return true;
}

}  // namespace sensor_sim
