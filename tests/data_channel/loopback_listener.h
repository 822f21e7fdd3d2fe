#pragma once
// A plain listening socket on a loopback address for tests that need to see
// connections from the peer's side (accepted, closed).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

namespace data_channel_test {

class LoopbackListener {
public:
    LoopbackListener(const std::string& address, uint16_t port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int one = 1;
        setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(port);
        inet_pton(AF_INET, address.c_str(), &local.sin_addr);
        ok_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 && ::listen(fd_, 8) == 0;
    }
    ~LoopbackListener() {
        for (int fd : accepted_) ::close(fd);
        ::close(fd_);
    }
    bool ok() const { return ok_; }

    // Accepts one pending connection; -1 when none came within waitMs.
    int accept(int waitMs = 2000) {
        pollfd pfd{fd_, POLLIN, 0};
        if (::poll(&pfd, 1, waitMs) <= 0) return -1;
        const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) accepted_.push_back(fd);
        return fd;
    }

    // True when the peer of an accepted connection has closed its end.
    static bool peerClosed(int fd, int waitMs = 0) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, waitMs) <= 0) return false;
        char byte;
        return ::recv(fd, &byte, 1, MSG_DONTWAIT | MSG_PEEK) == 0;
    }

private:
    int fd_ = -1;
    bool ok_ = false;
    std::vector<int> accepted_;
};

}  // namespace data_channel_test
