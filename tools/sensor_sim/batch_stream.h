#pragma once
// Whole batches on the simulated data channel, as a measuring sensor sends
// them once register 141 is written: info, start, frames (a tick after the
// first and the last), stop. Tests choose the frame rate (or as fast as the
// socket takes them), the number of frames, a silent gap after a frame and a
// fresh start in the middle of a batch.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "tools/sensor_sim/data_channel.h"
#include "tools/sensor_sim/data_messages.h"
#include "tools/sensor_sim/sim_sensor.h"

namespace sensor_sim {

struct BatchPlan {
    DataInfo info;               // framesPerBatch is what the info message announces
    int frames = -1;             // frames sent per batch; -1: framesPerBatch
    int batches = 1;             // batches per start
    uint32_t firstBatchNumber = 1;
    int frameRateHz = 0;         // 0: as fast as the socket takes them
    int gapAfterFrame = -1;      // silence of gapMs after this frame (0-based), -1: none
    int gapMs = 0;
    int restartAfterFrame = -1;  // a second "MESSTA" after this frame, -1: none
    bool sendStop = true;        // end each batch with "MESSTP"
    bool sendTicks = true;       // a tick after the first and the last frame
    bool stopOnRegister142 = true;  // a write of register 142 ends the stream
    // Each start numbers its batches on from the last batch sent, as a
    // sensor counts them (false: every start begins at firstBatchNumber).
    bool countOnwards = false;
    // Frames of the test's own making (heights and intensities, e.g. a ramp
    // over the rows); empty: the scene. The streamer fills in the frame's
    // header (batch and frame number, encoder, time stamp) and sizes its
    // values and intensities to the info's points (missing values 0: no
    // measurement).
    std::function<DataFrame(const DataInfo& info, uint32_t batchNumber, uint32_t frameNumber)> frameSource;
    // Frames of the test's own making sent in turn as fast as the scene's:
    // frame k of batch b is frameVariants[(b + k) % size], encoded once per
    // batch and its header filled in as the scene's. Used when frameSource is
    // empty.
    std::vector<DataFrame> frameVariants;
};

// Owned by a shared pointer (the sensor's listener holds a weak one).
class BatchStreamer : public SimService, public std::enable_shared_from_this<BatchStreamer> {
public:
    static constexpr uint32_t kStartRegister = 141;
    static constexpr uint32_t kStopRegister = 142;

    explicit BatchStreamer(std::shared_ptr<DataChannelService> channel);
    ~BatchStreamer() override;

    // Listens for writes of registers 141 and 142 of the sensor. A head of
    // series '3' or '4' sends, like its DEBUG stream, the fixed-point peak row
    // of every point (32-bit words) instead of a distance word: the streamer
    // takes the series and camera rows from the sensor's model.
    bool start(SimSensor& sensor) override;
    void stop() override;

    void setPlan(const BatchPlan& plan);
    // Streams the plan once on its own thread (what a write of 141 = 1 does).
    void startStream();
    // Ends a running stream after the frame being sent.
    void stopStream();
    // Waits until no stream runs; false after timeoutMs.
    bool waitIdle(int timeoutMs);
    bool streaming() const { return streaming_.load(); }
    uint64_t framesSent() const { return framesSent_.load(); }
    uint64_t bytesSent() const { return bytesSent_.load(); }

private:
    void onRegister(uint32_t address, uint32_t value);
    void run(BatchPlan plan);
    bool streamBatch(const BatchPlan& plan, uint32_t batchNumber);
    // Queues bytes and sends them in large writes; false when the link broke.
    bool put(const Bytes& bytes);
    bool flush();
    bool pause(int ms);

    std::shared_ptr<DataChannelService> channel_;
    std::mutex mutex_;
    std::condition_variable changed_;
    BatchPlan plan_;
    std::thread worker_;
    std::atomic<bool> streaming_{false};
    std::atomic<bool> cancel_{false};
    bool listening_ = false;
    bool peakRows_ = false;  // the head sends fixed-point peak rows
    int cameraRows_ = 0;
    Bytes pending_;
    std::atomic<uint64_t> framesSent_{0};
    std::atomic<uint64_t> bytesSent_{0};
    std::atomic<uint32_t> nextBatchNumber_{0};  // 0: no batch sent yet
};

// Adds a streamer of `plan` for the sensor's data channel to the sensor.
std::shared_ptr<BatchStreamer> installBatchStream(SimSensor& sensor, std::shared_ptr<DataChannelService> channel,
                                                  const BatchPlan& plan);

}  // namespace sensor_sim
