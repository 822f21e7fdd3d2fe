#include "tools/sensor_sim/search_responder.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace sensor_sim {
namespace {
constexpr size_t kModelTextSize = 16;
constexpr int kPollMs = 20;
}  // namespace

std::vector<uint8_t> encodeSearchReply(const std::string& address, const std::string& modelText,
                                       size_t length) {
    std::vector<uint8_t> bytes = encodePacket(161, kSearchRegister, 0);
    in_addr parsed{};
    inet_pton(AF_INET, address.c_str(), &parsed);
    std::memcpy(&bytes[5], &parsed.s_addr, 4);  // as the address reads, a.b.c.d
    std::vector<uint8_t> model(kModelTextSize, 0);
    std::copy_n(modelText.begin(), std::min(modelText.size(), kModelTextSize), model.begin());
    bytes.insert(bytes.end(), model.begin(), model.end());
    bytes.resize(std::min(length, bytes.size()));
    return bytes;
}

int openSocketInNamespace(const std::string& networkNamespace, int type) {
    if (networkNamespace.empty()) return ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    // A namespace switch applies to the calling thread only, and a socket keeps
    // the namespace it was made in: make it on a short-lived thread.
    int result = -1;
    std::thread maker([&] {
        const std::string path = "/run/netns/" + networkNamespace;
        const int nsFd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (nsFd < 0) return;
        if (::setns(nsFd, CLONE_NEWNET) == 0) result = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
        ::close(nsFd);
    });
    maker.join();
    return result;
}

SearchResponder::SearchResponder(SearchResponderOptions options) : options_(std::move(options)) {}

SearchResponder::~SearchResponder() { stop(); }

bool SearchResponder::start(SimSensor& sensor) {
    sensor_ = &sensor;
    sensorAddress_ = sensor.options().address;
    options_.port = sensor.options().searchPort;
    if (options_.heads.empty()) options_.heads.push_back({sensor.options().address, {}});
    return start();
}

std::string SearchResponder::effectiveBindAddress() const {
    if (!options_.bindAddress.empty()) return options_.bindAddress;
    return options_.networkNamespace.empty() ? sensorAddress_ : "0.0.0.0";
}

bool SearchResponder::start() {
    if (running_) return true;
    socket_ = openSocketInNamespace(options_.networkNamespace, SOCK_DGRAM);
    if (socket_ < 0) return false;
    const int on = 1;
    setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(options_.port);
    if (inet_pton(AF_INET, effectiveBindAddress().c_str(), &local.sin_addr) != 1 ||
        ::bind(socket_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        ::close(socket_);
        socket_ = -1;
        return false;
    }
    running_ = true;
    thread_ = std::thread([this] { serve(); });
    return true;
}

void SearchResponder::stop() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
    if (socket_ >= 0) ::close(socket_);
    socket_ = -1;
}

void SearchResponder::serve() {
    uint8_t buffer[64];
    while (running_) {
        pollfd waiting{socket_, POLLIN, 0};
        if (::poll(&waiting, 1, kPollMs) <= 0) continue;
        sockaddr_in sender{};
        socklen_t senderSize = sizeof sender;
        const long size = ::recvfrom(socket_, buffer, sizeof buffer, 0,
                                     reinterpret_cast<sockaddr*>(&sender), &senderSize);
        if (size > 0) answer(buffer, size, &sender, senderSize);
    }
}

void SearchResponder::answer(const uint8_t* request, long size, const void* sender,
                             unsigned senderSize) {
    if (size < static_cast<long>(kPacketSize)) return;
    const Request decoded = decodePacket(request);
    if (sensor_) {
        LoggedPacket packet;
        packet.time = std::chrono::steady_clock::now();
        packet.channel = "search";
        packet.opcode = decoded.opcode;
        packet.address = decoded.address;
        packet.value = decoded.value;
        sensor_->logPacket(std::move(packet));
    }
    if (decoded.opcode != 161 || decoded.address != kSearchRegister) return;
    ++answered_;  // counted before the replies leave, so whoever got them sees it
    for (const SearchHead& head : options_.heads) {
        const auto reply = encodeSearchReply(head.address, head.modelText, options_.replyLength);
        ::sendto(socket_, reply.data(), reply.size(), MSG_NOSIGNAL,
                 static_cast<const sockaddr*>(sender), senderSize);
    }
}

}  // namespace sensor_sim
