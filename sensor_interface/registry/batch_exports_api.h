#pragma once
// Batch data for callers: the older read of a finished batch from the
// sensor's batch memory over the command channel, and the batch buffers the
// data channel fills. Each export takes the id a sensor was opened under and
// answers 4097 when it is not open, unless stated otherwise.
//
// Buffers the caller provides. Exports without a size argument never write
// more frames than the batch length the caller configured (register 138, the
// batch length setting) nor more than the sensor announced for the batch;
// when neither is known (both 0) they write no frame. So size every array
// for the configured batch length:
//   - profiles: frames x points int32 (points: the output width of the data
//     channel, or the head's profile points on the command channel);
//   - intensity: frames x points bytes;
//   - encoders, time stamps, frame records: frames entries.
#include <cstddef>
#include <cstdint>

#include "sensor_interface/data_channel/batch_records.h"
#include "sensor_interface/hvq5_export.h"
#include "sensor_interface/settings/batch_status.h"

// Input of the command-channel batch reads.
struct HVQ5_BATCH_REQUEST {
    uint8_t unused;
    uint8_t kind;      // 0 clear memory 0 first, 2 ask the memory state first, 5 read at once
    uint8_t reserved[2];
    int32_t value;     // sent with the memory-state question (kind 2)
    int32_t memoryIndex;
};
static_assert(sizeof(HVQ5_BATCH_REQUEST) == 12, "caller record layout");
static_assert(offsetof(HVQ5_BATCH_REQUEST, kind) == 1, "caller record layout");
static_assert(offsetof(HVQ5_BATCH_REQUEST, value) == 4, "caller record layout");
static_assert(offsetof(HVQ5_BATCH_REQUEST, memoryIndex) == 8, "caller record layout");

// One frame of a command-channel batch (HVQ5_GetBatchSimpleArray).
struct HVQ5_BATCH_FRAME {
    uint32_t zero0;        // 0
    uint32_t batchNumber;  // the frame header's word at offset 0
    uint32_t encoder;
    uint32_t reserved;     // not written
    uint64_t timeStamp;
    uint64_t zero24;       // 0
};
static_assert(sizeof(HVQ5_BATCH_FRAME) == 32, "caller record layout");
static_assert(offsetof(HVQ5_BATCH_FRAME, batchNumber) == 4, "caller record layout");
static_assert(offsetof(HVQ5_BATCH_FRAME, encoder) == 8, "caller record layout");
static_assert(offsetof(HVQ5_BATCH_FRAME, timeStamp) == 16, "caller record layout");
static_assert(offsetof(HVQ5_BATCH_FRAME, zero24) == 24, "caller record layout");

static_assert(offsetof(HVQ5_BATCH_HEADER, frameCount) == 28, "caller record layout");
static_assert(offsetof(HVQ5_BATCH_HEADER, complete) == 30, "caller record layout");
static_assert(offsetof(HVQ5_BATCH_PROFILE_INFO, hasIntensity) == 2, "caller record layout");
static_assert(offsetof(HVQ5_BATCH_PROFILE_INFO, pointCount) == 4, "caller record layout");
static_assert(offsetof(HVQ5_BATCH_PROFILE_INFO, startPosition) == 24, "caller record layout");

// Result of HVQ5_2_EXTEND_Outline16bit: only status carries a value.
struct HVQ5_2_OUTLINE16_RESULT {
    int32_t unused[2];
    int32_t status;  // 0, or 4097 when the id is not open
    int32_t unused12;
};
static_assert(sizeof(HVQ5_2_OUTLINE16_RESULT) == 16, "caller record layout");
static_assert(offsetof(HVQ5_2_OUTLINE16_RESULT, status) == 8, "caller record layout");

extern "C" {

// --- Command channel: one block of the sensor's batch memory ---
// Prepares by request->kind (0: clear memory 0, 3090 when that fails; 2: ask
// the memory state, anything but ready is 3090; 5: nothing; other kinds 4099
// without traffic), then reads the block: header and info from its status
// record, profiles (int32, back to back) of every frame. 32897 when batch
// mode is off; the read's own status (5002, 4100, 4103 ...) when it fails, and
// then no array is written. Null outputs are skipped.
HVQ5_API int HVQ5_GetBatchProfile(int id, const HVQ5_BATCH_REQUEST* request, HVQ5_BATCH_HEADER* header,
                                  HVQ5_BATCH_PROFILE_INFO* info, void* profiles);
// The same, also the intensity rows (when the block carries them) and one
// HVQ5_BATCH_FRAME per frame.
HVQ5_API int HVQ5_GetBatchSimpleArray(int id, const HVQ5_BATCH_REQUEST* request, HVQ5_BATCH_HEADER* header,
                                      HVQ5_BATCH_PROFILE_INFO* info, HVQ5_BATCH_FRAME* frames, void* profiles,
                                      void* intensity);
// The same, accepting the memory state 2 (5003) for kind 2.
HVQ5_API int HVQ5_GetBatchSimpleArray_v2(int id, const HVQ5_BATCH_REQUEST* request, HVQ5_BATCH_HEADER* header,
                                         HVQ5_BATCH_PROFILE_INFO* info, HVQ5_BATCH_FRAME* frames,
                                         void* profiles, void* intensity);

// --- Command channel: the automatic batch read ---
// Waits until the sensor's trigger counter moves, then reads the batch into
// the interface; fills info (points, frames, batch number, x pitch, first
// encoder, 1, 0 complete / -1 ended early). The read's status when it fails
// (1001, 4099, 5004); 4102 for a null info, after the batch was read.
HVQ5_API int HVQ5_2_ReceiveDataAuto(int id, HVQ5_2_STR_CALLBACK_INFO* info);
// Batch number of the last automatic batch; -1 while it holds no frames.
HVQ5_API int HVQ5_2_GetBatchTimes(int id);

// --- Data channel ---
// Waits for the end of the current batch: 0; 4100 when 20 s pass without the
// end once frames have arrived. While no frame has arrived it keeps waiting;
// closing the id ends the wait with 4097.
HVQ5_API int HVQ5_2_ReceiveData(int id);

// Pointers into the live buffers of the id in data (null when data is null or
// the id is not open). Valid until the next batch starts; read them between a
// batch end and the next start. With the extended values' Y window switched on
// they start at the window's first frame, so that the frames the batch handler
// is told about lie inside the buffer. On a two-head sensor the profile and
// intensity pointers are those of the merged batch (null while it never held data).
HVQ5_API int32_t* HVQ5_2_GetBatchProfilePoint(const _HVQ5_2_Data* data);
HVQ5_API uint8_t* HVQ5_2_GetBatchIntensityPoint(const _HVQ5_2_Data* data);
HVQ5_API uint32_t* HVQ5_2_GetBatchEncoderPoint(const _HVQ5_2_Data* data);
HVQ5_API uint64_t* HVQ5_2_GetBatchTimestamps(const _HVQ5_2_Data* data);
// zStep (may be null) receives the height step of one 16-bit code, 65536 /
// register 353 (0 when the register is 0).
HVQ5_API int16_t* HVQ5_2_GetBatchProfilePoint16(const _HVQ5_2_Data* data, int unused, double* zStep);

// Copies of the whole batch (see the buffer sizes above): 0, also when out is
// null (nothing written).
HVQ5_API int HVQ5_2_GetProfileData(int id, void* unused, int32_t* out);
HVQ5_API int HVQ5_2_GetIntensityData(int id, void* unused, uint8_t* out);
HVQ5_API int HVQ5_2_GetEncoder(int id, void* unused, uint32_t* out);
HVQ5_API int HVQ5_2_GetTimestamps(int id, void* unused, uint64_t* out);

// Continuous reads: move up to frames (count) entries from the front of one
// buffer into out. Number moved; 0 when the output width is 0; -1 when the id
// is not open or out is null.
HVQ5_API int HVQ5_2_GetProfileContiuneData(int id, void* unused, int32_t* out, int frames);
HVQ5_API int HVQ5_2_GetIntensityContiuneData(int id, void* unused, uint8_t* out, int frames);
HVQ5_API int HVQ5_2_GetEncoderContiune(int id, void* unused, uint32_t* out, int count);

// Rolling reads: move up to count frames from the front of all buffers. aux
// receives count values: the frame numbers of the frames moved, then zeros.
// Frames moved; -100 when nothing is buffered and the rolling batch has ended.
HVQ5_API int HVQ5_2_GetBatchRollData(int id, void* unused, int32_t* profiles, uint8_t* intensity,
                                     uint32_t* encoders, uint64_t* aux, void* unused2, uint32_t count);
HVQ5_API int HVQ5_2_GetBatchRollData_Ex(int id, void* unused, int* batchNumber, int32_t* profiles,
                                        uint8_t* intensity, uint32_t* encoders, uint64_t* aux,
                                        uint64_t* timeStamps, void* unused2, uint32_t count);

// Frames received so far in the current batch; -1 when not open.
HVQ5_API int HVQ5_2_ProfilePointCount(int id);
// 16-bit copy of count profile values: the low 16 bits of each value of the
// whole rows of the output width (register 752, or the X-window width when it
// is 0); a remainder shorter than a row is not copied, nor anything when both
// widths are 0.
HVQ5_API HVQ5_2_OUTLINE16_RESULT HVQ5_2_EXTEND_Outline16bit(int id, const int32_t* profiles, int count,
                                                            int16_t* out);

}  // extern "C"

// The client's copy path: frames start .. start + n - 1 of the current batch,
// n = maxFrames limited to the frames present from start on. batchNumber
// receives the batch number; profiles and intensity need n x output width
// entries, encoders, aux and timeStamps (may be null) n. Returns n (0 when
// nothing is there), 4097. Does not wait. C++ linkage: other programs link it
// by its decorated name.
HVQ5_API int HVQ5_2_TakeBatchData(int id, _HVQ5_2_Data* const unused, int start, int& batchNumber, int* profiles,
                                  uint8_t* intensity, uint32_t* encoders, uint32_t* aux, uint32_t* unused2,
                                  uint64_t* timeStamps, uint32_t maxFrames);
// Height step of the 16-bit profiles, 256 / register 353 (0 when it is 0);
// 4097.0 when not open. C++ linkage.
HVQ5_API double HVQ5_2_Res16(int id);
