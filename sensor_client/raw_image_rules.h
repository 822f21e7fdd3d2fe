#pragma once
// The peak row kept for one camera column of a raw image: the sensor's peak
// (1/100 row) as rows; a peak of 0 (none) or at or beyond the image's rows
// becomes the last row.
inline float rawImagePeakRow(int peakHundredths, int rows) {
    const float row = static_cast<float>(peakHundredths / 100.0);
    return (row == 0.0f || row >= rows) ? static_cast<float>(rows - 1) : row;
}
