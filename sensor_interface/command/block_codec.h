#pragma once
// The blocks and tables of the command channel as bytes: how each reply of the
// sensor is checked and decoded, apart from the socket that brings it. Every
// length comes from the bytes actually held; nothing is read past them.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace block_codec {

using CalibrationRows = std::vector<std::vector<double>>;

// The calibration table: 20480 big-endian doubles, column after column.
constexpr std::size_t kCalibrationBytes = 0x28000;
constexpr int kCalibrationRows = 2048;
constexpr int kCalibrationColumns = 10;
// Parameter halves, head records, shape and memory blocks.
constexpr std::size_t kSmallBlockBytes = 256;
constexpr std::size_t kEchoBytes = 11;

// Decodes a calibration stream into kCalibrationRows rows of
// kCalibrationColumns doubles: double k belongs to row k mod 2048, column
// k div 2048. False, the table untouched, unless the stream is exactly
// kCalibrationBytes long.
bool decodeCalibrationTable(const uint8_t* stream, std::size_t size, CalibrationRows& table);

// Where a head record lies in the head information and how many of its 256
// bytes belong to it. In the order the records are read.
struct HeadRecordPlace {
    uint8_t opcode;
    std::size_t offset;
    std::size_t kept;
};
constexpr HeadRecordPlace kHeadRecords[] = {
    {176, 0, 42},
    {182, 42, 22},
    {184, 64, 22},
    {183, 86, 46},
};
// Null for an opcode that is no head record.
const HeadRecordPlace* headRecordPlace(uint8_t opcode);
// Copies the kept bytes of a head record from the bytes received to target.
// 4102 for an opcode that is no head record or without target; 4103 when fewer
// bytes were received than the record keeps; 0 otherwise.
int copyHeadRecord(uint8_t opcode, const uint8_t* record, std::size_t size, uint8_t* target);

// One half of a parameter block: the last 256 bytes held (anything ahead of
// them is left over from before) as 64 big-endian signed values, appended to
// values. False, values untouched, when fewer than 256 bytes are held.
bool decodeParameterHalf(const uint8_t* held, std::size_t size, std::vector<int32_t>& values);

// The settings block: as many whole big-endian words as the payload holds.
std::vector<uint32_t> decodeSettingsWords(const uint8_t* payload, std::size_t size);

// The measured values: big-endian signed values. values.size() is the most
// the caller takes; it is cut to the count received. 4103 (values untouched)
// when the payload is not whole values or holds more than that.
int decodeMeasuredValues(const uint8_t* payload, std::size_t size, std::vector<int32_t>& values);

// The reply to a block exchange: the 11-byte echo of the request's address,
// then the block. With expectedPayload > 0 the block has that size, otherwise
// it is whatever came behind the echo.
struct BlockReply {
    int status;               // 0; 4099 short echo or another address; 4100 block not whole
    std::size_t payloadSize;  // bytes of the block behind the echo when status is 0
};
BlockReply readBlockReply(uint32_t address, const uint8_t* reply, std::size_t have, std::size_t expectedPayload);

}  // namespace block_codec
