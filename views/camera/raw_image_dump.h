#pragma once
// The raw camera image dump ("img.dat"): a little-endian body scrambled byte
// by byte through a fixed permutation, followed by the plain trailer "GG".
//   0 "KX", 2 padding (zero), 4 int32 columns, 8 int32 rows, 12 int32 n,
//   16 rows x columns grey bytes, then n float32 peak rows.
#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace cv {
class Mat;
}

namespace raw_image_dump {

constexpr int kHeaderBytes = 16;
constexpr int kTrailerBytes = 2;

// The scrambling table T: a permutation of 0..255.
const std::array<uint8_t, 256>& scrambleTable();

// Size of the file for an image and n peak rows.
qint64 dumpSize(int columns, int rows, int peakCount);

// The whole file for an 8-bit one-channel image (uncropped) and its peak rows.
// Empty when the image is not 8-bit one-channel or holds nothing.
QByteArray buildRawImageDump(const cv::Mat& image, const std::vector<float>& peakRows);

// Replaces the file at path with bytes only when every byte was written: a
// failure leaves any old file as it was. False with a reason on failure.
bool writeDumpFile(const QString& path, const QByteArray& bytes, QString* error);

}  // namespace raw_image_dump
