#include "platform/udp_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>

namespace mirevo::platform {
namespace {

sockaddr_in ipv4(uint32_t addressNet, uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = addressNet;
    address.sin_port = htons(port);
    return address;
}

int setFlag(SocketHandle socket, int option) {
    const int on = 1;
    return setsockopt(socket, SOL_SOCKET, option, &on, sizeof on);
}

}  // namespace

SocketHandle openUdpSocket() {
    const int handle = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    return handle < 0 ? kNoSocket : handle;
}

int bindUdp(SocketHandle socket, uint32_t addressNet, uint16_t port) {
    const sockaddr_in address = ipv4(addressNet, port);
    return ::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

int enableBroadcast(SocketHandle socket) { return setFlag(socket, SO_BROADCAST); }

int enableAddressReuse(SocketHandle socket) { return setFlag(socket, SO_REUSEADDR); }

long sendDatagram(SocketHandle socket, const void* data, size_t size, uint32_t addressNet,
                  uint16_t port) {
    const sockaddr_in address = ipv4(addressNet, port);
    return static_cast<long>(::sendto(socket, data, size, MSG_NOSIGNAL,
                                      reinterpret_cast<const sockaddr*>(&address), sizeof address));
}

Datagram receiveDatagram(SocketHandle socket, void* buffer, size_t capacity) {
    Datagram datagram;
    sockaddr_in sender{};
    socklen_t senderSize = sizeof sender;
    ssize_t received;
    do {
        received = ::recvfrom(socket, buffer, capacity, 0, reinterpret_cast<sockaddr*>(&sender),
                              &senderSize);
    } while (received < 0 && errno == EINTR);
    if (received < 0) return datagram;
    datagram.size = static_cast<long>(received);
    datagram.senderNet = sender.sin_addr.s_addr;
    datagram.senderPort = ntohs(sender.sin_port);
    return datagram;
}

}  // namespace mirevo::platform
