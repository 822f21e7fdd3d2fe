#pragma once
// A small TCP server for the simulated sensor's channels: listens on one
// address and port and runs a handler per accepted connection on its own
// thread. stop() unblocks every handler and joins them all.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace sensor_sim {

class SimConnection {
public:
    explicit SimConnection(int fd, size_t acceptIndex = 0) : fd_(fd), acceptIndex_(acceptIndex) {}
    int fd() const { return fd_; }
    // 1 for the first connection the server accepted, 2 for the next...
    size_t acceptIndex() const { return acceptIndex_; }
    // Reads exactly size bytes; false when the peer closed, on error or stop.
    bool readExact(void* data, size_t size);
    // Reads what is there (at most size bytes), waiting at most waitMs for the
    // first byte. Returns the count, 0 on time-out, -1 when the peer closed.
    long readSome(void* data, size_t size, int waitMs);
    // Writes all bytes (no SIGPIPE); false when the connection is gone.
    bool send(const void* data, size_t size);
    // Ends the connection for both sides; the descriptor is closed by the server.
    void shutdown();
    bool isShut() const { return shut_.load(); }

private:
    int fd_;
    size_t acceptIndex_;
    std::atomic<bool> shut_{false};
};

class SimTcpServer {
public:
    using ConnectionHandler = std::function<void(SimConnection& connection)>;

    SimTcpServer() = default;
    ~SimTcpServer();
    SimTcpServer(const SimTcpServer&) = delete;
    SimTcpServer& operator=(const SimTcpServer&) = delete;

    // Binds and starts accepting. False when the address cannot be bound.
    bool listen(const std::string& address, uint16_t port, ConnectionHandler handler);
    void stop();
    bool listening() const { return listenFd_ >= 0; }
    size_t acceptedCount() const { return accepted_.load(); }

private:
    struct Worker {
        std::shared_ptr<SimConnection> connection;
        std::thread thread;
        std::atomic<bool> done{false};
    };

    void acceptLoop();
    void reapFinished();

    int listenFd_ = -1;
    ConnectionHandler handler_;
    std::atomic<bool> stopping_{false};
    std::atomic<size_t> accepted_{0};
    std::thread acceptThread_;
    std::mutex workersMutex_;
    std::list<Worker> workers_;
};

}  // namespace sensor_sim
