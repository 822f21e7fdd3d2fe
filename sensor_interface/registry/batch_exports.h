#pragma once
// The decisions of the batch exports, apart from sockets and the registry, so
// that they can be driven directly: request preparation, how many frames a
// caller's array may take, the Y window of the pointer getters, the 16-bit
// copy and the wait for a batch end.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "sensor_interface/registry/batch_exports_api.h"
#include "sensor_interface/settings/hvq5_settings.h"

class ProfileReceiver;

namespace batch_exports {

// What a request kind asks for before the block is read.
enum class Preparation { ClearMemory, AskMemoryState, None, Refuse };
Preparation preparationFor(uint8_t kind);

// The memory-state answer as the request's outcome: 0 to read on, else 3090.
// State 2 (5003) is accepted only when acceptState2.
int memoryStateOutcome(int status, bool acceptState2);

// Most frames an array without a size may take: the smaller of the batch
// length the caller configured and the frames the sensor announced, each
// counted only when not 0; 0 when neither is known.
size_t framesAllowed(uint32_t configuredFrames, uint32_t announcedFrames);

void fillFrameRecord(HVQ5_BATCH_FRAME& record, uint32_t batchNumber, uint32_t encoder, uint64_t timeStamp);

// First frame the pointer getters start at: the window's first frame when the
// extended values are switched on and a window is set, else 0. The batch
// handler is told the window's frame count only in that case, so a pointer
// moved otherwise would send it past the buffer's end.
size_t pointerWindowFirstFrame(const HVQ5_2_EXTEND& extend);

// Values per row of the 16-bit copy: register 752, else the extended width of
// the X window (0 when both are 0 or the register reads negative).
int outline16Width(uint32_t register752, int windowWidth);
// Copies the low 16 bits of every value of the whole rows; returns the values copied.
size_t copyOutline16(const int32_t* profiles, int count, int width, int16_t* out);

// Widens the frame numbers a rolling read left in the first `moved` uint32
// slots of aux into uint64 values in place and zeroes the rest up to count.
void widenFrameNumbers(uint64_t* aux, size_t moved, size_t count);

// HVQ5_2_ReceiveData's wait. Each round waits at most sliceMs for the batch
// end; a round that ends without it returns 4100 once frames have arrived,
// 4097 when stillOpen() says the id was closed, and waits again otherwise.
constexpr int kBatchEndSliceMs = 20000;
int waitForBatchEnd(ProfileReceiver& receiver, int sliceMs, const std::function<bool()>& stillOpen);

}  // namespace batch_exports
