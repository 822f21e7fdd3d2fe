#pragma once
// Repairs inside one frame: runs of invalid points (x positions, short gaps)
// and folds where x stops increasing.
#include <cstdint>

// Random offset added to the gray of repaired points, so that a repaired run
// does not look unnaturally flat: rand() mod (bound + 1). The source is
// injectable so that tests are deterministic.
struct GrayNoise {
    using Source = int (*)();
    int bound = 0;
    Source source = nullptr;  // null: the C library's rand()

    uint8_t apply(int gray) const;
};

// The process-wide noise bound: the last processor to run a frame sets it from
// its register image, every gap repair reads it.
int gray_noise_bound();
void set_gray_noise_bound(int bound);

// Gives every run of invalid points x positions (between its neighbours, or on a
// 0.1 step at the range ends) and, for runs between valid neighbours of at most
// maxGap points (0: none), heights: interpolated when the ends are close
// (slope below slopeThreshold or step below stepThreshold), else by mode
// (1 interpolate and mark, 2 fill with the higher end and mark, other: mark
// only). rows (the peak rows) may be null. marks receive 1 for uncertain points.
void repair_invalid_runs(double* x, double* z, double* rows, uint8_t* gray, int32_t* marks,
                         int count, int maxGap, double slopeThreshold, double stepThreshold,
                         int mode, double invalid, const GrayNoise& noise);

// Straightens folds (x not increasing): the points of a fold are laid out on a
// tiny step and take the height and gray of the fold's higher end.
void repair_folds(double* x, double* z, uint8_t* gray, int count, double invalid,
                  double extraStep);
