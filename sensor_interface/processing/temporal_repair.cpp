#include "sensor_interface/processing/temporal_repair.h"

#include <algorithm>
#include <cstring>

#include "sensor_interface/processing/frame_kernels.h"

processTimeInvalid::processTimeInvalid(int fillLimit, int keepLimit, int width, int invalid,
                                       processTimeInvalid* previous)
    : fillLimit_(fillLimit), keepLimit_(keepLimit), invalid_(invalid),
      width_(std::max(width, 0)), words_((width_ + 63) / 64) {
    const bool takeOver = previous && previous != this && previous->width_ == width_ &&
                          previous->heights_[0] && previous->gray_[0] && previous->valid_[0];
    const size_t blockSize = size_t(kBlockRows) * size_t(width_);
    for (int b = 0; b < kBlocks; ++b) {
        if (takeOver) {
            heights_[b] = std::move(previous->heights_[b]);
            gray_[b] = std::move(previous->gray_[b]);
            valid_[b] = std::move(previous->valid_[b]);
            continue;
        }
        heights_[b].reset(new double[blockSize]);
        gray_[b].reset(new uint8_t[blockSize]);
        valid_[b].reset(new uint64_t[size_t(kBlockRows) * size_t(words_)]);
    }
    validRun_.reset(new int[width_]);
    invalidStretch_.reset(new int[width_]);
}

int processTimeInvalid::run(const double* heights, const uint8_t* gray, int count,
                            double** outHeights, uint8_t** outGray) {
    const Slot slot = take(heights == nullptr);
    store(slot, heights, gray, count);
    if (slot.repairsWindow) repairWindow(slot);
    if (slot.state != kNothingReleased) {
        *outHeights = slot.outHeights;
        *outGray = slot.outGray;
    }
    return slot.state;
}

processTimeInvalid::Slot processTimeInvalid::take(bool flushing) {
    Slot slot;
    state_ = kNothingReleased;
    if (flushing && frameCount_ < endCount_) endCount_ = frameCount_;
    currentBlock_ = (frameCount_ / kBlockRows) % kBlocks;
    currentRow_ = frameCount_ % kBlockRows;
    slot.heights = heightRow(currentBlock_, currentRow_);
    slot.gray = grayRow(currentBlock_, currentRow_);
    slot.bits = bitRow(currentBlock_, currentRow_);
    slot.repairsWindow = currentRow_ == kBlockRows - 1 && frameCount_ >= kFirstRelease;
    slot.previousBlock = (currentBlock_ + kBlocks - 1) % kBlocks;
    slot.currentBlock = currentBlock_;
    // long long: endCount_ may be the "no end yet" value.
    const long long releaseEnd = static_cast<long long>(endCount_) + kFirstRelease;
    if (frameCount_ > kFirstRelease && frameCount_ <= releaseEnd) {
        // The oldest block, stored two blocks ago: no later window repair touches it.
        const int oldest = (currentBlock_ + 1) % kBlocks;
        slot.outHeights = heightRow(oldest, currentRow_);
        slot.outGray = grayRow(oldest, currentRow_);
        state_ = kReleased;
    }
    if (frameCount_ == releaseEnd) state_ = kLastReleased;
    slot.state = state_;
    ++frameCount_;
    return slot;
}

void processTimeInvalid::store(const Slot& slot, const double* heights, const uint8_t* gray, int count) const {
    if (heights == nullptr) {
        // A row that only pushes the held frames out at a batch's end: it is
        // never released, the window repair knows it invalid from its bits
        // alone and never takes a value from it, and the next batch writes
        // every row before it reads it. Its heights and gray are left as they are.
        std::fill(slot.bits, slot.bits + words_, uint64_t{0});
        return;
    }
    const int stored = std::clamp(count, 0, width_);
    if (stored > 0) {
        std::memcpy(slot.heights, heights, sizeof(double) * stored);
        if (gray)
            std::memcpy(slot.gray, gray, stored);
        else
            std::memset(slot.gray, 0, stored);
    }
    std::fill(slot.heights + stored, slot.heights + width_, static_cast<double>(invalid_));
    std::memset(slot.gray + stored, 0, width_ - stored);
    frame_kernels().validBits(slot.heights, width_, invalid_, slot.bits);
}

void processTimeInvalid::repairWindow(const Slot& slot) { repairBlocks(slot.previousBlock, slot.currentBlock); }

void processTimeInvalid::repairWindow(double* prevHeights, uint8_t* prevGray,
                                      double* curHeights, uint8_t* curGray, int frames,
                                      int width, int fillLimit, int keepLimit) {
    const double invalid = invalid_;
    const int span = 2 * frames;
    auto heightAt = [&](int t) {
        return t < frames ? prevHeights + size_t(t) * width
                          : curHeights + size_t(t - frames) * width;
    };
    auto grayAt = [&](int t) {
        return t < frames ? prevGray + size_t(t) * width : curGray + size_t(t - frames) * width;
    };

    // All points walk together, row by row, so the rows are read in memory order.
    int* validRun = validRun_.get();
    int* stretch = invalidStretch_.get();
    const int points = std::min(width, width_);
    std::fill(validRun, validRun + points, 0);
    std::fill(stretch, stretch + points, 0);
    for (int t = 0; t < span; ++t) {
        const double* rowHeights = heightAt(t);
        for (int p = 0; p < points; ++p) {
            if (!(rowHeights[p] > invalid)) {
                const int run = validRun[p];
                if (run > 0 && run < keepLimit) {
                    for (int e = t - run; e < t; ++e) {
                        heightAt(e)[p] = invalid;
                        grayAt(e)[p] = 0;
                    }
                    stretch[p] += run + 1;
                } else {
                    stretch[p] += 1;
                }
                validRun[p] = 0;
                continue;
            }
            if (++validRun[p] != keepLimit || stretch[p] == 0) continue;
            const int gapStart = t - keepLimit + 1 - stretch[p];
            const int before = gapStart - 1;
            if (stretch[p] < fillLimit && before > 0) {
                const double h = heightAt(before)[p];
                const uint8_t g = grayAt(before)[p];
                for (int e = gapStart; e < gapStart + stretch[p]; ++e) {
                    heightAt(e)[p] = h;
                    grayAt(e)[p] = g;
                }
            }
            stretch[p] = 0;
        }
    }
}

void processTimeInvalid::repairBlocks(int previous, int current) {
    const double invalid = invalid_;
    const int keep = keepLimit_, fill = fillLimit_;
    constexpr int kSpan = 2 * kBlockRows;
    auto blockOf = [&](int t) { return t < kBlockRows ? previous : current; };
    auto rowOf = [](int t) { return t < kBlockRows ? t : t - kBlockRows; };
    auto heightAt = [&](int t) { return heightRow(blockOf(t), rowOf(t)); };
    auto grayAt = [&](int t) { return grayRow(blockOf(t), rowOf(t)); };
    auto bitsAt = [&](int t) { return bitRow(blockOf(t), rowOf(t)); };

    // Points are independent: each group of 64 walks the whole window on its
    // own, with its validity word per frame. A group whose points are all
    // valid, with valid runs of at least the keep limit and no invalid stretch
    // pending, changes nothing on a frame where they are all valid again (the
    // run lengths beyond the keep limit are never compared): that frame is
    // skipped.
    int validRun[64], stretch[64];
    for (int group = 0; group < words_; ++group) {
        const int base = 64 * group;
        const int points = std::min(64, width_ - base);
        const uint64_t all = points == 64 ? ~uint64_t{0} : (uint64_t{1} << points) - 1;
        std::fill(validRun, validRun + points, 0);
        std::fill(stretch, stretch + points, 0);
        bool steady = false;
        for (int t = 0; t < kSpan; ++t) {
            const uint64_t word = bitsAt(t)[group];
            if (steady && word == all) continue;
            for (int j = 0; j < points; ++j) {
                const int p = base + j;
                const uint64_t bit = uint64_t{1} << j;
                if (!(word & bit)) {
                    const int run = validRun[j];
                    if (run > 0 && run < keep) {
                        for (int e = t - run; e < t; ++e) {
                            heightAt(e)[p] = invalid;
                            grayAt(e)[p] = 0;
                            bitsAt(e)[group] &= ~bit;
                        }
                        stretch[j] += run + 1;
                    } else {
                        stretch[j] += 1;
                    }
                    validRun[j] = 0;
                    continue;
                }
                if (++validRun[j] != keep || stretch[j] == 0) continue;
                const int gapStart = t - keep + 1 - stretch[j];
                const int before = gapStart - 1;
                if (stretch[j] < fill && before > 0) {
                    const double h = heightAt(before)[p];
                    const uint8_t g = grayAt(before)[p];
                    for (int e = gapStart; e < gapStart + stretch[j]; ++e) {
                        heightAt(e)[p] = h;
                        grayAt(e)[p] = g;
                        if (h > invalid)
                            bitsAt(e)[group] |= bit;
                        else
                            bitsAt(e)[group] &= ~bit;
                    }
                }
                stretch[j] = 0;
            }
            steady = word == all;
            for (int j = 0; steady && j < points; ++j)
                steady = validRun[j] >= keep && stretch[j] == 0;
        }
    }
}

int temporal_repair_limit(uint32_t registerValue) {
    return registerValue > 512 ? 1 : static_cast<int>(registerValue);
}
