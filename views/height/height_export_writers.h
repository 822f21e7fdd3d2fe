#pragma once
// The height-map export's file formats: which writer a file name selects, the
// copy of the client's batch a writer works from, and the writers themselves
// (row CSV, point texts, the two 16-bit TIFs, and the cloud files through
// kx::common::writeCloud). Nothing here touches a widget; the writers run on
// the export's worker thread.
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

#include <opencv2/core/mat.hpp>

#include "sensor_client/linelaser_client.h"
#include "views/height/cloud/kx_common.h"

// What the writers take from the client besides the rows, as floats.
struct HeightExportParams {
    float yPitch = 0.0f;  // mm between profiles
    float xPitch = 0.0f;  // mm between points
    float zUpper = 0.0f;  // the sensor's z range, mm
    float zLower = 0.0f;
    float invalid = -9999.0f;  // height of a point without measurement
};

enum class HeightExportWriter {
    None,       // a name without a known suffix: nothing is written
    RowCsv,     // own text: the row record, then the heights
    Cloud,      // kx::common::writeCloud with cloudType and organize
    Tif,        // 16-bit TIF: the customized layout or the register codes
    PointText,  // own text: encoder, x, z per point
    PointTextY  // own text: y, x, z per point
};

// The writer a file name selects by its last "."-separated part, and the file
// actually written: four suffixes are rewritten at the end of the name
// (".row_csv" -> "_row.csv", ".ascii_pcd" -> "_ascii.pcd", ".ascii_ply" ->
// "_ascii.ply", ".ypitch_txt" -> "_ypitch.txt").
struct HeightExportTarget {
    HeightExportWriter writer = HeightExportWriter::None;
    QString path;
    kx::common::cloudFileType cloudType = kx::common::CLOUD_FILE_NONE;
    kx::common::cloudOrganizeType organize = kx::common::CLOUD_ORGANIZED;
    bool customized = false;  // Tif: the part before the last is "customized"
};
HeightExportTarget heightExportTarget(const QString& path);

// A copy of the client's current batch, taken at once under its batch lock so
// that the writers never read rows the batch thread is replacing. Rows x
// columns, the columns being those of the first row; a shorter row is filled
// with the invalid height and intensity 0.
struct BatchCopy {
    cv::Mat heights;    // mm; CV_32FC1 or CV_64FC1 (see copyClientBatch)
    cv::Mat intensity;  // CV_8UC1
    std::vector<BatchRowInfo> info;
    bool withIntensity = false;  // the batch's output mode is 1
    int firstColumn = 0;         // the batch's window, in profile points
    int lastColumn = 0;

    int rows() const { return heights.rows; }
    int cols() const { return heights.cols; }
};

// depth: CV_32F where the format stores floats (clouds, row CSV), CV_64F
// where it prints or codes the heights the client holds (point texts, TIFs).
BatchCopy copyClientBatch(LinelaserClient& client, int depth);

enum class HeightExportStatus {
    Written,
    NoData,              // the batch has no rows
    UnknownType,         // no writer for the name
    ZeroPrecision,       // customized TIF with a precision of 0
    BadOutputWidth,      // customized TIF with a negative or absurd output width
    RegisterReadFailed,  // register TIF: a register of the code formula could not be read
    WriteFailed          // the file could not be opened or written
};
const char* heightExportStatusText(HeightExportStatus status);

// One line per row: the three values of the row's record as signed decimals,
// then "," and each height as a float printed with "%f"; "\n" ends a line. No
// header; an empty batch gives an empty file. Needs CV_32F heights.
HeightExportStatus writeRowCsv(const std::string& path, const BatchCopy& batch);

// One line "a,x,z\n" per point, row by row: a is the row's encoder value
// (signed decimal) or, withY, the row's y printed with "%f" (a running double
// sum of yPitch from 0); x = c x xPitch - K x xPitch x 0.5 (both products in
// single precision), z the height, both "%f". No file for an empty batch; a
// file that does not open prints "无法打开目标文件" on standard error. Needs
// CV_64F heights.
HeightExportStatus writePointText(const std::string& path, const BatchCopy& batch, const HeightExportParams& params,
                                  bool withY);

// The heights (CV_32F) as a kx::common cloud file of the given type.
HeightExportStatus writeBatchCloud(const std::string& path, const BatchCopy& batch, const HeightExportParams& params,
                                   kx::common::cloudFileType type, kx::common::cloudOrganizeType organize);

// The register TIF's 16-bit codes (rows x cols, CV_16UC1) from CV_64F heights:
// with h the height in micrometres, trunc(r353 / 65536 / 256 x (h x 256 + r350
// - r357) + 32768) when that lies strictly between 0 and 65535, else 0;
// invalid heights give 0.
cv::Mat registerTifCodes(const BatchCopy& batch, int register353, int register350, int register357);

// The customized TIF: W output columns centred in the batch's window,
// starting at s = trunc(max(0, last - first - W + 1) x 0.5 + first); one code
// step is `precision` micrometres and 32768 stands for the height -zOffsetUm.
// Columns outside the batch give code 0 and intensity 0.
struct CustomizedTifLayout {
    int outputWidth = 563;
    double zOffsetUm = 0.0;
    float precision = 0.1f;
};
int customizedTifStartColumn(int firstColumn, int lastColumn, int outputWidth);
// codes: rows x W CV_16UC1, intensity: rows x W CV_8UC1. Needs CV_64F heights.
void customizedTifImages(const BatchCopy& batch, const CustomizedTifLayout& layout, cv::Mat* codes,
                         cv::Mat* intensity);

// A 16-bit code image (and its intensity beside it when the batch has one)
// as a kx::common TIF file.
HeightExportStatus writeTifImage(const std::string& path, const cv::Mat& codes, const cv::Mat& intensity,
                                 const HeightExportParams& params, bool withIntensity);
