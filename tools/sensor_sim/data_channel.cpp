#include "tools/sensor_sim/data_channel.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstring>
#include <linux/filter.h>
#include <linux/if_packet.h>
#include <net/ethernet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sensor_sim {
namespace {

using Clock = std::chrono::steady_clock;

// A TCP SYN (without ACK) to address:port in an IPv4 packet seen on loopback.
bool isConnectAttempt(const uint8_t* packet, size_t size, uint32_t address, uint16_t port) {
    if (size < 20 || (packet[0] >> 4) != 4 || packet[9] != IPPROTO_TCP) return false;
    const size_t ipHeader = static_cast<size_t>(packet[0] & 0x0F) * 4;
    if (ipHeader < 20 || size < ipHeader + 14) return false;
    uint32_t destination;
    std::memcpy(&destination, packet + 16, 4);
    const uint8_t* tcp = packet + ipHeader;
    const uint16_t destinationPort = static_cast<uint16_t>((tcp[2] << 8) | tcp[3]);
    const uint8_t flags = tcp[13];
    const bool syn = flags & 0x02;
    const bool ack = flags & 0x10;
    return destination == address && destinationPort == port && syn && !ack;
}

// Lets only TCP SYNs to address:port through, so the watcher keeps up however
// busy loopback is (IP header without options, as in every SYN Linux sends).
constexpr uint32_t netOffset(int offset) { return static_cast<uint32_t>(SKF_NET_OFF + offset); }

bool attachSynFilter(int fd, uint32_t address, uint16_t port) {
    sock_filter code[] = {
        BPF_STMT(BPF_LD | BPF_B | BPF_ABS, netOffset(9)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, IPPROTO_TCP, 0, 7),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, netOffset(16)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, ntohl(address), 0, 5),
        BPF_STMT(BPF_LD | BPF_H | BPF_ABS, netOffset(22)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, port, 0, 3),
        BPF_STMT(BPF_LD | BPF_B | BPF_ABS, netOffset(33)),
        BPF_STMT(BPF_ALU | BPF_AND | BPF_K, 0x12),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 0x02, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, 0),
        BPF_STMT(BPF_RET | BPF_K, 256),
    };
    sock_fprog program{static_cast<unsigned short>(sizeof code / sizeof code[0]), code};
    return setsockopt(fd, SOL_SOCKET, SO_ATTACH_FILTER, &program, sizeof program) == 0;
}

int openLoopbackWatcher(uint32_t address, uint16_t port) {
    const int fd = ::socket(AF_PACKET, SOCK_DGRAM | SOCK_CLOEXEC, htons(ETH_P_IP));
    if (fd < 0) return -1;
    sockaddr_ll local{};
    local.sll_family = AF_PACKET;
    local.sll_protocol = htons(ETH_P_IP);
    local.sll_ifindex = static_cast<int>(if_nametoindex("lo"));
    if (local.sll_ifindex == 0 || !attachSynFilter(fd, address, port) ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

DataChannelService::~DataChannelService() { stop(); }

bool DataChannelService::start(SimSensor& sensor) {
    return start(sensor.options().address, sensor.options().dataPort);
}

bool DataChannelService::start(const std::string& address, uint16_t port) {
    stop();
    address_ = address;
    port_ = port;
    stopping_ = false;
    refused_ = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        opened_ = 0;
    }
    std::lock_guard<std::mutex> lock(controlMutex_);
    return listen();
}

bool DataChannelService::listen() {
    return server_.listen(address_, port_, [this](SimConnection& connection) { serve(connection); });
}

void DataChannelService::stop() {
    stopping_ = true;
    if (refusalWatcher_.joinable()) refusalWatcher_.join();
    std::lock_guard<std::mutex> lock(controlMutex_);
    server_.stop();
    refusing_ = false;
}

void DataChannelService::serve(SimConnection& connection) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        live_.push_back(&connection);
        ++opened_;
    }
    changed_.notify_all();
    // The host never writes: reading only tells when it has gone away.
    uint8_t ignored[256];
    auto nextBeat = Clock::now();
    while (!connection.isShut()) {
        const int interval = heartbeatMs_.load();
        if (connection.readSome(ignored, sizeof ignored, 20) < 0) break;
        if (interval <= 0 || Clock::now() < nextBeat) continue;
        nextBeat = Clock::now() + std::chrono::milliseconds(interval);
        const Bytes beat = encodeHeartbeat();
        std::lock_guard<std::mutex> lock(mutex_);
        connection.send(beat.data(), beat.size());
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        live_.erase(std::find(live_.begin(), live_.end(), &connection));
    }
    changed_.notify_all();
}

size_t DataChannelService::acceptedConnections() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return opened_;
}

bool DataChannelService::connected() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return !live_.empty();
}

SimConnection* DataChannelService::newestLocked() const {
    SimConnection* newest = nullptr;
    for (SimConnection* connection : live_)
        if (!newest || connection->acceptIndex() > newest->acceptIndex()) newest = connection;
    return newest;
}

bool DataChannelService::waitForConnection(size_t count, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return !live_.empty() && opened_ >= count; });
}

bool DataChannelService::waitForDisconnect(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return live_.empty(); });
}

bool DataChannelService::sendLocked(const void* data, size_t size) {
    SimConnection* newest = newestLocked();
    return newest != nullptr && newest->send(data, size);
}

bool DataChannelService::send(const Bytes& bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    return sendLocked(bytes.data(), bytes.size());
}

bool DataChannelService::sendInPieces(const Bytes& bytes, size_t pieceSize, int pauseMs) {
    if (pieceSize == 0) pieceSize = 1;
    std::vector<size_t> cuts;
    for (size_t at = pieceSize; at < bytes.size(); at += pieceSize) cuts.push_back(at);
    return sendSplitAt(bytes, cuts, pauseMs);
}

bool DataChannelService::sendSplitAt(const Bytes& bytes, const std::vector<size_t>& cuts, int pauseMs) {
    // Held across the pauses so that heartbeats never land inside a message.
    std::lock_guard<std::mutex> lock(mutex_);
    size_t from = 0;
    for (size_t cut : cuts) {
        if (cut <= from || cut >= bytes.size()) continue;
        if (!sendLocked(bytes.data() + from, cut - from)) return false;
        from = cut;
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
    return sendLocked(bytes.data() + from, bytes.size() - from);
}

void DataChannelService::closeConnection() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (SimConnection* newest = newestLocked()) newest->shutdown();
}

bool DataChannelService::refuseConnections(int attempts) {
    if (refusalWatcher_.joinable()) refusalWatcher_.join();
    uint32_t address = 0;
    inet_pton(AF_INET, address_.c_str(), &address);
    const int watcher = openLoopbackWatcher(address, port_);
    if (watcher < 0) return false;
    {
        std::lock_guard<std::mutex> lock(controlMutex_);
        refusing_ = true;
        server_.stop();
    }
    refusalWatcher_ = std::thread([this, watcher, attempts] { watchRefusals(watcher, attempts); });
    return true;
}

void DataChannelService::watchRefusals(int packetSocket, int attempts) {
    uint32_t address = 0;
    inet_pton(AF_INET, address_.c_str(), &address);
    uint8_t packet[256];
    int seen = 0;
    while (seen < attempts && !stopping_.load()) {
        pollfd pfd{packetSocket, POLLIN, 0};
        if (::poll(&pfd, 1, 20) <= 0) continue;
        sockaddr_ll from{};
        socklen_t fromSize = sizeof from;
        const ssize_t n = ::recvfrom(packetSocket, packet, sizeof packet, 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
        // Loopback shows each packet twice: once leaving and once arriving.
        if (n <= 0 || from.sll_pkttype == PACKET_OUTGOING) continue;
        if (isConnectAttempt(packet, static_cast<size_t>(n), address, port_)) {
            ++seen;
            ++refused_;
        }
    }
    ::close(packetSocket);
    // The watcher sees a packet before the TCP stack has answered it: give the
    // last refusal time to happen (the host retries only after 50 ms).
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    endRefusal();
}

void DataChannelService::endRefusal() {
    {
        std::lock_guard<std::mutex> lock(controlMutex_);
        if (!stopping_.load()) listen();
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        refusing_ = false;
    }
    changed_.notify_all();
}

bool DataChannelService::waitRefusalOver(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !refusing_.load(); });
}

}  // namespace sensor_sim
