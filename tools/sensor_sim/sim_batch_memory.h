#pragma once
// The simulated sensor's batch memory, read over the command channel:
//   - a read of register 278 takes the next queued block: the echo announces
//     the status record's size (34), the 34-byte big-endian record follows
//     and, when the block has frames, the batch data ("MESSTA,OK,end\r\n",
//     "algdat1," frame records, "MESSTP,OK,end\r\n"); with nothing queued the
//     record announces no frames;
//   - a read of (n << 16) | 277 asks for the memory state (value = block
//     index, n = frames acknowledged); a write of register 277 clears it;
//   - reads of register 294 (the trigger counter) can follow a script.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace sensor_sim {

class SimSensor;
struct Request;
class ReplyWriter;

struct SimBatchFrame {
    uint32_t batchNumber = 0;
    uint32_t encoder = 0;
    uint64_t timeStamp = 0;
    std::vector<uint8_t> intensity;  // pointsPerFrame bytes when the block carries intensity
    std::vector<uint32_t> values;    // pointsPerFrame raw profile values
};

struct SimBatchBlock {
    uint32_t blockIndex = 0;
    uint16_t batchFrames = 0;   // frames of the whole batch
    uint16_t framesBefore = 0;  // frames of the earlier blocks
    bool complete = false;
    bool intensity = false;
    bool wideValues = true;     // 32-bit profile values, else 16-bit
    uint16_t pointsPerFrame = 0;
    uint16_t firstColumn = 0;
    uint16_t overrunCount = 0;
    std::vector<SimBatchFrame> frames;
};

class SimBatchMemory {
public:
    static constexpr size_t kRecordSize = 34;

    void queueBlock(SimBatchBlock block);
    // Queues a batch cut into blocks of at most framesPerBlock frames, with
    // block indexes from firstBlockIndex; layout gives the frame format.
    void queueBatch(uint32_t firstBlockIndex, const SimBatchBlock& layout, const std::vector<SimBatchFrame>& frames,
                    size_t framesPerBlock);
    size_t blocksLeft() const;
    // Readings of the trigger counter in turn; the last one stays.
    void scriptTriggerCounter(std::vector<uint32_t> readings);
    // Answer of the memory-state question: 0 ready, 2, or anything else for not ready.
    void setMemoryState(uint32_t state);
    // The next status read announces (and sends) a record of this size.
    void announceRecordSize(uint32_t size);

    struct Question {
        uint32_t blockIndex;
        uint16_t acknowledged;
    };
    std::vector<Question> questions() const;
    size_t clears() const;

    // The sensor's encoders.
    static std::vector<uint8_t> encodeRecord(const SimBatchBlock& block);
    static std::vector<uint8_t> encodeData(const SimBatchBlock& block);

    // True when the read was this memory's to answer.
    bool onRead(SimSensor& sensor, const Request& request, ReplyWriter& reply);
    void onWrite(uint32_t address, uint32_t value);

private:
    void sendNextBlock(const Request& request, ReplyWriter& reply);

    mutable std::mutex mutex_;
    std::deque<SimBatchBlock> blocks_;
    uint32_t lastBlockIndex_ = 0;
    std::deque<uint32_t> triggerReadings_;
    uint32_t memoryState_ = 0;
    uint32_t announcedSize_ = kRecordSize;
    std::vector<Question> questions_;
    size_t clears_ = 0;
};

// Makes the sensor answer for its batch memory (reads of 277, 278 and 294
// and writes of 277); other reads go to the handler that was there.
std::shared_ptr<SimBatchMemory> installBatchMemory(SimSensor& sensor);

}  // namespace sensor_sim
