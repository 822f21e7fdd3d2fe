#pragma once
// The data-channel receiver of one open sensor: its socket, the reader thread
// that fills the message queue, and the info state that frames are judged by.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sensor_interface/data_channel/batch_records.h"
#include "sensor_interface/data_channel/connection_state.h"
#include "sensor_interface/data_channel/data_messages.h"
#include "sensor_interface/data_channel/linelaser_client.h"
#include "sensor_interface/data_channel/message_queue.h"
#include "sensor_interface/data_channel/receiver_log.h"
#include "sensor_interface/data_channel/run_signal.h"
#include "sensor_interface/processing/frame_output_rows.h"

class SensorController;

namespace data_channel {

// The batch buffers as the per-frame processing fills them. Lockable with the
// buffer lock that the batch getters hold: every append happens under it
// (std::lock_guard<BatchRows>).
class BatchRows {
public:
    virtual ~BatchRows() = default;
    virtual void lock() = 0;
    virtual void unlock() = 0;
    // One frame's rows of width values each: 16-bit codes, int32 heights, gray bytes.
    virtual void appendRows(const int16_t* codes, const int32_t* heights, const uint8_t* gray,
                            int width) = 0;
    // One entry per frame received, whether or not it brought rows.
    virtual void appendFrameInfo(uint32_t encoder, uint32_t frame, uint64_t timestamp) = 0;
};

class BatchBuffers;
class FramePool;
struct FrameJob;

}  // namespace data_channel

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
    // True from a start until stop() begins.
    bool running() const { return run_.running(); }

    // Takes an info message of at least 52 bytes; false (fields unchanged) for a shorter one.
    bool parseInfo(const uint8_t* message, size_t size);
    // A copy, safe from any thread: the consumer thread replaces the record
    // while callers read it.
    InfoMessage info() const {
        std::lock_guard<std::mutex> lock(infoMutex_);
        return info_;
    }
    // Frames per batch of the last info message (0 after clearBatch).
    int announcedFrames() const {
        std::lock_guard<std::mutex> lock(infoMutex_);
        return info_.batchpoints;
    }
    size_t expectedFrameLength() const { return data_channel::expectedFrameLength(info_); }
    bool isValidFrame(size_t messageSize, size_t payloadPos, int columnCount) const {
        return data_channel::isValidFrame(messageSize, payloadPos, info_, columnCount);
    }

    MessageQueue& messages() { return queue_; }
    data_channel::ConnectionState& connection() { return connection_; }
    int deviceId() const { return id_; }
    int userValue() const { return userValue_; }
    SensorController* controller() const { return controller_; }

    // Per-frame processing. The receiver's copy of a frame: the 32 header bytes,
    // the intensity bytes at kFrameIntensityOffset, the profile values at
    // kFrameValuesOffset (4-byte aligned like the area itself).
    static constexpr size_t kFrameIntensityOffset = 32;
    static constexpr size_t kFrameValuesOffset = 2080;
    static constexpr size_t kFrameAreaSize = kFrameValuesOffset + 8192;
    static constexpr int kMaxFramePoints = 2048;
    // Value mode of sensors that send fixed-point peak rows.
    static constexpr int kFixedPointMode = 255;
    using FrameMergeHook = std::function<void(int id, const std::vector<double>& heights,
                                              const std::vector<uint8_t>& gray)>;

    // Runs one copied frame through the processor and appends it to the batch
    // rows (or hands it to the merge hook) while a batch is being assembled.
    void processFrame(int mode, const uint8_t* frame);
    // Bytes per profile value that processFrame reads in a value mode.
    static size_t valueBytesRead(int mode) { return mode != 0 ? 4 : 2; }
    // True when a frame message holds every byte processFrame reads in this mode.
    bool frameReadable(size_t messageSize, size_t payloadPos, int mode) const {
        return data_channel::frameFits(messageSize, payloadPos, info_, valueBytesRead(mode));
    }
    // Values per output row.
    int outputWidth();

    // Worker threads that process frames beside the consumer thread (started
    // and joined with the receiver). 1 processes every frame on the consumer
    // thread. Takes effect at the next start().
    static int defaultFrameWorkers();  // the cores available, at most 4
    void setFrameWorkers(int workers) { frameWorkers_ = workers < 1 ? 1 : workers; }
    int frameWorkers() const { return frameWorkers_; }
    // Frames processed by the workers since construction.
    uint64_t framesFromPool() const { return framesFromPool_.load(); }

    // The sensor the frames belong to (start() sets them as well).
    void attach(int id, SensorController* controller) { id_ = id; controller_ = controller; }
    void setBatchRows(std::shared_ptr<data_channel::BatchRows> rows) { batchRows_ = std::move(rows); }
    // Installed from other threads while frames arrive: guarded by the handler lock.
    void setFrameMergeHook(FrameMergeHook hook);
    void setGraySwitches(GraySwitches switches) { graySwitches_ = switches; }
    void setBatchFinished(bool finished) { batchFinished_ = finished ? 1 : 0; }
    bool batchFinished() const { return batchFinished_ != 0; }
    int framesReceived() const { return framesReceived_; }
    uint32_t batchNumber() const { return batchNumber_; }
    uint64_t firstTimestamp() const { return firstTimestamp_; }
    uint64_t lastTimestamp() const { return lastTimestamp_; }
    int outputOffset() const { return outputOffset_; }

    // --- Batch assembly (consumer_thread.cpp) ---
    // The consumer thread's step for one message taken from the queue; an
    // empty one is a silence (the pop timed out). Without a running receiver
    // it drives the batch assembly alone, as the fuzz target does.
    // A frame's message may go to the frame pool as it is (message then holds
    // another message's storage); a const message is consumed as a copy.
    void consume(MessageQueue::Message& message);
    void consume(const MessageQueue::Message& message);
    // Time-outs and gray switches of the batch from the extended values.
    void readExtendFlags();
    // Copies the frame of a message (checked to hold every byte read) into the
    // frame area and processes it.
    void copyFrame(int mode, const uint8_t* message, size_t size, size_t payloadPos);
    // Appends the frame the temporal repair has just released.
    void appendRepairedFrame();
    // Waits until the reader has reconnected; false when the receiver stops first.
    bool waitReconnected() { return connection_.waitReconnected(); }
    // Rolling batch: the frame limit (0 = none), the start, and its state.
    static constexpr int kRollRunning = 0, kRollBatchEnded = 1, kRollLimitReached = 2;
    void setRollPoints(int frames) { rollFrameLimit_ = frames; }
    void startRolling();
    bool rollMode() const { return rollMode_ != 0; }
    int rollState() const { return rollState_; }
    // Empties the batch and marks it finished (the measurement exports).
    void clearBatch();
    using StartHook = std::function<void(int id)>;
    void setStartHook(StartHook hook);
    // Waits under the state lock, woken after each frame and at each batch end,
    // until done() or timeoutMs; returns done().
    bool waitBatchState(const std::function<bool()>& done, int timeoutMs);
    uint32_t startTick() const { return startTick_; }
    uint32_t endTick() const { return endTick_; }

    // --- Batch delivery and buffers (batch_delivery.cpp, batch_getters.cpp) ---
    void deliverBatch();
    void setBatchCallback(HVQ5_2_BatchCallback callback);
    void setOneTimeHandler(HVQ5_2_BatchHandler handler);
    void setOneTimeHandlerObject(HVQ5_2_BatchHandlerObject handler);
    void clearHandlerList();
    void addListHandler(HVQ5_2_BatchListHandler handler);
    uint32_t lastNotifyCode() const { return notifyCode_; }
    uint32_t fullBatchCount() const { return fullBatches_; }
    // The buffers themselves: lockable, for a handler that changes them in place.
    data_channel::BatchBuffers& batchBuffers() { return *buffers_; }

    int copyEncoders(uint32_t* to);
    int takeEncoders(uint32_t* to, int count);
    int copyIntensity(uint8_t* to);
    int takeIntensityFrames(uint8_t* to, int count);
    int copyProfiles(int32_t* to);
    int takeProfileFrames(int32_t* to, int count);
    int copyTimestamps(uint64_t* to);
    int takeBatch(int first, uint32_t* batchNumber, int32_t* profiles, uint8_t* intensity,
                  uint32_t* encoders, uint32_t* frameNumbers, uint64_t* timestamps, int count);
    // -100 when nothing is buffered and the rolling batch has ended.
    static constexpr int kRollEnded = -100;
    int takeRollFrames(uint32_t* batchNumber, int32_t* profiles, uint8_t* intensity,
                       uint32_t* encoders, uint32_t* frameNumbers, uint64_t* timestamps, int count);
    // Pointers into the live buffers, from the Y window's first frame on; count
    // (may be null) receives the buffer's total element count.
    int16_t* profile16Pointer(int* count);
    int32_t* profilePointer(int* count);
    uint8_t* intensityPointer(int* count);
    uint32_t* encoderPointer(int* count);
    uint64_t* timestampPointer(int* count);

private:
    void readerLoop();
    // Batch assembly (consumer_thread.cpp).
    void consumerLoop();
    void onSilence();
    // A frame's message may be handed to the pool (another message's storage comes back).
    void onMessage(MessageQueue::Message& message);
    void onFrame(MessageQueue::Message& message, size_t payloadPos);
    void onBatchStart();
    // A batch ends with "MESSTP" or, timedOut, with a silence (or the stop).
    void endBatch(bool timedOut);
    void logBatchSummary(const char* name);
    void stopAtRollLimit();
    void notifyBatchState();
    // After each frame: the rolling batch's limit, and the waiters woken.
    void afterFrame();
    // The frame pool (profile_receiver_pool.cpp).
    void startFramePool();
    void stopFramePool();
    int framesInPool() const;
    // Hands a valid frame's message to the pool; false (message untouched)
    // when the frame is to be processed on the consumer instead.
    bool submitFrame(int mode, MessageQueue::Message& message, size_t payloadPos);
    data_channel::FrameJob* takeFreeJob();
    // The worker steps.
    void processJob(data_channel::FrameJob& job);
    void finishJob(data_channel::FrameJob& job);
    void makeReleasedRows(data_channel::FrameJob& job);
    void takeGrayTable(data_channel::FrameJob& job, const ProfileProcessor& processor);
    // The consumer's next step with the pool's frames (waiting for one); false when none is in flight.
    bool advanceFrames();
    // Completes every frame in the pool, oldest first.
    void drainFrames();
    // Whether the frame goes through the order step and a worker's finish
    // rather than being completed on the consumer alone.
    bool completesInTurn(const data_channel::FrameJob& job);
    void orderJob(data_channel::FrameJob& job);
    // Completes every frame older than job.
    void completeOlder(const data_channel::FrameJob& job);
    void completeJob(data_channel::FrameJob& job);
    void completeInTurn(data_channel::FrameJob& job);
    void completeAlone(data_channel::FrameJob& job);
    void afterCompletion(const data_channel::FrameJob& job);
    // The end of a batch's release of the frames the temporal repair holds,
    // made into rows by the workers; returns what flushRepair returns.
    bool releaseHeldFramesInPool(const std::shared_ptr<ProfileProcessor>& processor);
    void appendReleasedRows(const FrameOutputRows& rows);
    // Frames of the Y window skipped by the pointer getters.
    size_t yWindowFirstFrame();
    // Parts of processFrame (profile_receiver_frame.cpp).
    int runProcessor(ProfileProcessor& processor, int mode, const uint8_t* frame, int binning);
    void appendFrame(const FrameHeader& header, ProfileProcessor* processor, int count,
                     const FrameOutputRows* madeRows, bool rowsMade, data_channel::FrameLines& lines);
    void handToMergeHook(const FrameMergeHook& hook, const FrameHeader& header,
                         ProfileProcessor* processor, int count, data_channel::FrameLines& lines);
    void recordFrame(const FrameHeader& header);
    // The per-frame record around the processing: time stamps and the first
    // log line, then the batch rows (or merge hook) and the last lines, all
    // added to `lines` for the caller to write.
    FrameHeader beginFrameRecord(const uint8_t* frame, data_channel::FrameLines& lines);
    // rowsMade: the batch rows come made (null: the frame brings none);
    // otherwise they are made here from the processor.
    void endFrameRecord(const FrameHeader& header, ProfileProcessor* processor, int count,
                        data_channel::FrameLines& lines, const FrameOutputRows* madeRows = nullptr,
                        bool rowsMade = false);
    int binningFactor() const;
    // How the batch rows of a frame are made, from the registers and the batch's gray switches.
    OutputRowRules outputRowRules();
    bool ownConnection() const;
    // The frame path's run-log texts of this device, built when the id changes.
    struct FrameLogTexts {
        int id = -1;
        std::string device, processing, postprocessing, postprocessed;
    };
    const FrameLogTexts& frameLogTexts();

    std::shared_ptr<data_channel::ReceiverLog> log_;
    std::shared_ptr<data_channel::linelaser_client> client_;
    MessageQueue queue_;
    data_channel::ConnectionState connection_;
    data_channel::RunSignal run_;

    int id_ = 0;
    int userValue_ = 0;
    int runMode_ = 0;
    SensorController* controller_ = nullptr;

    // Written by the consumer thread (parseInfo) and by clearBatch from a
    // caller's thread; other threads read it through info().
    InfoMessage info_;
    mutable std::mutex infoMutex_;

    // Batch state written by the per-frame processing.
    std::shared_ptr<data_channel::BatchRows> batchRows_;
    std::shared_ptr<const FrameMergeHook> mergeHook_;
    GraySwitches graySwitches_;
    std::atomic<uint8_t> batchFinished_{1};
    std::atomic<int> framesReceived_{0};
    std::atomic<uint32_t> batchNumber_{0};
    std::atomic<uint64_t> firstTimestamp_{0};
    std::atomic<uint64_t> lastTimestamp_{0};
    std::atomic<int> outputOffset_{0};
    // Reused frame after frame, so that the frame path does not allocate.
    FrameOutputRows outputRows_;
    std::vector<double> mergeHeights_;
    std::vector<uint8_t> mergeGray_;
    FrameLogTexts frameLogTexts_;

    // Batch assembly and delivery.
    std::shared_ptr<data_channel::BatchBuffers> buffers_;
    std::atomic<uint32_t> startTick_{0};
    std::atomic<uint32_t> endTick_{0};
    std::atomic<int> startFrameTimeoutMs_{0};
    std::atomic<int> continuousFrameTimeoutMs_{0};
    std::atomic<uint8_t> rollMode_{0};
    std::atomic<int> rollState_{kRollRunning};
    std::atomic<int> rollFrameLimit_{0};
    std::mutex stateMutex_;
    std::condition_variable batchState_;
    // The frame area of kFrameAreaSize bytes, word-aligned for the value rows.
    std::vector<uint32_t> frameArea_ = std::vector<uint32_t>(kFrameAreaSize / sizeof(uint32_t));
    FrameOutputRows repairedRows_;
    struct ConsumerTexts {
        std::string device, receivedData, receivedStart;
    } consumerTexts_;
    // Handler slots, installed from other threads while batches are delivered.
    std::mutex handlerMutex_;
    HVQ5_2_BatchCallback batchCallback_ = nullptr;
    HVQ5_2_BatchHandler oneTimeHandler_ = nullptr;
    HVQ5_2_BatchHandlerObject oneTimeHandlerObject_;
    std::vector<HVQ5_2_BatchListHandler> handlerList_;
    StartHook startHook_;
    std::atomic<uint32_t> notifyCode_{0};
    std::atomic<uint32_t> fullBatches_{0};

    int frameWorkers_ = defaultFrameWorkers();
    std::unique_ptr<data_channel::FramePool> pool_;
    std::atomic<uint64_t> framesFromPool_{0};
    // Frames past the order step and not yet completed (consumer thread).
    int completionsAhead_ = 0;
    // What the last frame left beyond the width of the frames released at a batch end.
    std::vector<double> releasedTailHeights_;
    std::vector<uint8_t> releasedTailGray_;
    std::thread reader_;
    std::thread consumer_;
};
