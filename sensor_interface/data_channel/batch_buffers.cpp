#include "sensor_interface/data_channel/batch_buffers.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <shared_mutex>

namespace data_channel {
namespace {

template <typename T>
void copyOut(const std::vector<T>& from, size_t first, size_t count, T* to) {
    if (!to || count == 0) return;
    // Frame-wise buffers may hold fewer entries than there are frames (a take
    // of one buffer removes from that buffer only): what is missing reads as 0.
    const size_t present = first < from.size() ? std::min(count, from.size() - first) : 0;
    if (present > 0) std::memcpy(to, from.data() + first, present * sizeof(T));
    std::fill(to + present, to + count, T{0});
}

template <typename T>
void eraseFront(std::vector<T>& buffer, size_t count) {
    buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(std::min(count, buffer.size())));
}

template <typename T>
BufferView<T> viewOf(std::vector<T>& buffer, size_t skip) {
    return {buffer.data() + std::min(skip, buffer.size()), buffer.size()};
}

int framesIn(size_t values, int width) { return width > 0 ? static_cast<int>(values / static_cast<size_t>(width)) : 0; }

}  // namespace

void BatchBuffers::appendRows(const int16_t* codes, const int32_t* heights, const uint8_t* gray, int width) {
    if (width <= 0) return;
    codes_.insert(codes_.end(), codes, codes + width);
    profiles_.insert(profiles_.end(), heights, heights + width);
    intensity_.insert(intensity_.end(), gray, gray + width);
}

void BatchBuffers::appendFrameInfo(uint32_t encoder, uint32_t frame, uint64_t timestamp) {
    encoders_.push_back(encoder);
    frameNumbers_.push_back(frame);
    timestamps_.push_back(timestamp);
}

void BatchBuffers::clear() {
    std::lock_guard<std::shared_mutex> lock(mutex_);
    clearLocked();
}

void BatchBuffers::clearForBatch(int frames, int width) {
    std::lock_guard<std::shared_mutex> lock(mutex_);
    clearLocked();
    if (frames <= 0 || width <= 0) return;
    const size_t values = static_cast<size_t>(frames) * static_cast<size_t>(width);
    try {
        codes_.reserve(values);
        profiles_.reserve(values);
        intensity_.reserve(values);
        encoders_.reserve(static_cast<size_t>(frames));
        frameNumbers_.reserve(static_cast<size_t>(frames));
        timestamps_.reserve(static_cast<size_t>(frames));
    } catch (const std::bad_alloc&) {
        // Without the room the buffers grow as the frames come.
    }
}

void BatchBuffers::clearLocked() {
    ++changes_;
    // clear() keeps the storage, so the next batch appends without allocating.
    codes_.clear();
    profiles_.clear();
    intensity_.clear();
    encoders_.clear();
    frameNumbers_.clear();
    timestamps_.clear();
}

uint32_t BatchBuffers::firstEncoder() {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    return encoders_.empty() ? 0 : encoders_.front();
}

size_t BatchBuffers::profileValueCount() {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    return profiles_.size();
}

int BatchBuffers::intensityFrames(int width) {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    return framesIn(intensity_.size(), width);
}

int BatchBuffers::copyEncoders(uint32_t* to) {
    if (!to) return kNullDestination;
    std::shared_lock<std::shared_mutex> lock(mutex_);
    copyOut(encoders_, 0, encoders_.size(), to);
    return static_cast<int>(encoders_.size());
}

int BatchBuffers::takeEncoders(uint32_t* to, int count) {
    if (!to) return kNullDestination;
    std::lock_guard<std::shared_mutex> lock(mutex_);
    ++changes_;
    const size_t n = std::min(static_cast<size_t>(std::max(count, 0)), encoders_.size());
    copyOut(encoders_, 0, n, to);
    eraseFront(encoders_, n);
    return static_cast<int>(n);
}

int BatchBuffers::copyIntensity(uint8_t* to, int width) {
    if (!to) return kNullDestination;
    if (width <= 0) return 0;
    std::shared_lock<std::shared_mutex> lock(mutex_);
    copyOut(intensity_, 0, intensity_.size(), to);
    return static_cast<int>(intensity_.size());
}

int BatchBuffers::takeIntensityFrames(uint8_t* to, int count, int width) {
    if (!to) return kNullDestination;
    if (width <= 0) return 0;
    std::lock_guard<std::shared_mutex> lock(mutex_);
    ++changes_;
    const int frames = std::clamp(count, 0, framesIn(intensity_.size(), width));
    const size_t values = static_cast<size_t>(frames) * static_cast<size_t>(width);
    copyOut(intensity_, 0, values, to);
    eraseFront(intensity_, values);
    return frames;
}

int BatchBuffers::copyProfiles(int32_t* to, int width) {
    if (!to) return kNullDestination;
    if (width <= 0) return 0;
    std::shared_lock<std::shared_mutex> lock(mutex_);
    copyOut(profiles_, 0, profiles_.size(), to);
    return static_cast<int>(profiles_.size());
}

int BatchBuffers::takeProfileFrames(int32_t* to, int count, int width) {
    if (!to) return kNullDestination;
    if (width <= 0) return 0;
    std::lock_guard<std::shared_mutex> lock(mutex_);
    ++changes_;
    const int frames = std::clamp(count, 0, framesIn(profiles_.size(), width));
    const size_t values = static_cast<size_t>(frames) * static_cast<size_t>(width);
    copyOut(profiles_, 0, values, to);
    eraseFront(profiles_, values);
    return frames;
}

int BatchBuffers::copyTimestamps(uint64_t* to) {
    if (!to) return kNullDestination;
    std::shared_lock<std::shared_mutex> lock(mutex_);
    copyOut(timestamps_, 0, timestamps_.size(), to);
    return static_cast<int>(timestamps_.size());
}

int BatchBuffers::copyFrames(int first, int count, int width, const FrameDestinations& to) {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    return copyFramesLocked(first, count, width, to);
}

int BatchBuffers::copyFramesLocked(int first, int count, int width, const FrameDestinations& to) {
    if (width <= 0 || first < 0 || count <= 0) return 0;
    if (intensity_.empty()) return 0;
    const int present = framesIn(profiles_.size(), width);
    if (first >= present) return 0;
    const int frames = std::min(count, present - first);
    const size_t w = static_cast<size_t>(width);
    const size_t from = static_cast<size_t>(first), n = static_cast<size_t>(frames);
    copyOut(profiles_, from * w, n * w, to.profiles);
    copyOut(intensity_, from * w, n * w, to.intensity);
    copyOut(encoders_, from, n, to.encoders);
    copyOut(frameNumbers_, from, n, to.frameNumbers);
    copyOut(timestamps_, from, n, to.timestamps);
    return frames;
}

int BatchBuffers::takeFrontFrames(int count, int width, const FrameDestinations& to) {
    std::lock_guard<std::shared_mutex> lock(mutex_);
    return takeFrontFramesLocked(count, width, to);
}

int BatchBuffers::takeFrontFramesLocked(int count, int width, const FrameDestinations& to) {
    if (intensity_.empty()) return kNothingBuffered;
    ++changes_;
    if (width <= 0 || count <= 0) return 0;
    const int frames = std::min(count, framesIn(profiles_.size(), width));
    const size_t w = static_cast<size_t>(width), n = static_cast<size_t>(frames);
    copyOut(profiles_, 0, n * w, to.profiles);
    copyOut(intensity_, 0, n * w, to.intensity);
    copyOut(encoders_, 0, n, to.encoders);
    copyOut(frameNumbers_, 0, n, to.frameNumbers);
    copyOut(timestamps_, 0, n, to.timestamps);
    eraseFront(profiles_, n * w);
    eraseFront(intensity_, n * w);
    eraseFront(encoders_, n);
    eraseFront(frameNumbers_, n);
    eraseFront(timestamps_, n);
    eraseFront(codes_, n * w);
    // A rolling batch may run for hours: storage follows what is still held.
    profiles_.shrink_to_fit();
    intensity_.shrink_to_fit();
    encoders_.shrink_to_fit();
    frameNumbers_.shrink_to_fit();
    timestamps_.shrink_to_fit();
    codes_.shrink_to_fit();
    return frames;
}

BufferView<int16_t> BatchBuffers::codes(size_t skip) { return viewOf(codes_, skip); }
BufferView<int32_t> BatchBuffers::profiles(size_t skip) { return viewOf(profiles_, skip); }
BufferView<uint8_t> BatchBuffers::intensity(size_t skip) { return viewOf(intensity_, skip); }
BufferView<uint32_t> BatchBuffers::encoders(size_t skip) { return viewOf(encoders_, skip); }

BufferView<uint64_t> BatchBuffers::timestamps(size_t skip) {
    // The count callers get with the time stamps is that of the encoder values.
    BufferView<uint64_t> view = viewOf(timestamps_, skip);
    view.count = encoders_.size();
    return view;
}

void BatchBuffers::saveFullBatch() {
    // A long batch is gigabytes: copied under the shared lock, so that the
    // copy getters go on meanwhile; only the swaps are exclusive. The saved
    // storage is reused.
    std::vector<int16_t> codes;
    std::vector<int32_t> profiles;
    std::vector<uint8_t> intensity;
    takeSavedBatch(codes, profiles, intensity);
    {
        std::shared_lock<std::shared_mutex> lock(mutex_);
        codes.assign(codes_.begin(), codes_.end());
        profiles.assign(profiles_.begin(), profiles_.end());
        intensity.assign(intensity_.begin(), intensity_.end());
    }
    std::lock_guard<std::shared_mutex> lock(mutex_);
    savedCodes_.swap(codes);
    savedProfiles_.swap(profiles);
    savedIntensity_.swap(intensity);
}

void BatchBuffers::dropSavedBatch() {
    std::vector<int16_t> codes;
    std::vector<int32_t> profiles;
    std::vector<uint8_t> intensity;
    takeSavedBatch(codes, profiles, intensity);
    // Freed outside the lock: giving a long batch back to the system takes a while.
}

void BatchBuffers::takeSavedBatch(std::vector<int16_t>& codes, std::vector<int32_t>& profiles,
                                  std::vector<uint8_t>& intensity) {
    std::lock_guard<std::shared_mutex> lock(mutex_);
    codes.swap(savedCodes_);
    profiles.swap(savedProfiles_);
    intensity.swap(savedIntensity_);
}

size_t BatchBuffers::savedProfileValueCount() {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    return savedProfiles_.size();
}

bool BatchBuffers::completeBatch(int frames, int width, bool preferSaved, int32_t profilePad) {
    const size_t n = static_cast<size_t>(std::max(frames, 0));
    const size_t values = n * static_cast<size_t>(std::max(width, 0));
    std::lock_guard<std::shared_mutex> lock(mutex_);
    ++changes_;
    const bool replace = preferSaved && savedProfiles_.size() == values;
    if (replace) {
        codes_ = savedCodes_;
        profiles_ = savedProfiles_;
        intensity_ = savedIntensity_;
    }
    // The saved 16-bit and intensity copies were taken with the profiles, but
    // resizing keeps every buffer at the batch's size whatever happened.
    codes_.resize(values, 0);
    profiles_.resize(values, profilePad);
    intensity_.resize(values, 0);
    encoders_.resize(n, 0);
    frameNumbers_.resize(n, 0);
    timestamps_.resize(n, 0);
    return replace;
}

}  // namespace data_channel
