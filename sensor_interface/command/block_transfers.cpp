// Fixed-size blocks and tables on the command channel: calibration table,
// parameter blocks, head records, shape block, settings block, measured values
// and memory blocks. Their exchanges live here; what the bytes of each mean is
// block_codec's.
#include <cstring>

#include "sensor_interface/command/register_packet.h"
#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/command/silence_clock.h"
#include "sensor_interface/status_codes.h"

namespace net = mirevo::platform;

namespace {

constexpr uint8_t kCalibrationOpcode = static_cast<uint8_t>(CommandOpcode::CalibrationTable);
constexpr uint8_t kParameterOpcode = static_cast<uint8_t>(CommandOpcode::ParameterBlock);
constexpr uint8_t kShapeOpcode = static_cast<uint8_t>(CommandOpcode::ShapeBlock);
constexpr uint8_t kSettingsOpcode = static_cast<uint8_t>(CommandOpcode::SettingsBlock);
constexpr uint8_t kMeasuredOpcode = static_cast<uint8_t>(CommandOpcode::MeasuredValues);
constexpr uint8_t kMemoryOpcode = static_cast<uint8_t>(CommandOpcode::BlockRead);

constexpr uint32_t kBlockAddress = 256;
constexpr uint32_t kHeadRecordAddress = 1u << 16;
constexpr uint32_t kShapeWriteAddress = (1u << 16) | 256;

}  // namespace

int SensorController::receiveFixed(Bytes& held, std::size_t blockSize, std::size_t maxPerReceive) {
    held.clear();
    held.reserve(blockSize);
    const std::size_t chunk = std::min(maxPerReceive, kRxBufferSize);
    SilenceClock silence;
    while (held.size() < blockSize) {
        net::IoResult part = net::receiveSome(commandSocket_, rxBuffer_.get(), chunk);
        if (part.ok()) {
            silence.dataArrived();
            held.insert(held.end(), rxBuffer_.get(), rxBuffer_.get() + part.bytes);
            continue;
        }
        // A closed connection will bring nothing more either.
        if (part.status != net::IoStatus::TimedOut || silence.elapsedMs() > timeoutMs) {
            reportReceiveTimeout();
            return HVQ5_RC_TIMEOUT;
        }
    }
    return HVQ5_RC_OK;
}

int SensorController::readCalibrationTable(CalibrationRows& table) {
    std::lock_guard<std::mutex> lock(transactionMutex_);
    uint32_t value = 0;
    int status = transact(kCalibrationOpcode, 0u, value, 50);
    if (status != HVQ5_RC_OK) return status;
    Bytes held;
    if (receiveFixed(held, kCalibrationBytes, kRxBufferSize) != HVQ5_RC_OK ||
        !block_codec::decodeCalibrationTable(held.data(), held.size(), table))
        return HVQ5_RC_MEMORY_NOT_READY;
    return HVQ5_RC_OK;
}

int SensorController::readParamBlock(std::vector<int32_t>& values, int block) {
    std::lock_guard<std::mutex> lock(transactionMutex_);
    for (uint32_t half = 0; half < 2; ++half) {
        uint32_t value = 2u * static_cast<uint32_t>(block) + half;
        int status = transact(kParameterOpcode, kBlockAddress, value, 30);
        if (status != HVQ5_RC_OK) return status;
        Bytes held;
        status = receiveFixed(held, kSmallBlockBytes, kSmallBlockBytes);
        if (status != HVQ5_RC_OK) return status;
        if (!block_codec::decodeParameterHalf(held.data(), held.size(), values)) return HVQ5_RC_TIMEOUT;
    }
    return HVQ5_RC_OK;
}

int SensorController::readDefaultRegisters(hvq5_settings& target, int block) {
    std::vector<int32_t> values;
    int status = readParamBlock(values, block);
    if (status != HVQ5_RC_OK) return status;
    target.set_regvals(std::vector<unsigned int>(values.begin(), values.end()));
    return HVQ5_RC_OK;
}

int SensorController::readHeadRecord(uint8_t opcode, uint8_t* target) {
    if (target == nullptr || block_codec::headRecordPlace(opcode) == nullptr) return HVQ5_RC_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(transactionMutex_);
    uint32_t value = 0;
    int status = transact(opcode, kHeadRecordAddress, value, 40);
    if (status != HVQ5_RC_OK) return status;
    Bytes record;
    status = receiveBulk(&record, kSmallBlockBytes, false);
    if (status != HVQ5_RC_OK) return status;
    return block_codec::copyHeadRecord(opcode, record.data(), record.size(), target);
}

int SensorController::readHeadInformation(zp_laser_reg::laser_params& target) {
    auto* bytes = reinterpret_cast<uint8_t*>(&target);
    for (const block_codec::HeadRecordPlace& place : block_codec::kHeadRecords) {
        int status = readHeadRecord(place.opcode, bytes + place.offset);
        if (status != HVQ5_RC_OK) return status;
    }
    return HVQ5_RC_OK;
}

int SensorController::readShapeBlock(uint8_t* target, int size) {
    if (size != static_cast<int>(kSmallBlockBytes) || target == nullptr) return HVQ5_RC_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(transactionMutex_);
    uint32_t value = 0;
    int status = transact(kShapeOpcode, kBlockAddress, value, 50);
    if (status != HVQ5_RC_OK) return status;
    Bytes held;
    status = receiveFixed(held, kSmallBlockBytes, kSmallBlockBytes);
    if (status != HVQ5_RC_OK) return status;
    std::memcpy(target, held.data(), kSmallBlockBytes);
    return HVQ5_RC_OK;
}

int SensorController::writeShapeBlock(int kind, const uint8_t* source, int size) {
    if (size != static_cast<int>(kSmallBlockBytes)) return HVQ5_RC_BAD_ARGUMENT;
    if (kind == 1 && source == nullptr) return HVQ5_RC_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(transactionMutex_);
    uint32_t value = 0;
    if (kind == 1) {
        Bytes payload(source, source + kSmallBlockBytes);
        return transactWithPayload(kShapeOpcode, kShapeWriteAddress, value, 500, &payload);
    }
    return transactWithPayload(kShapeOpcode, static_cast<uint32_t>(kind) << 16, value, 500, nullptr);
}

int SensorController::readSettingsBlock(std::vector<uint32_t>& words) {
    Bytes data;
    int status = transferBlock(kSettingsOpcode, 0, 0, 0, 500, data);
    if (status != HVQ5_RC_OK) return status;
    words = block_codec::decodeSettingsWords(data.data(), data.size());
    return HVQ5_RC_OK;
}

int SensorController::writeSettingsBlock(const std::vector<uint32_t>& words) {
    // The byte count travels in the low 16 bits of the address.
    if (words.size() * 4 > 0xFFFF) return HVQ5_RC_BAD_ARGUMENT;
    Bytes payload(words.size() * 4);
    for (std::size_t i = 0; i < words.size(); ++i) RegisterPacket::put_be32(payload.data() + 4 * i, words[i]);
    uint32_t value = 0;
    const uint32_t address = (2u << 16) | static_cast<uint16_t>(payload.size());
    return transactAlone(kSettingsOpcode, address, value, 500, &payload);
}

int SensorController::readMeasuredValues(std::vector<int32_t>& values) {
    Bytes data;
    int status = transferBlock(kMeasuredOpcode, 0, 0, 0, 5, data);
    if (status != HVQ5_RC_OK) return status;
    return block_codec::decodeMeasuredValues(data.data(), data.size(), values);
}

int SensorController::readMemoryBlocks(uint32_t start, uint32_t count, Bytes& out, const Progress& progress) {
    if (progress) progress(0);
    for (uint32_t i = 0; i < count; ++i) {
        Bytes block;
        int status = transferBlock(kMemoryOpcode, 0, kBlockAddress, start + kBlockAddress * i, 5, block,
                                   kSmallBlockBytes);
        if (status != HVQ5_RC_OK) return status;
        out.insert(out.end(), block.begin(), block.end());
        const int percent = static_cast<int>(static_cast<float>(i + 1) / static_cast<float>(count) * 100.0f);
        if (progress && !progress(percent)) return HVQ5_RC_OK;
    }
    return HVQ5_RC_OK;
}
