#include "sensor_interface/data_channel/data_channel_reader.h"

namespace data_channel {

DataChannelReader::DataChannelReader(int id, std::shared_ptr<linelaser_client> client, MessageQueue& queue,
                                     ConnectionState& connection, RunSignal& run, ReceiverLog& log)
    : idText_("[" + std::to_string(id) + "]"),
      client_(std::move(client)),
      queue_(queue),
      connection_(connection),
      run_(run),
      log_(log),
      buffer_(kReceiveBytes) {}

void DataChannelReader::run() {
    while (run_.running()) {
        std::string reason;
        if (connection_.reconnectRequested()) {
            reason = " for callback";
            client_->close(false);
        }
        if (!ensureConnected(reason)) continue;
        receiveOnce();
    }
}

bool DataChannelReader::ensureConnected(const std::string& reason) {
    if (client_->isValid()) return true;
    if (connection_.markLost()) {
        failedAttempts_ = 0;
        log_.line("reconnecting" + idText_ + "...", 0);
        log_.reconnection("reconnecting" + idText_ + reason + "...");
    }
    connection_.clearReconnectRequest();
    // The pause ends early when the receiver stops, so stop() never waits on it.
    if (!run_.pause(kReconnectDelayMs)) return false;
    if (client_->reconnect(0) != 0) {
        ++failedAttempts_;
        client_->close(false);
        return false;
    }
    connection_.markReconnected([this] {
        cutter_.clear();  // a partial message from before the loss is worthless
        log_.line("reconnected" + idText_ + " successfully(" + std::to_string(failedAttempts_) + ")", 0);
    });
    return true;
}

void DataChannelReader::receiveOnce() {
    const int received = client_->receive(buffer_.data(), kReceiveBytes);
    if (received > 0) {
        cutter_.feed(buffer_.data(), static_cast<size_t>(received),
                     [this](const uint8_t* data, size_t size) { takeMessage(data, size); });
        if (const size_t discarded = cutter_.takeDiscardedBytes()) {
            log_.line("discarded" + idText_ + ": " + std::to_string(discarded) + " bytes without end", 0);
        }
        return;
    }
    if (received == 0) {
        log_.line("received close" + idText_ + " from controller", 0);
        client_->close(false);
        log_.dump();
        return;
    }
    const int code = client_->lastError();
    if (isTransientReceiveError(code)) return;
    log_.line("receive error" + idText_ + ": " + std::to_string(code), 0);
    client_->close(false);
}

void DataChannelReader::takeMessage(const uint8_t* data, size_t size) {
    if (isHeartbeat(data, size)) return;
    queue_.push(queue_.make(data, size));
}

}  // namespace data_channel
