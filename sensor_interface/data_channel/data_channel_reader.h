#pragma once
// The reader thread's work: receive bytes, cut them into messages, drop
// heartbeats, queue the rest, and reconnect every 50 ms when the connection is
// lost or the consumer asks for it.
#include <memory>
#include <string>
#include <vector>

#include "sensor_interface/data_channel/connection_state.h"
#include "sensor_interface/data_channel/linelaser_client.h"
#include "sensor_interface/data_channel/message_cutter.h"
#include "sensor_interface/data_channel/message_queue.h"
#include "sensor_interface/data_channel/receiver_log.h"
#include "sensor_interface/data_channel/run_signal.h"

namespace data_channel {

class DataChannelReader {
public:
    static constexpr int kReceiveBytes = 10240;
    static constexpr int kReconnectDelayMs = 50;

    DataChannelReader(int id, std::shared_ptr<linelaser_client> client, MessageQueue& queue,
                      ConnectionState& connection, RunSignal& run, ReceiverLog& log);

    // Runs until the run signal stops.
    void run();

private:
    // False when this pass has no connection to read from.
    bool ensureConnected(const std::string& reason);
    void receiveOnce();
    void takeMessage(const uint8_t* data, size_t size);

    const std::string idText_;
    std::shared_ptr<linelaser_client> client_;
    MessageQueue& queue_;
    ConnectionState& connection_;
    RunSignal& run_;
    ReceiverLog& log_;
    MessageCutter cutter_;
    std::vector<uint8_t> buffer_;
    int failedAttempts_ = 0;
};

}  // namespace data_channel
