#include "sensor_interface/data_channel/profile_receiver.h"

#include "platform/thread_name.h"
#include "platform/thread_priority.h"
#include "platform/thread_start.h"
#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/data_channel/batch_buffers.h"
#include "sensor_interface/data_channel/data_channel_reader.h"
#include "sensor_interface/data_channel/frame_pool.h"

namespace {

constexpr unsigned int kRunModeRegister = 753;

// Run mode 0 asks for real-time priorities. Without a sensor behind the
// receiver there is no run mode to read, and the threads keep normal priority.
int readRunMode(SensorController* controller) {
    return controller ? static_cast<int>(controller->getVals(kRunModeRegister)) : 1;
}

}  // namespace

ProfileReceiver::ProfileReceiver(std::shared_ptr<data_channel::ReceiverLog> log)
    : log_(std::move(log)),
      client_(std::make_shared<data_channel::linelaser_client>()),
      buffers_(std::make_shared<data_channel::BatchBuffers>()) {
    batchRows_ = buffers_;
}

ProfileReceiver::~ProfileReceiver() { stop(); }

int ProfileReceiver::start(int id, const std::string& address, int port, int userValue, SensorController* controller) {
    // Replacing a running thread object would end the process.
    if (reader_.joinable() || consumer_.joinable()) stop();

    id_ = id;
    userValue_ = userValue;
    controller_ = controller;
    if (client_->connect(address, port) != 0) {
        // A failed socket left in place would make isConnected() report a connection.
        client_->close(true);
        // The text names port 9 whatever port was asked for: readers of the log expect it.
        log_->line("connect[" + std::to_string(id) + "] to " + address + ":9 failed", 0);
        return kConnectFailed;
    }
    runMode_ = readRunMode(controller);
    if (runMode_ == 0) mirevo::platform::raiseProcessPriority();
    connection_.rearm();
    run_.start();
    try {
        startFramePool();
        reader_ = mirevo::platform::startThread(&ProfileReceiver::readerLoop, this);
        consumer_ = mirevo::platform::startThread(&ProfileReceiver::consumerLoop, this);
    } catch (...) {
        stop();  // whatever started ends before the error goes on
        throw;
    }
    return 0;
}

int ProfileReceiver::stop() {
    run_.stop();
    connection_.release();
    if (consumer_.joinable()) queue_.push({});  // wakes a consumer waiting without limit
    if (reader_.joinable()) reader_.join();
    if (consumer_.joinable()) consumer_.join();
    // The consumer has completed every frame it handed to the pool.
    stopFramePool();
    client_->close(true);
    return 0;
}

bool ProfileReceiver::isConnected() { return client_->isValid(); }

bool ProfileReceiver::parseInfo(const uint8_t* message, size_t size) {
    const std::optional<InfoMessage> info = data_channel::parseInfo(message, size);
    if (!info) return false;
    std::lock_guard<std::mutex> lock(infoMutex_);
    info_ = *info;
    return true;
}

void ProfileReceiver::readerLoop() {
    mirevo::platform::nameCurrentThread("mirevo-reader");
    if (runMode_ == 0) mirevo::platform::setCurrentThreadTimeCritical();
    data_channel::DataChannelReader reader(id_, client_, queue_, connection_, run_, *log_);
    reader.run();
}
