#include "sensor_interface/command/search.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "platform/adapters.h"
#include "platform/udp_socket.h"
#include "sensor_interface/command/register_packet.h"
#include "sensor_interface/log/log_manager.h"

namespace plat = mirevo::platform;

namespace {

constexpr uint32_t kLimitedBroadcast = 0xFFFFFFFFu;  // 255.255.255.255, any byte order
constexpr int kNoticeLevel = 1;

void logFailure(const char* what, long result) {
    LogManager::instance().log(std::string(what) + std::to_string(result), kNoticeLevel);
}

// Every socket a search opened, each closed once when the search ends.
class SearchSockets {
public:
    ~SearchSockets() {
        for (plat::SocketHandle& socket : sockets_) plat::closeSocket(socket);
    }
    plat::SocketHandle add(plat::SocketHandle socket) {
        sockets_.push_back(socket);
        return socket;
    }
    const std::vector<plat::SocketHandle>& all() const { return sockets_; }

private:
    std::vector<plat::SocketHandle> sockets_;
};

bool sendRequest(SearchSockets& sockets, uint32_t localAddress) {
    const plat::SocketHandle socket = sockets.add(plat::openUdpSocket());
    if (socket == plat::kNoSocket) {
        logFailure("socket failed with error:", -1);
        return false;
    }
    if (const int result = plat::bindUdp(socket, localAddress, kSearchPort); result != 0) {
        logFailure("bind failed with error:", result);
        return false;
    }
    if (const int result = plat::enableBroadcast(socket); result != 0) {
        logFailure("setsockopt failed with error:", result);
        return false;
    }
    const auto request = RegisterPacket::build(
        static_cast<uint8_t>(CommandOpcode::ReadRegister), kSearchRegister, 0);
    const long sent = plat::sendDatagram(socket, request.data(), request.size(), kLimitedBroadcast,
                                         kSearchPort);
    if (sent != static_cast<long>(request.size())) {
        LogManager::instance().log("connect failed!\n", kNoticeLevel);
        return false;
    }
    return true;
}

// Reads the replies queued on one socket. False when the socket cannot be
// switched to non-blocking reads.
bool collectReplies(plat::SocketHandle socket, SearchCollector& collector) {
    if (!plat::setNonBlocking(socket, true)) {
        logFailure("ioctlsocket failed with error:", -1);
        return false;
    }
    uint8_t buffer[kSearchReplyCapacity];
    while (!collector.full()) {
        std::fill(std::begin(buffer), std::end(buffer), 0);
        const plat::Datagram datagram = plat::receiveDatagram(socket, buffer, sizeof buffer);
        if (datagram.size < 0) break;
        if (const auto reply = parseSearchReply(buffer, static_cast<size_t>(datagram.size))) {
            collector.add(*reply);
        }
    }
    return true;
}

}  // namespace

SearchResultTable& SearchResultTable::instance() {
    // Never destroyed: a caller may still hold the table's address at exit.
    static SearchResultTable* table = new SearchResultTable;
    return *table;
}

const uint32_t* SearchResultTable::publish(const std::vector<uint32_t>& addresses) {
    std::lock_guard<std::mutex> lock(mutex_);
    table_.fill(0);
    count_ = std::min(addresses.size(), table_.size());
    std::copy_n(addresses.begin(), count_, table_.begin());
    return table_.data();
}

std::vector<uint32_t> SearchResultTable::entries() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::vector<uint32_t>(table_.begin(), table_.begin() + static_cast<long>(count_));
}

std::vector<uint32_t> searchLocalAddresses() {
    std::vector<uint32_t> addresses;
    for (const plat::Ipv4Adapter& adapter : plat::upIpv4Adapters()) {
        if (!adapter.canBroadcast || adapter.isLoopback) continue;
        // An address held by two adapters could only be bound once, and the
        // second bind would fail the whole search.
        if (std::find(addresses.begin(), addresses.end(), adapter.address) == addresses.end()) {
            addresses.push_back(adapter.address);
        }
    }
    return addresses;
}

bool search_send(SearchCollector& collector, int waitMs, const std::vector<uint32_t>& localAddresses) {
    SearchSockets sockets;
    for (const uint32_t localAddress : localAddresses) {
        if (!sendRequest(sockets, localAddress)) return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::max(waitMs, 0)));
    for (const plat::SocketHandle socket : sockets.all()) {
        if (collector.full()) break;
        if (!collectReplies(socket, collector)) return false;
    }
    return true;
}

const uint32_t* search_online(int* count, int waitMs) {
    if (!count) return nullptr;
    *count = 0;
    // Searches take turns: they share the table and the port.
    static std::mutex* searchMutex = new std::mutex;
    std::lock_guard<std::mutex> lock(*searchMutex);
    SearchCollector collector;
    const bool succeeded = search_send(collector, waitMs, searchLocalAddresses());
    const std::vector<uint32_t> found = succeeded ? collector.finish() : std::vector<uint32_t>{};
    const uint32_t* table = SearchResultTable::instance().publish(found);
    if (!succeeded) return nullptr;
    *count = static_cast<int>(found.size());
    return table;
}
