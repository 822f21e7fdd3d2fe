#pragma once
// The arithmetic of the merged batch, apart from the merge thread: fitting a
// head's frame to the merged row width, the int32 row of a merged profile and
// the batch record the merge handler receives.
#include <cstdint>
#include <vector>

#include "sensor_interface/data_channel/batch_records.h"

// The invalid height of the processed frames, in micrometres.
constexpr double kMergeInvalidHeight = -9999000.0;

// Copies a head's frame into width points: a shorter frame is filled up with
// invalid heights and gray 0, a longer one is cut.
void fit_merge_frame(const std::vector<double>& z, const std::vector<uint8_t>& gray, int width,
                     double* zOut, uint8_t* grayOut);

// Appends truncate(z x 100) of every height (held to the int32 range) and the gray bytes.
void append_merged_row(const double* z, const uint8_t* gray, int width, std::vector<int32_t>& profile,
                       std::vector<uint8_t>& intensity);

// The first head's batch record, describing the merged rows instead: their
// width and the number of merged frames.
HVQ5_2_STR_CALLBACK_INFO merged_batch_info(const HVQ5_2_STR_CALLBACK_INFO& firstHead, int width,
                                           int frames);
