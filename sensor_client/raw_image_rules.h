#pragma once
#include <QFileInfo>
#include <QString>

// The peak row kept for one camera column of a raw image: the sensor's peak
// (1/100 row) as rows; a peak of 0 (none) or at or beyond the image's rows
// becomes the last row.
inline float rawImagePeakRow(int peakHundredths, int rows) {
    const float row = static_cast<float>(peakHundredths / 100.0);
    return (row == 0.0f || row >= rows) ? static_cast<float>(rows - 1) : row;
}

// The file a raw image is saved to: the time stamp (to the millisecond) names
// it, but images fetched back to back can share a millisecond, and the later
// one must not overwrite the earlier: it gets "_1", "_2", ... after the stamp.
inline QString rawImageFileName(const QString& folder, const QString& stamp) {
    QString file = folder + QLatin1Char('/') + stamp + QStringLiteral(".bmp");
    for (int counter = 1; QFileInfo::exists(file); ++counter)
        file = folder + QLatin1Char('/') + stamp + QLatin1Char('_') + QString::number(counter) + QStringLiteral(".bmp");
    return file;
}
