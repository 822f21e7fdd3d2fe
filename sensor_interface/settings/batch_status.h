#pragma once
// The batch the sensor keeps in its batch memory, as it comes over the command
// channel: the 34-byte status record that precedes it, the data framing of its
// frames, and the two caller records filled from the status record.
#include <cstddef>
#include <cstdint>

// Status record (big-endian on the wire), decoded.
struct BatchStatus {
    uint32_t word0 = 0;
    uint16_t word4 = 0;
    uint32_t word6 = 0;
    uint16_t word10 = 0;
    uint32_t blockIndex = 0;
    uint16_t batchFrames = 0;      // frames of the whole batch
    uint16_t framesBefore = 0;     // frames sent in earlier blocks; 0 = first block
    uint16_t frameCount = 0;       // frames in this block
    uint8_t byte22 = 0;
    uint8_t complete = 0;          // 1 = the batch ends with this block
    uint8_t hasIntensity = 0;      // 1 = every frame carries one intensity byte per point
    uint16_t firstPointCount = 0;
    uint16_t overrunCount = 0;     // how often the encoder outran the sensor
    uint16_t pointsPerFrame = 0;
    uint8_t wideValues = 0;        // 1 = profile values are 32-bit, else 16-bit
    uint16_t firstColumn = 0;      // first camera column of the profiles
};

constexpr size_t kBatchStatusSize = 34;
constexpr size_t kBatchStatusMaxSize = 64;

// Decodes a status record of 34 to 64 bytes (the sensor may append bytes we do
// not read); false for any other length.
bool parse_batch_status(const uint8_t* data, size_t size, BatchStatus& status);

// Caller records of the command-channel batch exports.
struct HVQ5_BATCH_HEADER {
    uint32_t word0;
    uint32_t word4;
    uint32_t word6;
    uint32_t word10;
    uint32_t blockIndex;
    uint32_t batchFrames;
    uint32_t framesBefore;
    uint16_t frameCount;
    uint8_t complete;
    uint8_t reserved;
};
static_assert(sizeof(HVQ5_BATCH_HEADER) == 32, "caller record layout");

struct HVQ5_BATCH_PROFILE_INFO {
    uint8_t profileKind;        // always 1
    uint8_t reserved1;
    uint8_t hasIntensity;
    uint8_t reserved3;
    int16_t pointCount;
    uint8_t reserved6[18];
    uint32_t startPosition;     // twice the first camera column
};
static_assert(sizeof(HVQ5_BATCH_PROFILE_INFO) == 28, "caller record layout");

// Fill only the fields the record feeds; the others keep the caller's bytes.
void fillBatchHeader(const BatchStatus& status, HVQ5_BATCH_HEADER& header);
void fillBatchProfileInfo(const BatchStatus& status, HVQ5_BATCH_PROFILE_INFO& info);

// One frame record inside the batch data; pointers into the caller's bytes.
struct BatchFrame {
    const uint8_t* header = nullptr;     // 32 bytes, big-endian
    const uint8_t* intensity = nullptr;  // points bytes, or null
    const uint8_t* values = nullptr;     // points values, little-endian, 2 or 4 bytes each
    int points = 0;
    bool wideValues = false;
    uint32_t batchNumber = 0;
    uint32_t encoder = 0;
    uint64_t timeStamp = 0;
};

constexpr size_t kBatchFrameHeaderSize = 32;

// Walks the batch data: "MESSTA,OK,end\r\n", frame records "algdat1,"..., and
// the end record "MESSTP". Every length is checked against the buffer.
class BatchDataReader {
public:
    enum class Step { Frame, End, Malformed };

    BatchDataReader(const uint8_t* data, size_t size, const BatchStatus& status);

    // False when the data does not begin with the start marker.
    bool hasStartMarker() const;
    // True when no byte remains after the last record read.
    bool atEnd() const { return position_ >= size_; }
    Step next(BatchFrame& frame);
    // The most frame records the data can hold behind its start marker: every
    // frame of the block has the size the status record gives.
    size_t mostFrames() const;

private:
    // Bytes of one frame record from its header through its trailer.
    size_t frameRecordBytes() const;

    const uint8_t* data_;
    size_t size_;
    size_t position_;
    int points_;
    bool hasIntensity_;
    bool wideValues_;
};
