#include "sensor_interface/data_channel/linelaser_client.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/clock.h"
#include "sensor_interface/log/log_manager.h"

namespace data_channel {
namespace {

void applyStreamOptions(mirevo::platform::SocketHandle socket) {
    mirevo::platform::setNoDelay(socket, true);
    mirevo::platform::setReceiveTimeout(socket, linelaser_client::kSocketTimeoutMs);
    mirevo::platform::setSendTimeout(socket, linelaser_client::kSocketTimeoutMs);
    mirevo::platform::setReceiveBufferSize(socket, linelaser_client::kReceiveBufferBytes);
}

}  // namespace

linelaser_client::~linelaser_client() {
    std::lock_guard<std::mutex> lock(closeMutex_);
    mirevo::platform::closeSocket(old_);
    mirevo::platform::closeSocket(current_);
}

int linelaser_client::connect(const std::string& address, int port) {
    mirevo::platform::SocketHandle socket;
    {
        std::lock_guard<std::mutex> lock(closeMutex_);
        address_ = address;
        port_ = port;
        // A socket left behind by a failed connect would otherwise leak.
        mirevo::platform::closeSocket(current_);
        current_ = mirevo::platform::openTcpSocket();
        socket = current_;
    }
    if (socket == mirevo::platform::kNoSocket || port <= 0 || port > 0xFFFF) return kConnectFailed;

    // The wait runs without the lock: only the connecting thread closes the
    // current socket, so a validity check elsewhere need not wait 200 ms.
    if (!mirevo::platform::setNonBlocking(socket, true))
        std::printf("ioctlsocket failed with error: %ld\n", static_cast<long>(mirevo::platform::lastSocketError()));
    const mirevo::platform::ConnectStart started = mirevo::platform::startConnect(socket, address, static_cast<uint16_t>(port));
    if (!mirevo::platform::setNonBlocking(socket, false))
        std::printf("ioctlsocket failed with error: %ld\n", static_cast<long>(mirevo::platform::lastSocketError()));

    bool connected = false;
    switch (started) {
        case mirevo::platform::ConnectStart::Connected: connected = true; break;  // loopback may finish at once
        case mirevo::platform::ConnectStart::InProgress: connected = mirevo::platform::waitConnected(socket, kConnectWaitMs); break;
        case mirevo::platform::ConnectStart::Failed: break;
    }
    if (!connected) return kConnectFailed;
    applyStreamOptions(socket);
    return 0;
}

void linelaser_client::closeExpiredOldSocket() {
    if (old_ == mirevo::platform::kNoSocket || mirevo::platform::monotonic_ns() - oldSetAsideNs_ < kOldSocketGraceNs) return;
    mirevo::platform::closeSocket(old_);
    LogManager::instance().log("old connection to " + address_ + " closed", 1);
}

bool linelaser_client::isValid() {
    std::lock_guard<std::mutex> lock(closeMutex_);
    closeExpiredOldSocket();
    return current_ != mirevo::platform::kNoSocket;
}

int linelaser_client::receive(void* buffer, int size) {
    mirevo::platform::SocketHandle socket;
    {
        std::lock_guard<std::mutex> lock(closeMutex_);
        closeExpiredOldSocket();
        socket = current_;
    }
    if (socket == mirevo::platform::kNoSocket) {
        errno = EBADF;
        return -1;
    }
    // Only the reading thread closes the current socket while reads go on, so
    // the descriptor cannot change under this call.
    const mirevo::platform::IoResult result = mirevo::platform::receiveSome(socket, buffer, size > 0 ? static_cast<size_t>(size) : 0);
    switch (result.status) {
        case mirevo::platform::IoStatus::Ok: return static_cast<int>(result.bytes);
        case mirevo::platform::IoStatus::Closed: return 0;
        case mirevo::platform::IoStatus::TimedOut:
            if (!isTransientReceiveError(errno)) errno = EAGAIN;
            return -1;
        case mirevo::platform::IoStatus::Failed: break;
    }
    return -1;
}

int linelaser_client::close(bool immediate) {
    int lastResult = 0;
    {
        std::lock_guard<std::mutex> lock(closeMutex_);
        if (old_ != mirevo::platform::kNoSocket) lastResult = mirevo::platform::closeSocket(old_);
        if (current_ != mirevo::platform::kNoSocket) {
            if (immediate) {
                lastResult = mirevo::platform::closeSocket(current_);
            } else {
                old_ = current_;
                oldSetAsideNs_ = mirevo::platform::monotonic_ns();
                current_ = mirevo::platform::kNoSocket;
            }
        }
    }
    std::printf("client close = %d \n", lastResult);
    return 0;
}

int linelaser_client::reconnect(int delayMs) {
    if (delayMs > 0) {
        std::this_thread::sleep_until(std::chrono::steady_clock::now() + std::chrono::milliseconds(delayMs));
    }
    std::string address;
    int port;
    {
        std::lock_guard<std::mutex> lock(closeMutex_);
        address = address_;
        port = port_;
    }
    if (address.empty() || port == 0) return -1;
    return connect(address, port);
}

int linelaser_client::lastError() const { return mirevo::platform::lastSocketError(); }

bool isTransientReceiveError(int code) {
    return code == EAGAIN || code == EWOULDBLOCK || code == EINTR || code == ETIMEDOUT || code == EINPROGRESS;
}

}  // namespace data_channel
