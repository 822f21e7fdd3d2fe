#pragma once
// The six batch buffers of a receiver (16-bit codes, int32 profiles, intensity
// bytes, encoder values, frame numbers, time stamps), the saved copy of the
// last full batch, and every operation on them. One lock guards them all:
// held exclusively to change the buffers (appends, clearing, the take getters,
// the changes delivery makes), shared to read them (the copy getters).
// The pointer getters take no lock: their callers read the buffers between a
// batch end and the next start.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <shared_mutex>
#include <vector>

#include "sensor_interface/data_channel/profile_receiver.h"

namespace data_channel {

// Where a multi-buffer copy puts each buffer's frames; a null destination is skipped.
struct FrameDestinations {
    int32_t* profiles = nullptr;
    uint8_t* intensity = nullptr;
    uint32_t* encoders = nullptr;
    uint32_t* frameNumbers = nullptr;
    uint64_t* timestamps = nullptr;
};

// A pointer into a live buffer and the buffer's total element count.
template <typename T>
struct BufferView {
    T* data = nullptr;
    size_t count = 0;
};

class BatchBuffers final : public BatchRows {
public:
    static constexpr int kNullDestination = -1;

    // BatchRows: the caller holds the lock.
    void lock() override { mutex_.lock(); }
    void unlock() override { mutex_.unlock(); }
    // Shared: for those that only read the live buffers (the copy getters,
    // the copy into the saved batch), which may then run side by side.
    void lock_shared() { mutex_.lock_shared(); }
    void unlock_shared() { mutex_.unlock_shared(); }
    void appendRows(const int16_t* codes, const int32_t* heights, const uint8_t* gray,
                    int width) override;
    void appendFrameInfo(uint32_t encoder, uint32_t frame, uint64_t timestamp) override;

    // Empties all six buffers (the saved copy stays); the Locked form expects
    // the caller to hold the lock.
    void clear();
    void clearLocked();
    // Empties all six buffers and makes room for `frames` frames of `width`
    // values, so that appending a batch never moves what it holds: a move of
    // a long batch (hundreds of megabytes) under the lock would stall every
    // getter for as long. The room is only address space until written.
    void clearForBatch(int frames, int width);
    // Encoder value of the first frame, 0 when there is none.
    uint32_t firstEncoder();
    size_t profileValueCount();
    // Frames the intensity buffer holds (0 when width is not positive).
    int intensityFrames(int width);

    // Copy and take getters. width is the output width; the per-frame ones
    // return 0 when it is not positive. Results as the exports report them.
    int copyEncoders(uint32_t* to);
    int takeEncoders(uint32_t* to, int count);
    int copyIntensity(uint8_t* to, int width);
    int takeIntensityFrames(uint8_t* to, int count, int width);
    int copyProfiles(int32_t* to, int width);
    int takeProfileFrames(int32_t* to, int count, int width);
    int copyTimestamps(uint64_t* to);
    // Copies frames first .. first + count - 1, limited to the frames present;
    // removes nothing. 0 when the intensity buffer is empty or first lies beyond the end.
    // The Locked forms expect the caller to hold the lock (shared for the
    // copy, exclusive for the take), to read the batch number that labels
    // the frames in the same step.
    int copyFrames(int first, int count, int width, const FrameDestinations& to);
    int copyFramesLocked(int first, int count, int width, const FrameDestinations& to);
    // Counts every change but an append (clearing, taking frames out, the
    // completion of a short batch): frames copied at one count and at the
    // next are of the same batch, in the same places. Read under the lock.
    uint64_t changes() const { return changes_; }
    // Copies at most count frames from the front and removes them from all six
    // buffers, releasing storage no longer needed. kNothingBuffered when the
    // intensity buffer is empty.
    static constexpr int kNothingBuffered = -1;
    int takeFrontFrames(int count, int width, const FrameDestinations& to);
    int takeFrontFramesLocked(int count, int width, const FrameDestinations& to);

    // Pointer getters: `skip` leading elements are stepped over (held to the
    // buffer's end); the count is the buffer's total.
    BufferView<int16_t> codes(size_t skip);
    BufferView<int32_t> profiles(size_t skip);
    BufferView<uint8_t> intensity(size_t skip);
    BufferView<uint32_t> encoders(size_t skip);
    BufferView<uint64_t> timestamps(size_t skip);

    // Delivery.
    // Keeps the 16-bit, int32 and intensity buffers as the saved full batch.
    void saveFullBatch();
    // Releases the saved full batch.
    void dropSavedBatch();
    // Makes the batch exactly `frames` frames of `width` values: from the saved
    // full batch when it has exactly that size (true), else by padding or cutting
    // the live buffers (false). Frame-wise buffers get zero entries either way.
    bool completeBatch(int frames, int width, bool preferSaved, int32_t profilePad);
    size_t savedProfileValueCount();

private:
    // Swaps the saved full batch into the given (empty) vectors.
    void takeSavedBatch(std::vector<int16_t>& codes, std::vector<int32_t>& profiles, std::vector<uint8_t>& intensity);

    std::shared_mutex mutex_;
    uint64_t changes_ = 0;
    std::vector<int16_t> codes_;
    std::vector<int32_t> profiles_;
    std::vector<uint8_t> intensity_;
    std::vector<uint32_t> encoders_;
    std::vector<uint32_t> frameNumbers_;
    std::vector<uint64_t> timestamps_;
    std::vector<int16_t> savedCodes_;
    std::vector<int32_t> savedProfiles_;
    std::vector<uint8_t> savedIntensity_;
};

}  // namespace data_channel
