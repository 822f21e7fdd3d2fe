#pragma once
// IPv4 datagram sockets for the device search, on the handles of socket.h.
// Functions report the system call's own result (-1 on failure, errno tells
// why) so callers can log it.
#include <cstddef>
#include <cstdint>

#include "platform/socket.h"

namespace mirevo::platform {

// A new IPv4 UDP socket, or kNoSocket.
SocketHandle openUdpSocket();
// Binds to an address in network byte order and a port; 0 or -1.
int bindUdp(SocketHandle socket, uint32_t addressNet, uint16_t port);
// Allows sending to broadcast addresses; 0 or -1.
int enableBroadcast(SocketHandle socket);
// Allows another socket of this host on the same address and port (every one
// of them receives broadcasts); 0 or -1.
int enableAddressReuse(SocketHandle socket);
// Sends one datagram; the bytes taken or -1.
long sendDatagram(SocketHandle socket, const void* data, size_t size, uint32_t addressNet,
                  uint16_t port);

struct Datagram {
    long size = -1;              // bytes stored (at most the buffer), -1 when none
    uint32_t senderNet = 0;      // network byte order
    uint16_t senderPort = 0;
};
// One queued datagram into the buffer (longer ones are cut). On a
// non-blocking socket size -1 means nothing more is queued.
Datagram receiveDatagram(SocketHandle socket, void* buffer, size_t capacity);

}  // namespace mirevo::platform
