#pragma once
// A simulated two-head sensor for the dual-head merge: two heads, each a
// SimSensor on its own address (the second one third octet up, as the heads
// of a two-head sensor are addressed) with its own data channel and batch
// streamer, so that each head can stream its own number of frames.
#include <memory>
#include <string>

#include "tools/sensor_sim/batch_stream.h"
#include "tools/sensor_sim/data_channel.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace sensor_sim {

class SimTwoHead {
public:
    static constexpr int kHeads = 2;

    // firstAddress is "127.x.y.z" with y below 255.
    explicit SimTwoHead(const std::string& firstAddress);
    ~SimTwoHead();
    SimTwoHead(const SimTwoHead&) = delete;
    SimTwoHead& operator=(const SimTwoHead&) = delete;

    // Starts both heads; false when one cannot listen.
    bool start();
    void stop();

    const std::string& address(int head) const { return heads_[head].address; }
    SimSensor& sensor(int head) { return *heads_[head].sensor; }
    DataChannelService& dataChannel(int head) { return *heads_[head].data; }
    BatchStreamer& streamer(int head) { return *heads_[head].streamer; }

    // What each head streams when measuring starts.
    void setPlan(int head, const BatchPlan& plan);
    // Both heads stream their plans, as after a start of the measurement.
    void startStreams();
    // Waits until neither head streams; false after timeoutMs.
    bool waitIdle(int timeoutMs);

private:
    struct Head {
        std::string address;
        std::unique_ptr<SimSensor> sensor;
        std::shared_ptr<DataChannelService> data;
        std::shared_ptr<BatchStreamer> streamer;
    };
    Head heads_[kHeads];
};

// The address of the second head: the third octet of firstAddress plus one.
std::string secondHeadAddress(const std::string& firstAddress);

}  // namespace sensor_sim
