#include "sensor_interface/command/block_codec.h"

#include <cstring>

#include "sensor_interface/command/register_packet.h"
#include "sensor_interface/status_codes.h"

namespace block_codec {
namespace {

constexpr int kParameterValuesPerHalf = 64;

double bigEndianDouble(const uint8_t* bytes) {
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits = (bits << 8) | bytes[i];
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace

bool decodeCalibrationTable(const uint8_t* stream, std::size_t size, CalibrationRows& table) {
    if (stream == nullptr || size != kCalibrationBytes) return false;
    table.assign(kCalibrationRows, std::vector<double>(kCalibrationColumns, 0.0));
    for (std::size_t k = 0; k < kCalibrationBytes / 8; ++k)
        table[k % kCalibrationRows][k / kCalibrationRows] = bigEndianDouble(stream + 8 * k);
    return true;
}

const HeadRecordPlace* headRecordPlace(uint8_t opcode) {
    for (const HeadRecordPlace& place : kHeadRecords)
        if (place.opcode == opcode) return &place;
    return nullptr;
}

int copyHeadRecord(uint8_t opcode, const uint8_t* record, std::size_t size, uint8_t* target) {
    const HeadRecordPlace* place = headRecordPlace(opcode);
    if (place == nullptr || target == nullptr) return HVQ5_RC_BAD_ARGUMENT;
    if (record == nullptr || size < place->kept) return HVQ5_RC_BAD_BLOCK;
    std::memcpy(target, record, place->kept);
    return HVQ5_RC_OK;
}

bool decodeParameterHalf(const uint8_t* held, std::size_t size, std::vector<int32_t>& values) {
    if (held == nullptr || size < kSmallBlockBytes) return false;
    const uint8_t* half = held + size - kSmallBlockBytes;
    for (int i = 0; i < kParameterValuesPerHalf; ++i)
        values.push_back(static_cast<int32_t>(RegisterPacket::get_be32(half + 4 * i)));
    return true;
}

std::vector<uint32_t> decodeSettingsWords(const uint8_t* payload, std::size_t size) {
    std::vector<uint32_t> words;
    if (payload == nullptr) return words;
    words.reserve(size / 4);
    for (std::size_t at = 0; at + 4 <= size; at += 4) words.push_back(RegisterPacket::get_be32(payload + at));
    return words;
}

int decodeMeasuredValues(const uint8_t* payload, std::size_t size, std::vector<int32_t>& values) {
    if (size % 4 != 0 || size / 4 > values.size() || (payload == nullptr && size > 0)) return HVQ5_RC_BAD_BLOCK;
    values.resize(size / 4);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<int32_t>(RegisterPacket::get_be32(payload + 4 * i));
    return HVQ5_RC_OK;
}

BlockReply readBlockReply(uint32_t address, const uint8_t* reply, std::size_t have, std::size_t expectedPayload) {
    if (reply == nullptr || have < kEchoBytes || RegisterPacket::addressOf(reply) != address)
        return {HVQ5_RC_BAD_REPLY, 0};
    if (expectedPayload == 0) return {HVQ5_RC_OK, have - kEchoBytes};
    if (have - kEchoBytes < expectedPayload) return {HVQ5_RC_TIMEOUT, 0};
    return {HVQ5_RC_OK, expectedPayload};
}

}  // namespace block_codec
