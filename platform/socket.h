#pragma once
// Thin POSIX socket layer used by the sensor channels. It keeps the semantics
// the channels are written against: a handle of -1 means "no socket", a receive
// that times out, would block or is interrupted is reported as TimedOut (never
// as a hard error), and a send never raises SIGPIPE.
#include <cstddef>
#include <cstdint>
#include <string>

namespace mirevo::platform {

using SocketHandle = int;
constexpr SocketHandle kNoSocket = -1;

enum class IoStatus {
    Ok,        // bytes > 0 were moved
    Closed,    // the peer closed the connection (receive returned 0)
    TimedOut,  // time-out, would block or interrupted: nothing moved, try again later
    Failed,    // any other error (see lastSocketError())
};

struct IoResult {
    IoStatus status = IoStatus::Failed;
    size_t bytes = 0;
    bool ok() const { return status == IoStatus::Ok; }
};

// A new IPv4 TCP socket, or kNoSocket.
SocketHandle openTcpSocket();
// Closes the socket when there is one and sets the handle to kNoSocket.
// Returns the result of close() (0 when there was nothing to close).
int closeSocket(SocketHandle& socket);

bool setNonBlocking(SocketHandle socket, bool on);

enum class ConnectStart { Connected, InProgress, Failed };
// Starts a connect to an IPv4 dotted address. On a non-blocking socket the
// usual answer is InProgress; a bad address text gives Failed.
ConnectStart startConnect(SocketHandle socket, const std::string& ipv4, uint16_t port);
// Waits at most waitMs for a connect started by startConnect to finish and
// checks SO_ERROR: on Linux a refused connect also reports "writable".
bool waitConnected(SocketHandle socket, int waitMs);
// The whole sequence: non-blocking, start, back to blocking, wait. True only
// when the connection stands within waitMs. The socket stays open either way.
bool connectWithin(SocketHandle socket, const std::string& ipv4, uint16_t port, int waitMs);

bool setReceiveTimeout(SocketHandle socket, int ms);
bool setSendTimeout(SocketHandle socket, int ms);
bool setNoDelay(SocketHandle socket, bool on);
bool setReceiveBufferSize(SocketHandle socket, int bytes);
// Best effort: asks for immediate acknowledgements on this socket.
bool setQuickAck(SocketHandle socket, bool on);

// One send call (MSG_NOSIGNAL); a partial send reports the bytes taken.
IoResult sendSome(SocketHandle socket, const void* data, size_t size);
// Sends everything, repeating partial sends; Ok only when all bytes went out.
IoResult sendAll(SocketHandle socket, const void* data, size_t size);
// One receive call of at most size bytes. A size of 0 receives nothing and
// reports TimedOut (there is no data to report).
IoResult receiveSome(SocketHandle socket, void* data, size_t size);

// Waits at most waitMs for the socket to have input (or a close/error pending).
bool waitReadable(SocketHandle socket, int waitMs);

// errno of the last failed call of this thread.
int lastSocketError();

}  // namespace mirevo::platform
