#include "tests/support/client_sensor.h"

namespace mirevo::test {

ClientSensor::ClientSensor(std::string address, ClientSensorOptions options)
    : address_(std::move(address)), options_(std::move(options)), sensors_(address_, options_.preset, options_.knobs) {}

ClientSensor::~ClientSensor() { stop(); }

bool ClientSensor::start() {
    stop();
    if (!sensors_.start()) return false;
    sensor_sim::SimSensor& sensor = head();
    sensor.setReg(358, options_.streamedColumns);
    sensor.setReg(359, options_.firstStreamedColumn);
    sensor.setReg(138, static_cast<uint32_t>(options_.batchLength));
    status_ = sensor_sim::installStatus(sensor);
    scene_ = std::make_unique<sensor_sim::LiveScene>(options_.preset.model,
                                                     sensor_sim::simGeometry(options_.preset.model).rows);
    scene_->install(sensor);
    for (int i = 1; i < sensors_.headCount(); ++i) {
        sensor_sim::SimSensor& further = sensors_.head(i);
        further.setReg(358, options_.streamedColumns);
        further.setReg(359, options_.firstStreamedColumn);
        further.setReg(138, static_cast<uint32_t>(options_.batchLength));
        furtherStatus_.push_back(sensor_sim::installStatus(further));
        furtherScenes_.push_back(std::make_unique<sensor_sim::LiveScene>(
            options_.preset.model, sensor_sim::simGeometry(options_.preset.model).rows));
        furtherScenes_.back()->install(further);
    }
    if (sensors_.dataChannel(0)) {
        // The data channel belongs to the head, which outlives the streamer.
        std::shared_ptr<sensor_sim::DataChannelService> channel(sensors_.dataChannel(0),
                                                                [](sensor_sim::DataChannelService*) {});
        streamer_ = std::make_shared<sensor_sim::BatchStreamer>(channel);
        streamer_->setPlan(batchPlan(options_.batchLength));
        if (!streamer_->start(sensor)) return false;
    }
    return true;
}

void ClientSensor::stop() {
    if (streamer_) streamer_->stop();
    sensors_.stop();
    streamer_.reset();
    scene_.reset();
    status_.reset();
    furtherScenes_.clear();
    furtherStatus_.clear();
}

sensor_sim::BatchPlan ClientSensor::batchPlan(int framesPerBatch, uint32_t firstBatchNumber) const {
    sensor_sim::BatchPlan plan;
    plan.info.framesPerBatch = static_cast<uint16_t>(framesPerBatch);
    plan.info.xPitch = 1000;
    plan.info.intensity = true;
    plan.info.points = options_.streamedColumns;
    plan.info.firstColumn = options_.firstStreamedColumn;
    plan.firstBatchNumber = firstBatchNumber;
    return plan;
}

size_t ClientSensor::dataConnections() {
    sensor_sim::DataChannelService* channel = streamer_ ? sensors_.dataChannel(0) : nullptr;
    return channel ? channel->acceptedConnections() : 0;
}

bool ClientSensor::waitForDataConnection(size_t count, int timeoutMs) {
    sensor_sim::DataChannelService* channel = streamer_ ? sensors_.dataChannel(0) : nullptr;
    return channel && channel->waitForConnection(count, timeoutMs);
}

std::vector<uint32_t> ClientSensor::writesTo(uint32_t address) {
    std::vector<uint32_t> values;
    for (const auto& packet : packetLog())
        if (packet.opcode == 160 && (packet.address & 0xFFFF) == address) values.push_back(packet.value);
    return values;
}

}  // namespace mirevo::test
