#pragma once
// The data-channel socket of one receiver. Not the GUI's LinelaserClient: this
// one only connects, receives and closes, and keeps the address for reconnects.
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/socket.h"

namespace data_channel {

class linelaser_client {
public:
    static constexpr int kConnectWaitMs = 200;
    static constexpr int kSocketTimeoutMs = 200;
    static constexpr int kReceiveBufferBytes = 0xFFFF;
    // An old socket is closed by the validity check once it has waited this long.
    static constexpr int64_t kOldSocketGraceNs = 500'000'000;
    static constexpr int kConnectFailed = -4;

    linelaser_client() = default;
    ~linelaser_client();
    linelaser_client(const linelaser_client&) = delete;
    linelaser_client& operator=(const linelaser_client&) = delete;

    // 0 when the connection stands within 200 ms, else kConnectFailed (the
    // socket then stays in the current slot until the next close).
    int connect(const std::string& address, int port);
    // Closes an old socket that has waited long enough; true when a current socket exists.
    bool isValid();
    // -1 without a current socket, else the result of one blocking receive:
    // bytes, 0 when the peer closed, negative on error (see lastError()).
    int receive(void* buffer, int size);
    // Closes the current socket at once, or sets it aside to be closed later.
    // A socket already set aside is closed now. Returns 0.
    int close(bool immediate);
    // Waits delayMs, then connects again to the stored address; -1 when none is stored.
    int reconnect(int delayMs);
    // The last socket error code of the calling thread.
    int lastError() const;

private:
    void closeExpiredOldSocket();

    std::mutex closeMutex_;  // guards every field below
    mirevo::platform::SocketHandle current_ = mirevo::platform::kNoSocket;
    mirevo::platform::SocketHandle old_ = mirevo::platform::kNoSocket;
    int64_t oldSetAsideNs_ = 0;
    std::string address_;
    int port_ = 0;
};

// Receive errors that only mean "nothing yet": the reader keeps the connection.
bool isTransientReceiveError(int code);

}  // namespace data_channel
