#include "tools/sensor_sim/sim_batch_memory.h"

#include <algorithm>
#include <cstring>

#include "tools/sensor_sim/sim_sensor.h"

namespace sensor_sim {
namespace {

constexpr uint8_t kReadRegister = 161;
constexpr uint32_t kMemoryRegister = 277;
constexpr uint32_t kRecordSizeRegister = 278;
constexpr uint32_t kTriggerCounter = 294;
constexpr size_t kFrameHeader = 32;
const char kStart[] = "MESSTA,OK,end\r\n";
const char kFrameTag[] = "algdat1,";
const char kEnd[] = "MESSTP,OK,end\r\n";
const uint8_t kFrameTrailer[] = {',', 'e', 'n', 'd', '\r', '\n', 0, 0};

void putBigEndian16(uint8_t* out, uint16_t value) {
    out[0] = static_cast<uint8_t>(value >> 8);
    out[1] = static_cast<uint8_t>(value);
}

void appendText(std::vector<uint8_t>& out, const char* text) { out.insert(out.end(), text, text + std::strlen(text)); }

void appendLittleEndian(std::vector<uint8_t>& out, uint32_t value, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

void SimBatchMemory::queueBlock(SimBatchBlock block) {
    std::lock_guard<std::mutex> lock(mutex_);
    blocks_.push_back(std::move(block));
}

void SimBatchMemory::queueBatch(uint32_t firstBlockIndex, const SimBatchBlock& layout,
                                const std::vector<SimBatchFrame>& frames, size_t framesPerBlock) {
    const size_t perBlock = std::max<size_t>(1, framesPerBlock);
    size_t sent = 0;
    uint32_t index = firstBlockIndex;
    do {
        SimBatchBlock block = layout;
        block.blockIndex = index++;
        block.batchFrames = static_cast<uint16_t>(frames.size());
        block.framesBefore = static_cast<uint16_t>(sent);
        const size_t count = std::min(perBlock, frames.size() - sent);
        block.frames.assign(frames.begin() + static_cast<std::ptrdiff_t>(sent),
                            frames.begin() + static_cast<std::ptrdiff_t>(sent + count));
        sent += count;
        block.complete = sent == frames.size();
        queueBlock(std::move(block));
    } while (sent < frames.size());
}

size_t SimBatchMemory::blocksLeft() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return blocks_.size();
}

void SimBatchMemory::scriptTriggerCounter(std::vector<uint32_t> readings) {
    std::lock_guard<std::mutex> lock(mutex_);
    triggerReadings_.assign(readings.begin(), readings.end());
}

void SimBatchMemory::setMemoryState(uint32_t state) {
    std::lock_guard<std::mutex> lock(mutex_);
    memoryState_ = state;
}

void SimBatchMemory::announceRecordSize(uint32_t size) {
    std::lock_guard<std::mutex> lock(mutex_);
    announcedSize_ = size;
}

std::vector<SimBatchMemory::Question> SimBatchMemory::questions() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return questions_;
}

size_t SimBatchMemory::clears() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return clears_;
}

std::vector<uint8_t> SimBatchMemory::encodeRecord(const SimBatchBlock& block) {
    std::vector<uint8_t> record(kRecordSize, 0);
    writeBigEndian32(&record[12], block.blockIndex);
    putBigEndian16(&record[16], block.batchFrames);
    putBigEndian16(&record[18], block.framesBefore);
    putBigEndian16(&record[20], static_cast<uint16_t>(block.frames.size()));
    record[23] = block.complete ? 1 : 0;
    record[24] = block.intensity ? 1 : 0;
    putBigEndian16(&record[25], block.pointsPerFrame);
    putBigEndian16(&record[27], block.overrunCount);
    putBigEndian16(&record[29], block.pointsPerFrame);
    record[31] = block.wideValues ? 1 : 0;
    putBigEndian16(&record[32], block.firstColumn);
    return record;
}

std::vector<uint8_t> SimBatchMemory::encodeData(const SimBatchBlock& block) {
    std::vector<uint8_t> data;
    appendText(data, kStart);
    const size_t valueBytes = block.wideValues ? 4 : 2;
    for (const SimBatchFrame& frame : block.frames) {
        appendText(data, kFrameTag);
        uint8_t header[kFrameHeader] = {};
        writeBigEndian32(header + 0, frame.batchNumber);
        writeBigEndian32(header + 10, frame.encoder);
        writeBigEndian32(header + 14, static_cast<uint32_t>(frame.timeStamp >> 32));
        writeBigEndian32(header + 18, static_cast<uint32_t>(frame.timeStamp));
        data.insert(data.end(), header, header + kFrameHeader);
        if (block.intensity) {
            for (size_t i = 0; i < block.pointsPerFrame; ++i)
                data.push_back(i < frame.intensity.size() ? frame.intensity[i] : 0);
        }
        for (size_t i = 0; i < block.pointsPerFrame; ++i)
            appendLittleEndian(data, i < frame.values.size() ? frame.values[i] : 0, valueBytes);
        data.insert(data.end(), std::begin(kFrameTrailer), std::end(kFrameTrailer));
    }
    appendText(data, kEnd);
    return data;
}

void SimBatchMemory::sendNextBlock(const Request& request, ReplyWriter& reply) {
    SimBatchBlock block;
    uint32_t size = kRecordSize;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!blocks_.empty()) {
            block = std::move(blocks_.front());
            blocks_.pop_front();
            lastBlockIndex_ = block.blockIndex;
        } else {
            block.blockIndex = lastBlockIndex_;  // nothing new: no frames
        }
        size = announcedSize_;
        announcedSize_ = kRecordSize;
    }
    std::vector<uint8_t> bytes = encodeRecord(block);
    bytes.resize(size, 0);
    reply.echo(request.opcode, request.address, size);
    if (size == kRecordSize && !block.frames.empty()) {
        const std::vector<uint8_t> data = encodeData(block);
        bytes.insert(bytes.end(), data.begin(), data.end());
    }
    reply.write(bytes);
}

bool SimBatchMemory::onRead(SimSensor& sensor, const Request& request, ReplyWriter& reply) {
    const uint32_t reg = request.lo();
    if (reg == kRecordSizeRegister && request.hi() == 0) {
        sendNextBlock(request, reply);
        return true;
    }
    if (reg == kMemoryRegister) {
        uint32_t state = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            questions_.push_back({request.value, request.hi()});
            state = memoryState_;
        }
        reply.echo(request.opcode, request.address, state);
        return true;
    }
    if (reg == kTriggerCounter && request.hi() == 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!triggerReadings_.empty()) {
            sensor.setReg(kTriggerCounter, triggerReadings_.front());
            if (triggerReadings_.size() > 1) triggerReadings_.pop_front();
        }
    }
    return false;
}

void SimBatchMemory::onWrite(uint32_t address, uint32_t value) {
    if ((address & 0xFFFF) != kMemoryRegister || value != 0) return;
    std::lock_guard<std::mutex> lock(mutex_);
    ++clears_;
}

std::shared_ptr<SimBatchMemory> installBatchMemory(SimSensor& sensor) {
    auto memory = std::make_shared<SimBatchMemory>();
    const SimSensor::Dispatch previous = sensor.dispatchFor(kReadRegister);
    sensor.registerOpcodeHandler(
        kReadRegister,
        [memory, previous](SimSensor& s, const Request& request, ReplyWriter& reply) {
            if (memory->onRead(s, request, reply)) return;
            if (previous.handler) previous.handler(s, request, reply);
        },
        previous.payloadSize);
    sensor.onRegisterWritten([memory](uint32_t address, uint32_t value) { memory->onWrite(address, value); });
    return memory;
}

}  // namespace sensor_sim
