#pragma once
// The data-channel receiver of one open sensor: its socket, the reader thread
// that fills the message queue, and the info state that frames are judged by.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "sensor_interface/data_channel/connection_state.h"
#include "sensor_interface/data_channel/data_messages.h"
#include "sensor_interface/data_channel/linelaser_client.h"
#include "sensor_interface/data_channel/message_queue.h"
#include "sensor_interface/data_channel/receiver_log.h"
#include "sensor_interface/data_channel/run_signal.h"

class SensorController;

class ProfileReceiver {
public:
    static constexpr int kConnectFailed = 4096;

    explicit ProfileReceiver(std::shared_ptr<data_channel::ReceiverLog> log = std::make_shared<data_channel::RunLog>());
    ~ProfileReceiver();
    ProfileReceiver(const ProfileReceiver&) = delete;
    ProfileReceiver& operator=(const ProfileReceiver&) = delete;

    // Connects the data channel and starts the threads: 0, or kConnectFailed
    // without any thread. A receiver that still runs is stopped first.
    int start(int id, const std::string& address, int port, int userValue, SensorController* controller);
    // Stops and joins the threads, then closes the socket. Returns 0.
    int stop();
    bool isConnected();

    // Takes an info message of at least 52 bytes; false (fields unchanged) for a shorter one.
    bool parseInfo(const uint8_t* message, size_t size);
    const InfoMessage& info() const { return info_; }
    size_t expectedFrameLength() const { return data_channel::expectedFrameLength(info_); }
    bool isValidFrame(size_t messageSize, size_t payloadPos, int columnCount) const {
        return data_channel::isValidFrame(messageSize, payloadPos, info_, columnCount);
    }

    MessageQueue& messages() { return queue_; }
    data_channel::ConnectionState& connection() { return connection_; }
    int deviceId() const { return id_; }
    int userValue() const { return userValue_; }
    SensorController* controller() const { return controller_; }

private:
    void readerLoop();

    std::shared_ptr<data_channel::ReceiverLog> log_;
    std::shared_ptr<data_channel::linelaser_client> client_;
    MessageQueue queue_;
    data_channel::ConnectionState connection_;
    data_channel::RunSignal run_;

    int id_ = 0;
    int userValue_ = 0;
    int runMode_ = 0;
    SensorController* controller_ = nullptr;

    InfoMessage info_;

    std::thread reader_;
    std::thread consumer_;
};
