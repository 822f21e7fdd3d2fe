// The calibration table from arbitrary bytes, as the open reads and judges it:
// the stream decoded, then refused when it cannot be the camera's calibration
// (a coefficient that is no number, or, on heads whose peak rows it turns into
// distances, a distance that does not grow with the row). An accepted table
// gives the fixed-point path distances that grow with the peak row.
//
// Input: a byte of options (bit 0: the head reports peak rows; bit 1: the
// stream is cut or lengthened by the next byte, as a signed count), a byte of
// camera columns (1 to 8 of them are judged: every column is judged alike, and a
// run stays cheap), two bytes of camera rows; then
// patches to a sound stream (the simulator's distance 40 r + 20000 in every
// column), each three bytes of a double's place in the stream and its eight
// bytes as sent.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include <opencv2/core/mat.hpp>

#include "fuzz/fuzz_support.h"
#include "sensor_interface/command/block_codec.h"
#include "sensor_interface/processing/fixed_point.h"
#include "sensor_interface/processing/height_conversion.h"

namespace {

constexpr size_t kDoubles = block_codec::kCalibrationBytes / 8;
constexpr size_t kPatchBytes = 3 + 8;

void putBigEndianDouble(uint8_t* at, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i) at[i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
}

const std::vector<uint8_t>& soundStream() {
    static const std::vector<uint8_t> stream = [] {
        std::vector<uint8_t> bytes(block_codec::kCalibrationBytes, 0);
        // Double k is coefficient k / 2048 of column k % 2048.
        for (size_t k = 0; k < kDoubles; ++k) {
            const size_t coefficient = k / block_codec::kCalibrationRows;
            putBigEndianDouble(bytes.data() + 8 * k, coefficient == 8 ? 40.0 : coefficient == 9 ? 20000.0 : 0.0);
        }
        return bytes;
    }();
    return stream;
}

// The fault must be what the row table shows, and an accepted table must be
// sound where it is read.
void checkJudgement(const CalibrationTable& table, int columns, int rows, bool peakRows,
                    const std::optional<CalibrationFault>& fault) {
    const CalibrationTable judged(table.begin(), table.begin() + columns);
    if (fault) {
        FUZZ_CHECK(fault->column >= 0 && fault->column < columns);
        if (fault->kind == CalibrationFault::Kind::CoefficientNotFinite) {
            FUZZ_CHECK(!std::isfinite(judged[fault->column][fault->index]));
            return;
        }
        FUZZ_CHECK(peakRows && fault->index >= 0 && fault->index <= rows && fault->index < kRowTableRows);
    }
    // Coefficients are judged first, in every column.
    for (const auto& coef : judged)
        for (double value : coef) FUZZ_CHECK(std::isfinite(value));
    if (!peakRows) return;

    // The row table of one column: the faulty one, else the last judged one.
    const int column = fault ? fault->column : columns - 1;
    cv::Mat lut;
    FUZZ_CHECK(build_row_lut(CalibrationTable(1, judged[column]), lut) == 0);
    const int lastRow = rows < kRowTableRows - 1 ? rows : kRowTableRows - 1;
    if (fault) {
        const double at = lut.at<double>(fault->index, 0);
        if (fault->kind == CalibrationFault::Kind::DistanceNotFinite) FUZZ_CHECK(!std::isfinite(at));
        else FUZZ_CHECK(fault->index > 0 && at <= lut.at<double>(fault->index - 1, 0));
        return;
    }
    for (int r = 0; r <= lastRow; ++r) {
        FUZZ_CHECK(std::isfinite(lut.at<double>(r, 0)));
        if (r > 0) FUZZ_CHECK(lut.at<double>(r, 0) > lut.at<double>(r - 1, 0));
    }
    // The fixed-point path: a peak further down the camera is further away
    // (but for the rounding of the interpolation).
    double previous = -INFINITY;
    for (int step = 1; step < 64; ++step) {
        const double row = lastRow * step / 64.0;
        double distance = 0.0;
        FUZZ_CHECK(interpolate_row_lut(lut, &row, 0, 1, &distance) == 0);
        if (row <= 0.0) continue;
        FUZZ_CHECK(!std::isnan(distance));
        if (distance < previous) FUZZ_CHECK(previous - distance <= std::fabs(previous) * 1e-12);
        previous = distance;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const uint8_t options = data[0];
    const bool peakRows = (options & 1) != 0;
    const int columns = 1 + data[1] % 8;
    const int rows = ((data[2] << 8) | data[3]) % 1300;
    data += 4;
    size -= 4;

    std::vector<uint8_t> stream = soundStream();
    if ((options & 2) != 0 && size > 0) {
        stream.resize(stream.size() + static_cast<int8_t>(data[0]));
        ++data;
        --size;
    }
    for (; size >= kPatchBytes; data += kPatchBytes, size -= kPatchBytes) {
        const size_t k = ((size_t(data[0]) << 16) | (size_t(data[1]) << 8) | data[2]) % kDoubles;
        if (8 * k + 8 <= stream.size()) std::memcpy(stream.data() + 8 * k, data + 3, 8);
    }

    CalibrationTable table(1, std::vector<double>(1, 3.0));
    const bool decoded = block_codec::decodeCalibrationTable(stream.data(), stream.size(), table);
    FUZZ_CHECK(decoded == (stream.size() == block_codec::kCalibrationBytes));
    if (!decoded) {
        FUZZ_CHECK(table.size() == 1 && table[0].size() == 1 && table[0][0] == 3.0);
        return 0;
    }
    FUZZ_CHECK(is_valid_calibration(table));
    const std::optional<CalibrationFault> fault = find_calibration_fault(table, columns, rows, peakRows);
    checkJudgement(table, columns, rows, peakRows, fault);
    if (fault) FUZZ_CHECK(!calibration_fault_text(*fault).empty());
    return 0;
}
