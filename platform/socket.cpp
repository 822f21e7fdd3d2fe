#include "platform/socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace mirevo::platform {
namespace {

thread_local int t_lastError = 0;

bool remember(bool ok) {
    if (!ok) t_lastError = errno;
    return ok;
}

bool isTransient(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR || error == EINPROGRESS;
}

IoResult failure() {
    t_lastError = errno;
    return IoResult{isTransient(t_lastError) ? IoStatus::TimedOut : IoStatus::Failed, 0};
}

bool setTimeout(SocketHandle socket, int option, int ms) {
    timeval tv{};
    if (ms > 0) {
        tv.tv_sec = ms / 1000;
        tv.tv_usec = (ms % 1000) * 1000;
    }
    return remember(setsockopt(socket, SOL_SOCKET, option, &tv, sizeof tv) == 0);
}

bool setIntOption(SocketHandle socket, int level, int option, int value) {
    return remember(setsockopt(socket, level, option, &value, sizeof value) == 0);
}

// poll() restarted after signals, with the remaining time recomputed coarsely.
int pollFor(SocketHandle socket, short events, int waitMs, short* revents) {
    pollfd pfd{socket, events, 0};
    for (;;) {
        int n = poll(&pfd, 1, waitMs < 0 ? 0 : waitMs);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) t_lastError = errno;
        *revents = pfd.revents;
        return n;
    }
}

}  // namespace

SocketHandle openTcpSocket() {
    SocketHandle s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (s < 0) {
        t_lastError = errno;
        return kNoSocket;
    }
    return s;
}

int closeSocket(SocketHandle& socket) {
    if (socket == kNoSocket) return 0;
    int result = ::close(socket);
    if (result != 0) t_lastError = errno;
    socket = kNoSocket;
    return result;
}

bool setNonBlocking(SocketHandle socket, bool on) {
    int flags = fcntl(socket, F_GETFL, 0);
    if (flags < 0) return remember(false);
    flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    return remember(fcntl(socket, F_SETFL, flags) == 0);
}

ConnectStart startConnect(SocketHandle socket, const std::string& ipv4, uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (inet_pton(AF_INET, ipv4.c_str(), &address.sin_addr) != 1) {
        t_lastError = EINVAL;
        return ConnectStart::Failed;
    }
    if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return ConnectStart::Connected;
    t_lastError = errno;
    return isTransient(t_lastError) ? ConnectStart::InProgress : ConnectStart::Failed;
}

bool waitConnected(SocketHandle socket, int waitMs) {
    short revents = 0;
    if (pollFor(socket, POLLOUT, waitMs, &revents) <= 0) return false;
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return remember(false);
    if (error != 0) {
        t_lastError = error;
        return false;
    }
    return (revents & POLLOUT) != 0;
}

bool connectWithin(SocketHandle socket, const std::string& ipv4, uint16_t port, int waitMs) {
    if (socket == kNoSocket) return false;
    setNonBlocking(socket, true);
    ConnectStart start = startConnect(socket, ipv4, port);
    setNonBlocking(socket, false);
    if (start == ConnectStart::Failed) return false;
    return waitConnected(socket, waitMs);
}

bool setReceiveTimeout(SocketHandle socket, int ms) { return setTimeout(socket, SO_RCVTIMEO, ms); }
bool setSendTimeout(SocketHandle socket, int ms) { return setTimeout(socket, SO_SNDTIMEO, ms); }

bool setNoDelay(SocketHandle socket, bool on) {
    return setIntOption(socket, IPPROTO_TCP, TCP_NODELAY, on ? 1 : 0);
}

bool setReceiveBufferSize(SocketHandle socket, int bytes) {
    return setIntOption(socket, SOL_SOCKET, SO_RCVBUF, bytes);
}

bool setQuickAck(SocketHandle socket, bool on) {
    return setIntOption(socket, IPPROTO_TCP, TCP_QUICKACK, on ? 1 : 0);
}

IoResult sendSome(SocketHandle socket, const void* data, size_t size) {
    if (socket == kNoSocket) {
        t_lastError = EBADF;
        return IoResult{IoStatus::Failed, 0};
    }
    ssize_t n = ::send(socket, data, size, MSG_NOSIGNAL);
    if (n < 0) return failure();
    return IoResult{IoStatus::Ok, static_cast<size_t>(n)};
}

IoResult sendAll(SocketHandle socket, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    size_t sent = 0;
    while (sent < size) {
        IoResult part = sendSome(socket, bytes + sent, size - sent);
        if (!part.ok()) return IoResult{part.status, sent};
        sent += part.bytes;
    }
    return IoResult{IoStatus::Ok, sent};
}

IoResult receiveSome(SocketHandle socket, void* data, size_t size) {
    if (socket == kNoSocket) {
        t_lastError = EBADF;
        return IoResult{IoStatus::Failed, 0};
    }
    if (size == 0) return IoResult{IoStatus::TimedOut, 0};
    ssize_t n = ::recv(socket, data, size, 0);
    if (n < 0) return failure();
    if (n == 0) return IoResult{IoStatus::Closed, 0};
    return IoResult{IoStatus::Ok, static_cast<size_t>(n)};
}

bool waitReadable(SocketHandle socket, int waitMs) {
    short revents = 0;
    return pollFor(socket, POLLIN, waitMs, &revents) > 0;
}

int lastSocketError() { return t_lastError; }

}  // namespace mirevo::platform
