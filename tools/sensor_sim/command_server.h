#pragma once
// The simulated sensor's command channel: reads register packets (and the
// payload the opcode calls for) from each connection, logs them, applies the
// injected faults and lets the opcode's handler answer.
#include <cstdint>
#include <string>

#include "tools/sensor_sim/sim_tcp_server.h"

namespace sensor_sim {

class SimSensor;

class CommandServer {
public:
    explicit CommandServer(SimSensor& sensor) : sensor_(sensor) {}
    bool start(const std::string& address, uint16_t port);
    void stop() { server_.stop(); }
    bool running() const { return server_.listening(); }

private:
    void serve(SimConnection& connection);

    SimSensor& sensor_;
    SimTcpServer server_;
};

}  // namespace sensor_sim
