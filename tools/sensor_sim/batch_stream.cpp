#include "tools/sensor_sim/batch_stream.h"

#include <chrono>
#include <cmath>
#include <string>

#include "tools/sensor_sim/debug_stream_service.h"
#include "tools/sensor_sim/sim_models.h"

namespace sensor_sim {
namespace {

using Clock = std::chrono::steady_clock;

// Writes this large keep the socket, not the simulator, the limit.
constexpr size_t kSendChunk = 256 * 1024;
// Where the header fields lie in an encoded "algdat1" frame: after the 8-byte tag.
constexpr size_t kHeaderAt = 8;

void putBe(uint8_t* at, uint64_t value, int size) {
    for (int i = 0; i < size; ++i) at[i] = static_cast<uint8_t>(value >> (8 * (size - 1 - i)));
}

}  // namespace

BatchStreamer::BatchStreamer(std::shared_ptr<DataChannelService> channel) : channel_(std::move(channel)) {}

BatchStreamer::~BatchStreamer() { stop(); }

bool BatchStreamer::start(SimSensor& sensor) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (listening_) return true;
    listening_ = true;
    const std::string model = sensor.model().head().model;
    peakRows_ = sendsPeakRows(model);
    cameraRows_ = simGeometry(model).rows;
    // The sensor keeps its listeners: it must not call into a streamer that is gone.
    std::weak_ptr<BatchStreamer> self = weak_from_this();
    sensor.onRegisterWritten([self](uint32_t address, uint32_t value) {
        if (const std::shared_ptr<BatchStreamer> streamer = self.lock()) streamer->onRegister(address, value);
    });
    return true;
}

void BatchStreamer::stop() {
    stopStream();
    std::thread worker;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        worker = std::move(worker_);
    }
    if (worker.joinable()) worker.join();
}

void BatchStreamer::setPlan(const BatchPlan& plan) {
    std::lock_guard<std::mutex> lock(mutex_);
    plan_ = plan;
}

void BatchStreamer::onRegister(uint32_t address, uint32_t value) {
    if (value != 1) return;
    if (address == kStartRegister) startStream();
    if (address == kStopRegister) {
        bool honoured;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            honoured = plan_.stopOnRegister142;
        }
        if (honoured) stopStream();
    }
}

void BatchStreamer::startStream() {
    stop();  // a stream still running is ended first
    std::lock_guard<std::mutex> lock(mutex_);
    cancel_ = false;
    streaming_ = true;
    BatchPlan plan = plan_;
    if (plan.countOnwards && nextBatchNumber_.load() != 0) plan.firstBatchNumber = nextBatchNumber_.load();
    worker_ = std::thread(&BatchStreamer::run, this, plan);
}

void BatchStreamer::stopStream() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        cancel_ = true;
    }
    changed_.notify_all();
}

bool BatchStreamer::waitIdle(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !streaming_; });
}

void BatchStreamer::run(BatchPlan plan) {
    for (int b = 0; b < plan.batches && !cancel_; ++b) {
        const uint32_t number = plan.firstBatchNumber + static_cast<uint32_t>(b);
        nextBatchNumber_ = number + 1;
        if (!streamBatch(plan, number)) break;
    }
    flush();
    pending_.clear();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        streaming_ = false;
    }
    changed_.notify_all();
}

// The scene as a head of series '3' or '4' sends it: the peak row of each
// point's camera column x 65536, 0 where there is no peak.
static DataFrame peakRowFrame(const DataInfo& info, int cameraRows) {
    DataFrame frame;
    frame.wideValues = true;
    frame.values.resize(info.points);
    for (uint16_t i = 0; i < info.points; ++i)
        frame.values[i] =
            static_cast<uint32_t>(std::lround(scenePeakRow(info.firstColumn + i, cameraRows) * 65536.0));
    if (info.intensity) {
        frame.intensity.resize(info.points);
        for (uint16_t i = 0; i < info.points; ++i)
            frame.intensity[i] = frame.values[i] != 0 ? static_cast<uint8_t>(100 + i % 100) : 0;
    }
    return frame;
}

// A frame of the plan's own source, with the header the streamer gives every frame.
static Bytes sourcedFrame(const BatchPlan& plan, uint32_t batchNumber, uint32_t number) {
    DataFrame frame = plan.frameSource(plan.info, batchNumber, number);
    frame.batchNumber = batchNumber;
    frame.frameNumber = number;
    frame.encoder = number * 10u;
    frame.timestamp = 1000000ull + number * 1000ull;
    frame.wideValues = plan.info.wideValues;
    frame.values.resize(plan.info.points, 0);
    if (plan.info.intensity)
        frame.intensity.resize(plan.info.points, 0);
    else
        frame.intensity.clear();
    return encodeFrame(frame);
}

bool BatchStreamer::streamBatch(const BatchPlan& givenPlan, uint32_t batchNumber) {
    BatchPlan plan = givenPlan;
    // Peak rows are 32-bit words, whatever the plan says.
    if (peakRows_) plan.info.wideValues = true;
    const int frames = plan.frames >= 0 ? plan.frames : plan.info.framesPerBatch;
    // Encoded frames (the scene's, or the plan's own in turn) whose header is
    // rewritten for each frame sent.
    std::vector<Bytes> encoded;
    if (!plan.frameSource && plan.frameVariants.empty())
        encoded.push_back(peakRows_ ? encodeFrame(peakRowFrame(plan.info, cameraRows_))
                                    : encodeFrame(sceneFrame(plan.info, batchNumber, 0)));
    for (DataFrame variant : plan.frameVariants) {
        variant.wideValues = plan.info.wideValues;
        variant.values.resize(plan.info.points, 0);
        if (plan.info.intensity)
            variant.intensity.resize(plan.info.points, 0);
        else
            variant.intensity.clear();
        encoded.push_back(encodeFrame(variant));
    }
    if (!put(encodeInfo(plan.info)) || !put(encodeBatchStart())) return false;

    const Clock::time_point begin = Clock::now();
    for (int i = 0; i < frames && !cancel_; ++i) {
        if (plan.frameRateHz > 0) {
            if (!flush()) return false;
            const auto due = begin + std::chrono::microseconds(static_cast<int64_t>(i) * 1000000 / plan.frameRateHz);
            std::unique_lock<std::mutex> lock(mutex_);
            if (changed_.wait_until(lock, due, [this] { return cancel_.load(); })) break;
        }
        const uint32_t number = static_cast<uint32_t>(i);
        if (plan.frameSource) {
            const Bytes own = sourcedFrame(plan, batchNumber, number);
            pending_.insert(pending_.end(), own.begin(), own.end());
        } else {
            const Bytes& frame = encoded[(batchNumber + number) % encoded.size()];
            const size_t at = pending_.size();
            pending_.insert(pending_.end(), frame.begin(), frame.end());
            putBe(&pending_[at + kHeaderAt], batchNumber, 4);
            putBe(&pending_[at + kHeaderAt + 4], number, 4);
            putBe(&pending_[at + kHeaderAt + 10], number * 10u, 4);
            putBe(&pending_[at + kHeaderAt + 14], 1000000ull + number * 1000ull, 8);
        }
        ++framesSent_;
        if (plan.sendTicks && (i == 0 || i == frames - 1) && !put(encodeTick(1000u + number))) return false;
        if (pending_.size() >= kSendChunk && !flush()) return false;
        if (i == plan.restartAfterFrame && !put(encodeBatchStart())) return false;
        if (i == plan.gapAfterFrame && (!flush() || !pause(plan.gapMs))) return false;
    }
    if (plan.sendStop && !cancel_ && !put(encodeBatchStop())) return false;
    return flush();
}

bool BatchStreamer::put(const Bytes& bytes) {
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    return pending_.size() < kSendChunk || flush();
}

bool BatchStreamer::flush() {
    if (pending_.empty()) return true;
    const bool sent = channel_->send(pending_);
    if (sent) bytesSent_ += pending_.size();
    pending_.clear();
    return sent;
}

// A gap of silence that a stop of the stream cuts short; false when stopped.
bool BatchStreamer::pause(int ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    return !changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return cancel_.load(); });
}

std::shared_ptr<BatchStreamer> installBatchStream(SimSensor& sensor, std::shared_ptr<DataChannelService> channel,
                                                  const BatchPlan& plan) {
    auto streamer = std::make_shared<BatchStreamer>(std::move(channel));
    streamer->setPlan(plan);
    sensor.addService(streamer);
    return streamer;
}

}  // namespace sensor_sim
