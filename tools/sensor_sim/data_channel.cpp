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

// The reset with which the TCP stack refuses a connect to address:port, in an
// IPv4 packet seen on loopback: RST and ACK from address:port with sequence
// number 0 (a SYN carries no acknowledgement to take one from; the reset
// that aborts a live connection carries that connection's sequence number).
bool isRefusal(const uint8_t* packet, size_t size, uint32_t address, uint16_t port) {
    if (size < 20 || (packet[0] >> 4) != 4 || packet[9] != IPPROTO_TCP) return false;
    const size_t ipHeader = static_cast<size_t>(packet[0] & 0x0F) * 4;
    if (ipHeader < 20 || size < ipHeader + 14) return false;
    uint32_t source;
    std::memcpy(&source, packet + 12, 4);
    const uint8_t* tcp = packet + ipHeader;
    const uint16_t sourcePort = static_cast<uint16_t>((tcp[0] << 8) | tcp[1]);
    const uint32_t sequence = static_cast<uint32_t>(tcp[4] << 24 | tcp[5] << 16 | tcp[6] << 8 | tcp[7]);
    const uint8_t flags = tcp[13];
    const bool reset = flags & 0x04;
    const bool ack = flags & 0x10;
    return source == address && sourcePort == port && reset && ack && sequence == 0;
}

// Lets only TCP resets from address:port through, so the watcher keeps up
// however busy loopback is (IP header without options, as in every reset
// Linux sends).
constexpr uint32_t netOffset(int offset) { return static_cast<uint32_t>(SKF_NET_OFF + offset); }

bool attachResetFilter(int fd, uint32_t address, uint16_t port) {
    sock_filter code[] = {
        BPF_STMT(BPF_LD | BPF_B | BPF_ABS, netOffset(9)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, IPPROTO_TCP, 0, 7),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, netOffset(12)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, ntohl(address), 0, 5),
        BPF_STMT(BPF_LD | BPF_H | BPF_ABS, netOffset(20)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, port, 0, 3),
        BPF_STMT(BPF_LD | BPF_B | BPF_ABS, netOffset(33)),
        BPF_STMT(BPF_ALU | BPF_AND | BPF_K, 0x04),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 0x04, 1, 0),
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
    if (local.sll_ifindex == 0 || !attachResetFilter(fd, address, port) ||
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
    size_t openedBefore = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        openedBefore = opened_;
        refused_ = 0;
    }
    {
        std::lock_guard<std::mutex> lock(controlMutex_);
        refusing_ = true;
        server_.stop();
    }
    refusalWatcher_ =
        std::thread([this, watcher, attempts, openedBefore] { watchRefusals(watcher, attempts, openedBefore); });
    return true;
}

void DataChannelService::watchRefusals(int packetSocket, int attempts, size_t openedBefore) {
    uint32_t address = 0;
    inet_pton(AF_INET, address_.c_str(), &address);
    // Counts the refusals queued on the packet socket. A reset is queued here
    // as loopback delivers it, before the host's TCP stack takes it: before
    // the host can know of the refusal and try again.
    auto countQueued = [&] {
        uint8_t packet[256];
        for (;;) {
            sockaddr_ll from{};
            socklen_t fromSize = sizeof from;
            const ssize_t n = ::recvfrom(packetSocket, packet, sizeof packet, MSG_DONTWAIT,
                                         reinterpret_cast<sockaddr*>(&from), &fromSize);
            if (n <= 0) return;
            if (from.sll_pkttype != PACKET_OUTGOING && isRefusal(packet, static_cast<size_t>(n), address, port_))
                ++refused_;
        }
    };
    auto accepted = [&] {
        std::lock_guard<std::mutex> lock(mutex_);
        return opened_ > openedBefore;
    };
    while (refused_.load() < attempts && !stopping_.load()) {
        pollfd pfd{packetSocket, POLLIN, 0};
        if (::poll(&pfd, 1, 20) > 0) countQueued();
    }
    {
        std::lock_guard<std::mutex> lock(controlMutex_);
        if (!stopping_.load()) listen();
    }
    // A busy machine may run the host's next try before the listening is
    // back: that try is refused as well, and counted, up to the connection
    // that is accepted (every refusal left before it is queued by then).
    const auto giveUp = Clock::now() + std::chrono::seconds(10);
    while (!stopping_.load() && !accepted() && Clock::now() < giveUp) {
        pollfd pfd{packetSocket, POLLIN, 0};
        if (::poll(&pfd, 1, 20) > 0) countQueued();
    }
    countQueued();
    ::close(packetSocket);
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
