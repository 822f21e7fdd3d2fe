#pragma once
// The finished profile in the formats the batch rows, the exports and the live
// profile carry: int32 heights x100, 16-bit codes and gray bytes.
#include <cstdint>

// Heights x100, truncated toward zero and held inside the int32 range.
void heights_to_int100(const double* heights, int32_t* out, int count);

// 16-bit codes: v = scale / 65536 / 256 x (h x 256 + offsetA - offsetB) + 32768;
// 0 for invalid heights and for v outside (0, 65535).
void heights_to_u16(const double* heights, uint16_t* out, int count, double scale,
                    double offsetA, double offsetB, double invalid);

// ProfileReceiver::encodeHeights16 and ProfileReceiver::outputWidth are these
// two pure functions with the receiver's register values filled in.
//
// Codes of the extended-width int32 row: as heights_to_u16 after adding zOffset,
// accepting codes up to 65535. Only the first `available` heights are read; the
// outputs after them are 0.
void encode_heights16(const double* heights, int available, int32_t* out, int count,
                      double scale, double offsetA, double offsetB, double invalid,
                      double zOffset);

// Points per output row: the extended width when set (not for our own "QW"
// connections), else the sensor's X-ROI width (register 358) in points, divided
// by the binning rate unless the connection is our own. Both come from sensor
// registers, and every frame and batch row is sized by the result: it is held
// to kMaxOutputWidth.
int profile_output_width(int extendedWidth, bool ownConnection, uint32_t roiWidthColumns,
                         double pointsPerColumn, int binningRate);
// Above the widest profile a head measures (6000 points) and the widest row the
// program's own dialog asks for (4096): wider rows would hold only padding.
constexpr int kMaxOutputWidth = 8192;

// Gray look-up table: identity outside [low, high]; inside it the low 8 bits of
// trunc((i - low) x gain + low) in single precision.
void build_gray_lut(uint8_t lut[256], int low, int high, float gain);

// One byte-to-byte table composing, in this order, the gamma curve (bytes to
// 0..220), the contrast stretch of the upper half and the look-up table; each
// stage is skipped when its switch is off (lut may be null then).
void build_gray_table(uint8_t table[256], bool gamma, float gammaValue, bool stretch,
                      const uint8_t* lut);

void apply_gray_table(const uint8_t table[256], uint8_t* gray, int count);
