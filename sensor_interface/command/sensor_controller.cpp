#include "sensor_interface/command/sensor_controller.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "sensor_interface/command/register_packet.h"
#include "sensor_interface/command/silence_clock.h"
#include "sensor_interface/log/log_manager.h"
#include "sensor_interface/status_codes.h"

namespace net = mirevo::platform;

namespace {

constexpr uint8_t kWriteOpcode = static_cast<uint8_t>(CommandOpcode::WriteRegister);
constexpr uint8_t kReadOpcode = static_cast<uint8_t>(CommandOpcode::ReadRegister);
constexpr int kEchoRetryLimit = 50;
constexpr int kEchoRetryPauseMs = 50;
constexpr int kDrainTimeoutMs = 5;
constexpr std::size_t kDrainChunk = 4096;
constexpr int kStreamRetryPauseMs = 10;
const char kEndOfText[] = ",end\r\n";
const char kRejectedMarker[] = "END\r\n";

void sleepMs(int ms) {
    if (ms > 0) std::this_thread::sleep_until(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms));
}

void console(const char* text) {
    std::fputs(text, stdout);
    std::fflush(stdout);
}

bool endsWith(const std::vector<uint8_t>& bytes, const char* tail, std::size_t tailLength) {
    return bytes.size() >= tailLength && std::memcmp(bytes.data() + bytes.size() - tailLength, tail, tailLength) == 0;
}

}  // namespace

SensorController::SensorController() : rxBuffer_(new uint8_t[kRxBufferSize]) {
    laserParams = settings_.laser_params();
}

SensorController::~SensorController() {
    net::closeSocket(previousSocket_);
    net::closeSocket(commandSocket_);
}

void SensorController::reportReceiveTimeout() { console("recv tcp time out \n"); }

// ---------------------------------------------------------------- connection

bool SensorController::connect(int deviceId, const std::string& address, int port) {
    sensorId = deviceId;
    addressText = address;
    portNumber = port;
    if (tuneTcpAck(address)) LogManager::instance().log("interface inited.", 1);

    net::closeSocket(previousSocket_);
    previousSocket_ = commandSocket_;
    commandSocket_ = net::openTcpSocket();

    if (!net::setNonBlocking(commandSocket_, true)) {
        std::printf("ioctlsocket failed with error: %ld\n", static_cast<long>(net::lastSocketError()));
        return false;
    }
    net::ConnectStart start = net::startConnect(commandSocket_, address, static_cast<uint16_t>(port));
    if (!net::setNonBlocking(commandSocket_, false)) {
        std::printf("ioctlsocket failed with error: %ld\n", static_cast<long>(net::lastSocketError()));
        return false;
    }
    // A refused connect also shows as writable: waitConnected checks SO_ERROR.
    bool connectedNow = start != net::ConnectStart::Failed && net::waitConnected(commandSocket_, kConnectWaitMs);
    const std::string idText = std::to_string(deviceId);
    if (!connectedNow) {
        LogManager::instance().log("connect[" + idText + "] to " + address + ":7 failed", 0);
        return false;
    }
    console("connect success!\n");
    applySocketOptions();
    LogManager::instance().log("connect[" + idText + "] to " + address + " successfully", 0);
    return true;
}

void SensorController::applySocketOptions() {
    net::setNoDelay(commandSocket_, true);
    net::setReceiveTimeout(commandSocket_, timeoutMs);
    net::setSendTimeout(commandSocket_, timeoutMs);
    net::setReceiveBufferSize(commandSocket_, kReceiveBufferBytes);
}

bool SensorController::reconnect() {
    sleepMs(100);
    bool ok = connect(sensorId, addressText, portNumber);
    sleepMs(600);
    net::closeSocket(previousSocket_);
    return ok;
}

void SensorController::drainSocket() {
    if (commandSocket_ == net::kNoSocket) return;
    net::setReceiveTimeout(commandSocket_, kDrainTimeoutMs);
    uint8_t scratch[kDrainChunk];
    while (net::receiveSome(commandSocket_, scratch, sizeof scratch).ok()) {
    }
    net::setReceiveTimeout(commandSocket_, timeoutMs);
}

void SensorController::closeSockets(bool alsoCommand) {
    // Under the transfer mutex, so that a descriptor is never closed (and its
    // number reused) while another thread's exchange is still using it.
    std::lock_guard<std::mutex> lock(transferMutex_);
    net::closeSocket(previousSocket_);
    if (alsoCommand) net::closeSocket(commandSocket_);
}

int SensorController::reconnectAndDrain(int status) {
    reconnect();
    drainSocket();
    return status;
}

// ----------------------------------------------------------------- exchanges

int SensorController::transact(uint8_t opcode, uint32_t address, uint32_t& value, int waitMs) {
    return exchange(opcode, address, value, waitMs, nullptr, EchoCache::ReadValue);
}

int SensorController::transact(uint8_t opcode, uint16_t hi, uint16_t lo, uint32_t& value, int waitMs) {
    return transact(opcode, (uint32_t(hi) << 16) | lo, value, waitMs);
}

int SensorController::transactWithPayload(uint8_t opcode, uint32_t address, uint32_t& value, int waitMs,
                                          const Bytes* payload) {
    return exchange(opcode, address, value, waitMs, payload, EchoCache::WrittenValue);
}

int SensorController::transactHiLo(uint8_t opcode, uint16_t hi, uint16_t lo, uint32_t& value, int waitMs,
                                   const Bytes* payload) {
    return transactWithPayload(opcode, (uint32_t(hi) << 16) | lo, value, waitMs, payload);
}

int SensorController::exchange(uint8_t opcode, uint32_t address, uint32_t& value, int waitMs,
                               const Bytes* payload, EchoCache cache) {
    std::lock_guard<std::mutex> lock(transferMutex_);
    // Checked under the mutex: two threads finding no socket must not
    // reconnect over each other.
    if (commandSocket_ == net::kNoSocket) return reconnectAndDrain(HVQ5_RC_NO_SOCKET);

    RegisterPacket::Bytes packet = RegisterPacket::build(opcode, address, value);
    net::IoResult sent;
    if (payload && !payload->empty()) {
        Bytes request(packet.begin(), packet.end());
        request.insert(request.end(), payload->begin(), payload->end());
        sent = net::sendAll(commandSocket_, request.data(), request.size());
    } else {
        sent = net::sendAll(commandSocket_, packet.data(), packet.size());
    }
    if (!sent.ok()) return reconnectAndDrain(HVQ5_RC_SEND_FAILED);

    sleepMs(waitMs);
    uint8_t echo[RegisterPacket::size];
    EchoOutcome outcome = receiveEcho(echo);
    if (outcome == EchoOutcome::Nothing) {
        reconnectAndDrain(HVQ5_RC_TIMEOUT);
        reportReceiveTimeout();
        return HVQ5_RC_TIMEOUT;
    }
    const bool complete = outcome == EchoOutcome::Complete;
    const uint32_t echoAddress = RegisterPacket::addressOf(echo);
    const uint32_t echoValue = RegisterPacket::valueOf(echo);
    // The sensor stores what its echo says, even under another address.
    if (complete && cache == EchoCache::WrittenValue && opcode == kWriteOpcode)
        settings_.set_regvals(echoAddress, echoValue);
    if (!complete || echoAddress != address) return reconnectAndDrain(HVQ5_RC_BAD_REPLY);
    if (cache == EchoCache::ReadValue && opcode == kReadOpcode) settings_.set_regvals(echoAddress, echoValue);
    value = echoValue;
    return HVQ5_RC_OK;
}

// The echo is always 11 bytes, but TCP may deliver it in pieces: once the
// first bytes are in, the rest is awaited for the same silence limit.
SensorController::EchoOutcome SensorController::receiveEcho(uint8_t* echo) {
    net::IoResult first = net::receiveSome(commandSocket_, echo, RegisterPacket::size);
    if (!first.ok()) {
        SilenceClock silence;
        for (int attempt = 0; attempt < kEchoRetryLimit; ++attempt) {
            // A closed connection will never answer: no point in waiting.
            if (first.status == net::IoStatus::Closed) return EchoOutcome::Nothing;
            if (silence.elapsedMs() > timeoutMs) return EchoOutcome::Nothing;
            first = net::receiveSome(commandSocket_, echo, RegisterPacket::size);
            if (first.ok()) break;
            sleepMs(kEchoRetryPauseMs);
        }
        if (!first.ok()) return EchoOutcome::Nothing;
    }
    std::size_t have = first.bytes;
    return receiveRemainder(echo, have, RegisterPacket::size) ? EchoOutcome::Complete : EchoOutcome::Partial;
}

// Receives until size bytes are held; false when the peer closes or stays
// silent for longer than the time-out.
bool SensorController::receiveRemainder(uint8_t* data, std::size_t& have, std::size_t size) {
    SilenceClock silence;
    while (have < size) {
        net::IoResult part = net::receiveSome(commandSocket_, data + have, size - have);
        if (part.ok()) {
            have += part.bytes;
            silence.dataArrived();
            continue;
        }
        if (part.status != net::IoStatus::TimedOut) return false;
        if (silence.elapsedMs() >= timeoutMs) return false;
    }
    return true;
}

int SensorController::sendOnly(uint8_t opcode, uint32_t address, uint32_t value) {
    std::lock_guard<std::mutex> lock(transferMutex_);
    if (commandSocket_ == net::kNoSocket) return HVQ5_RC_NO_SOCKET;
    RegisterPacket::Bytes packet = RegisterPacket::build(opcode, address, value);
    return net::sendAll(commandSocket_, packet.data(), packet.size()).ok() ? HVQ5_RC_OK : HVQ5_RC_SEND_FAILED;
}

int SensorController::transactAlone(uint8_t opcode, uint32_t address, uint32_t& value, int waitMs,
                                    const Bytes* payload) {
    std::lock_guard<std::mutex> compound(transactionMutex_);
    return transactWithPayload(opcode, address, value, waitMs, payload);
}

int SensorController::exchangeRaw(uint8_t opcode, uint32_t address, Bytes& out) {
    std::lock_guard<std::mutex> compound(transactionMutex_);
    std::lock_guard<std::mutex> lock(transferMutex_);
    if (commandSocket_ == net::kNoSocket) return HVQ5_RC_NO_SOCKET;
    RegisterPacket::Bytes packet = RegisterPacket::build(opcode, address, 0);
    if (!net::sendAll(commandSocket_, packet.data(), packet.size()).ok()) return HVQ5_RC_SEND_FAILED;
    sleepMs(2);
    uint8_t reply[RegisterPacket::size];
    net::IoResult received = net::receiveSome(commandSocket_, reply, sizeof reply);
    if (!received.ok()) return HVQ5_RC_TIMEOUT;
    out.insert(out.end(), reply, reply + received.bytes);
    return HVQ5_RC_OK;
}

// ------------------------------------------------------------ register access

int SensorController::readRegister(uint32_t reg, uint32_t& value, int waitMs, bool bulk, Bytes* bulkOut,
                                   std::size_t bulkSize) {
    std::lock_guard<std::mutex> lock(transactionMutex_);
    int status = transact(kReadOpcode, reg, value, waitMs);
    if (status == HVQ5_RC_OK && bulk) {
        std::size_t size = reg == kBulkSizeRegister ? value : bulkSize;
        status = receiveBulk(bulkOut, size, true);
    }
    if (status == HVQ5_RC_BAD_REPLY) {
        Bytes discarded;
        receiveUntil(discarded, kRejectedMarker, 10, 0);
    }
    return status;
}

int SensorController::writeRegister(uint32_t reg, uint32_t value, Bytes* bulkOut, int waitMs, bool bulk,
                                    std::size_t bulkSize) {
    std::lock_guard<std::mutex> lock(transactionMutex_);
    int status = transactWithPayload(kWriteOpcode, reg, value, waitMs, nullptr);
    if (status == HVQ5_RC_OK && bulk) status = receiveBulk(bulkOut, bulkSize, true);
    return status;
}

// ------------------------------------------------------- data behind an echo

int SensorController::receiveBulk(Bytes* out, std::size_t size, bool stopAtEnd) {
    if (!out) return HVQ5_RC_OK;
    out->clear();
    if (size == 0) return HVQ5_RC_OK;
    const std::size_t endLength = sizeof kEndOfText - 1;
    const std::size_t chunk = std::min(size, kRxBufferSize);
    SilenceClock silence;
    for (;;) {
        net::IoResult part = net::receiveSome(commandSocket_, rxBuffer_.get(), chunk);
        if (part.ok()) {
            silence.dataArrived();
            out->insert(out->end(), rxBuffer_.get(), rxBuffer_.get() + part.bytes);
            if (out->size() < size) continue;
            if (!stopAtEnd) return HVQ5_RC_OK;
            if (out->size() == size || endsWith(*out, kEndOfText, endLength)) return HVQ5_RC_OK;
            continue;
        }
        if (out->size() == size) return HVQ5_RC_OK;
        // A closed connection brings nothing more; silence ends at the time-out.
        if (part.status != net::IoStatus::TimedOut || silence.elapsedMs() > timeoutMs) {
            reportReceiveTimeout();
            return HVQ5_RC_TIMEOUT;
        }
    }
}

int SensorController::receiveUntil(Bytes& out, const std::string& terminator, int limitMs, std::size_t minLength) {
    out.clear();
    std::vector<uint8_t> buffer(kRxBufferSize);
    SilenceClock silence;
    for (;;) {
        // Wait no longer than the caller's limit, even when the socket's own
        // receive time-out is longer.
        double waited = silence.elapsedMs();
        int remaining = limitMs - static_cast<int>(waited);
        net::IoResult part{net::IoStatus::TimedOut, 0};
        if (remaining > 0 && net::waitReadable(commandSocket_, remaining))
            part = net::receiveSome(commandSocket_, buffer.data(), buffer.size());
        if (part.ok()) {
            silence.dataArrived();
            out.insert(out.end(), buffer.data(), buffer.data() + part.bytes);
            if (out.size() >= minLength && endsWith(out, terminator.data(), terminator.size())) return HVQ5_RC_OK;
            continue;
        }
        if (silence.elapsedMs() >= limitMs) break;
        sleepMs(kStreamRetryPauseMs);
    }
    reconnectAndDrain(HVQ5_RC_TIMEOUT);
    sleepMs(100);
    return HVQ5_RC_TIMEOUT;
}

int SensorController::transferBlock(uint8_t opcode, uint16_t hi, uint16_t lo, uint32_t value, int waitMs,
                                    Bytes& data, std::size_t expectedPayload) {
    std::lock_guard<std::mutex> compound(transactionMutex_);
    std::lock_guard<std::mutex> lock(transferMutex_);
    const uint32_t address = (uint32_t(hi) << 16) | lo;
    RegisterPacket::Bytes packet = RegisterPacket::build(opcode, address, value);
    Bytes request(packet.begin(), packet.end());
    request.insert(request.end(), data.begin(), data.end());
    if (!net::sendAll(commandSocket_, request.data(), request.size()).ok()) return HVQ5_RC_SEND_FAILED;

    sleepMs(waitMs);
    const std::size_t capacity = std::max(kBlockReplyCapacity, RegisterPacket::size + expectedPayload);
    data.assign(capacity, 0);
    net::IoResult first = net::receiveSome(commandSocket_, data.data(), kBlockReplyCapacity);
    if (!first.ok()) {
        SilenceClock silence;
        for (int attempt = 0; attempt < kEchoRetryLimit && !first.ok(); ++attempt) {
            if (first.status == net::IoStatus::Closed || silence.elapsedMs() > timeoutMs) break;
            first = net::receiveSome(commandSocket_, data.data(), kBlockReplyCapacity);
            if (!first.ok()) sleepMs(kEchoRetryPauseMs);
        }
        if (!first.ok()) {
            data.clear();
            reportReceiveTimeout();
            return HVQ5_RC_TIMEOUT;
        }
    }
    // The echo always, and the block when its size is known, are received in
    // full even when TCP splits them.
    std::size_t have = first.bytes;
    const std::size_t wanted = RegisterPacket::size + expectedPayload;
    const std::size_t needed = expectedPayload > 0 ? wanted : RegisterPacket::size;
    receiveRemainder(data.data(), have, std::max(have, needed));
    const block_codec::BlockReply reply = block_codec::readBlockReply(address, data.data(), have, expectedPayload);
    if (reply.status != HVQ5_RC_OK) {
        data.clear();
        if (reply.status == HVQ5_RC_TIMEOUT) reportReceiveTimeout();
        return reply.status;
    }
    data.resize(RegisterPacket::size + reply.payloadSize);
    data.erase(data.begin(), data.begin() + RegisterPacket::size);
    return HVQ5_RC_OK;
}
