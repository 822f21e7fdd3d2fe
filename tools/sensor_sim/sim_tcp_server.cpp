#include "tools/sensor_sim/sim_tcp_server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sensor_sim {

bool SimConnection::readExact(void* data, size_t size) {
    auto* bytes = static_cast<uint8_t*>(data);
    size_t have = 0;
    while (have < size) {
        ssize_t n = ::recv(fd_, bytes + have, size - have, 0);
        if (n > 0) {
            have += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return false;
    }
    return true;
}

long SimConnection::readSome(void* data, size_t size, int waitMs) {
    pollfd pfd{fd_, POLLIN, 0};
    int ready = ::poll(&pfd, 1, waitMs);
    if (ready <= 0) return 0;
    ssize_t n = ::recv(fd_, data, size, 0);
    if (n > 0) return static_cast<long>(n);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return 0;
    return -1;
}

bool SimConnection::send(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t sent = 0;
    while (sent < size) {
        if (shut_.load()) return false;
        ssize_t n = ::send(fd_, bytes + sent, size - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return false;
    }
    return true;
}

void SimConnection::shutdown() {
    shut_ = true;
    ::shutdown(fd_, SHUT_RDWR);
}

SimTcpServer::~SimTcpServer() { stop(); }

bool SimTcpServer::listen(const std::string& address, uint16_t port, ConnectionHandler handler) {
    stop();
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1) return false;
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 || ::listen(fd, 16) != 0) {
        // Said once here: a test that cannot start its sensor then shows why.
        std::fprintf(stderr, "sensor simulator: cannot listen on %s:%u: %s\n", address.c_str(),
                     static_cast<unsigned>(port), std::strerror(errno));
        ::close(fd);
        return false;
    }
    listenFd_ = fd;
    handler_ = std::move(handler);
    stopping_ = false;
    acceptThread_ = std::thread([this] { acceptLoop(); });
    return true;
}

void SimTcpServer::acceptLoop() {
    while (!stopping_.load()) {
        pollfd pfd{listenFd_, POLLIN, 0};
        if (::poll(&pfd, 1, 50) <= 0) continue;
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        const size_t acceptIndex = ++accepted_;
        reapFinished();
        std::lock_guard<std::mutex> lock(workersMutex_);
        workers_.emplace_back();
        Worker& worker = workers_.back();
        worker.connection = std::make_shared<SimConnection>(fd, acceptIndex);
        worker.thread = std::thread([this, &worker] {
            handler_(*worker.connection);
            worker.done = true;
        });
    }
}

void SimTcpServer::reapFinished() {
    std::lock_guard<std::mutex> lock(workersMutex_);
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (it->done.load()) {
            it->thread.join();
            ::close(it->connection->fd());
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

void SimTcpServer::stop() {
    stopping_ = true;
    if (acceptThread_.joinable()) acceptThread_.join();
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        listenFd_ = -1;
    }
    std::list<Worker> workers;
    {
        std::lock_guard<std::mutex> lock(workersMutex_);
        for (Worker& worker : workers_) worker.connection->shutdown();
        workers.splice(workers.end(), workers_);
    }
    for (Worker& worker : workers) {
        if (worker.thread.joinable()) worker.thread.join();
        ::close(worker.connection->fd());
    }
}

}  // namespace sensor_sim
