#include "tools/sensor_sim/sim_chaos.h"

#include <chrono>

namespace sensor_sim {
namespace {

constexpr size_t kTerminatorSize = 6;  // ",end\r\n"

// Faults a batch can suffer, and how they share the faulty batches.
constexpr DataChaos kDataFaults[] = {DataChaos::Silence, DataChaos::CloseConnection, DataChaos::TruncatedFrame,
                                     DataChaos::UnterminatedFrame, DataChaos::GarbledTag};

// Command faults by weight: mostly bad echoes, now and then a closed
// connection, rarely a silence (it costs the host seconds).
struct CommandFaultWeight {
    FaultKind kind;
    uint32_t weight;
};
constexpr CommandFaultWeight kCommandFaults[] = {{FaultKind::WrongAddressEcho, 40},
                                                 {FaultKind::ShortEcho, 35},
                                                 {FaultKind::CloseConnection, 20},
                                                 {FaultKind::Silence, 5}};

}  // namespace

std::string chaosName(DataChaos fault) {
    switch (fault) {
    case DataChaos::None: return "none";
    case DataChaos::Silence: return "silence";
    case DataChaos::CloseConnection: return "closed connection";
    case DataChaos::TruncatedFrame: return "truncated frame";
    case DataChaos::UnterminatedFrame: return "unterminated frame";
    case DataChaos::GarbledTag: return "garbled tag";
    }
    return "?";
}

ChaosStreamer::ChaosStreamer(std::shared_ptr<DataChannelService> channel, ChaosOptions options)
    : channel_(std::move(channel)), options_(options), random_(options.seed) {}

ChaosStreamer::~ChaosStreamer() { stop(); }

bool ChaosStreamer::start(SimSensor& sensor) {
    sensor_ = &sensor;
    stopping_ = false;
    std::weak_ptr<ChaosStreamer> self = shared_from_this();
    sensor.onRegisterWritten([self](uint32_t address, uint32_t value) {
        if (address != kStartRegister || value != 1) return;
        if (const std::shared_ptr<ChaosStreamer> streamer = self.lock()) streamer->onTrigger();
    });
    return true;
}

void ChaosStreamer::stop() {
    stopping_ = true;
    changed_.notify_all();
    std::thread worker;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        worker = std::move(worker_);
    }
    if (worker.joinable()) worker.join();
}

bool ChaosStreamer::waitIdle(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !streaming_; });
}

std::vector<ChaosBatch> ChaosStreamer::batches() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return batches_;
}

uint32_t ChaosStreamer::draw(uint32_t below) { return below == 0 ? 0 : random_() % below; }

// Runs on the command connection's thread, after the trigger was stored.
void ChaosStreamer::onTrigger() {
    // A sensor streams one batch at a time. Triggers may arrive on two
    // connections at once (a host reconnecting its command channel): each
    // waits until no stream runs, so none replaces a worker still running.
    std::unique_lock<std::mutex> lock(mutex_);
    while (worker_.joinable()) {
        std::thread previous = std::move(worker_);
        lock.unlock();
        previous.join();
        lock.lock();
    }
    if (stopping_) return;
    ChaosBatch batch;
    batch.batchNumber = nextBatchNumber_++;
    const int frames = options_.info.framesPerBatch;
    if (draw(100) < static_cast<uint32_t>(options_.dataFaultPercent) && frames >= 3) {
        batch.fault = kDataFaults[draw(sizeof kDataFaults / sizeof kDataFaults[0])];
        batch.faultyFrame = 1 + static_cast<int>(draw(static_cast<uint32_t>(frames - 2)));
        batch.cut = draw(1u << 16);
    }
    batches_.push_back(batch);
    armCommandFault();
    streaming_ = true;
    worker_ = std::thread(&ChaosStreamer::stream, this, batch);
}

void ChaosStreamer::armCommandFault() {
    if (!sensor_ || draw(100) >= static_cast<uint32_t>(options_.commandFaultPercent)) return;
    uint32_t total = 0;
    for (const auto& entry : kCommandFaults) total += entry.weight;
    uint32_t pick = draw(total);
    for (const auto& entry : kCommandFaults) {
        if (pick < entry.weight) {
            Fault fault;
            fault.kind = entry.kind;
            fault.times = 1;
            sensor_->injectRegisterFault(kStartRegister, fault);
            ++commandFaults_;
            return;
        }
        pick -= entry.weight;
    }
}

Bytes ChaosStreamer::frameBytes(uint32_t batchNumber, int frame) const {
    return encodeFrame(sceneFrame(options_.info, batchNumber, static_cast<uint32_t>(frame)));
}

bool ChaosStreamer::waitForHost(size_t connectionsBefore) {
    return channel_->waitForConnection(connectionsBefore + 1, options_.reconnectWaitMs);
}

void ChaosStreamer::stream(ChaosBatch batch) {
    const int frames = options_.info.framesPerBatch;
    Bytes out = encodeInfo(options_.info);
    append(out, encodeBatchStart());
    bool ended = false;
    for (int i = 0; i < frames && !ended; ++i) {
        Bytes frame = frameBytes(batch.batchNumber, i);
        if (i == batch.faultyFrame) {
            switch (batch.fault) {
            case DataChaos::TruncatedFrame: {
                const size_t cut = 1 + batch.cut % 64;
                frame.erase(frame.end() - static_cast<std::ptrdiff_t>(kTerminatorSize + cut),
                            frame.end() - static_cast<std::ptrdiff_t>(kTerminatorSize));
                break;
            }
            case DataChaos::UnterminatedFrame:
                frame.resize(8 + batch.cut % (frame.size() - kTerminatorSize - 8));
                break;
            case DataChaos::GarbledTag:
                frame[0] = 'x';
                break;
            case DataChaos::Silence:
            case DataChaos::CloseConnection:
                ended = true;
                break;
            case DataChaos::None:
                break;
            }
        }
        append(out, frame);
        if (!ended && (i == 0 || i == frames - 1)) append(out, encodeTick(1000u + static_cast<uint32_t>(i)));
    }
    if (!ended) append(out, encodeBatchStop());

    const size_t connections = channel_->acceptedConnections();
    channel_->send(out);
    if (batch.fault == DataChaos::Silence) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, std::chrono::milliseconds(options_.silenceMs), [this] { return stopping_.load(); });
    }
    if (batch.fault == DataChaos::CloseConnection) channel_->closeConnection();
    if (ended && !stopping_) waitForHost(connections);

    {
        std::lock_guard<std::mutex> lock(mutex_);
        streaming_ = false;
    }
    changed_.notify_all();
}

}  // namespace sensor_sim
