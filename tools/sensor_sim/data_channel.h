#pragma once
// The simulated sensor's data channel (TCP, port 9 of its address). The host
// only reads; tests script what the sensor sends and how the link behaves:
// whole messages, messages cut into pieces, a closed connection, refused
// reconnects, silence or periodic heartbeats.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/sensor_sim/data_messages.h"
#include "tools/sensor_sim/sim_sensor.h"
#include "tools/sensor_sim/sim_tcp_server.h"

namespace sensor_sim {

class DataChannelService : public SimService {
public:
    DataChannelService() = default;
    ~DataChannelService() override;

    // Listens on the sensor's address and data port.
    bool start(SimSensor& sensor) override;
    // Listens without a sensor (tests of the data channel alone).
    bool start(const std::string& address, uint16_t port);
    void stop() override;

    // Waits until the `count`-th connection since start is being served and a
    // connection is open; false after timeoutMs.
    bool waitForConnection(size_t count, int timeoutMs);
    // Waits until no connection is open; false after timeoutMs.
    bool waitForDisconnect(int timeoutMs);
    size_t acceptedConnections() const;
    bool connected() const;

    // Sends on the newest connection; false when there is none or it broke.
    bool send(const Bytes& bytes);
    // Sends in writes of pieceSize bytes (1: byte by byte), pausing between them.
    bool sendInPieces(const Bytes& bytes, size_t pieceSize, int pauseMs = 1);
    // Sends with a cut before each given offset, pausing at every cut.
    bool sendSplitAt(const Bytes& bytes, const std::vector<size_t>& cuts, int pauseMs = 5);

    // Ends the newest connection from the sensor's side.
    void closeConnection();
    // Stops listening until `attempts` connection attempts have been refused,
    // then listens again. The refusals are counted by watching the loopback
    // interface, which needs CAP_NET_RAW: false when that is not possible.
    // A try that comes before the listening is back is refused and counted
    // too, up to the next connection accepted.
    bool refuseConnections(int attempts);
    int refusedAttempts() const { return refused_.load(); }
    // Waits until the refusal is over (the next connection accepted, so the
    // count is final); false after timeoutMs.
    bool waitRefusalOver(int timeoutMs);

    // A heartbeat every intervalMs on the open connection; 0 keeps the sensor silent.
    void setHeartbeatInterval(int intervalMs) { heartbeatMs_ = intervalMs; }

private:
    void serve(SimConnection& connection);
    bool listen();
    void watchRefusals(int packetSocket, int attempts, size_t openedBefore);
    bool sendLocked(const void* data, size_t size);
    SimConnection* newestLocked() const;

    std::string address_;
    uint16_t port_ = 0;
    SimTcpServer server_;

    mutable std::mutex mutex_;  // the open connection and sends on it
    std::condition_variable changed_;
    // Connections being served. Sends go to the one accepted last: the host's
    // previous connection may linger until its deferred close.
    std::vector<SimConnection*> live_;
    size_t opened_ = 0;

    std::mutex controlMutex_;  // listening state
    std::atomic<bool> stopping_{false};
    std::atomic<bool> refusing_{false};
    std::atomic<int> refused_{0};
    std::thread refusalWatcher_;

    std::atomic<int> heartbeatMs_{0};
};

}  // namespace sensor_sim
