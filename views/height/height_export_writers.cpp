#include "views/height/height_export_writers.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <mutex>

#include "sensor_interface/processing/output_formats.h"

namespace {

constexpr double kInvalidHeightMm = -9999.0;
constexpr double kInvalidHeightUm = -9999000.0;
constexpr double kInvalidTolerance = 0.000001;

struct SuffixRule {
    const char* lastPart;
    const char* rewrittenEnding;  // replaces "." + lastPart at the end of the name; null: kept
    HeightExportWriter writer;
    kx::common::cloudFileType cloudType;
    kx::common::cloudOrganizeType organize;
};

// The suffix table of the export.
const SuffixRule kSuffixRules[] = {
    {"row_csv", "_row.csv", HeightExportWriter::RowCsv, kx::common::CLOUD_FILE_NONE, kx::common::CLOUD_ORGANIZED},
    {"csv", nullptr, HeightExportWriter::Cloud, kx::common::CLOUD_FILE_CSV, kx::common::CLOUD_ORGANIZED},
    {"tiff", nullptr, HeightExportWriter::Cloud, kx::common::CLOUD_FILE_TIFF, kx::common::CLOUD_ORGANIZED},
    {"tif", nullptr, HeightExportWriter::Tif, kx::common::CLOUD_FILE_TIF, kx::common::CLOUD_ORGANIZED},
    {"pcd", nullptr, HeightExportWriter::Cloud, kx::common::CLOUD_FILE_PCD_BINARY, kx::common::CLOUD_UNORGANIZED},
    {"ascii_pcd", "_ascii.pcd", HeightExportWriter::Cloud, kx::common::CLOUD_FILE_PCD_ASCII,
     kx::common::CLOUD_UNORGANIZED},
    {"ply", nullptr, HeightExportWriter::Cloud, kx::common::CLOUD_FILE_PLY_BINARY, kx::common::CLOUD_UNORGANIZED},
    {"ascii_ply", "_ascii.ply", HeightExportWriter::Cloud, kx::common::CLOUD_FILE_PLY_ASCII,
     kx::common::CLOUD_UNORGANIZED},
    {"txt", nullptr, HeightExportWriter::PointText, kx::common::CLOUD_FILE_NONE, kx::common::CLOUD_ORGANIZED},
    {"ypitch_txt", "_ypitch.txt", HeightExportWriter::PointTextY, kx::common::CLOUD_FILE_NONE,
     kx::common::CLOUD_ORGANIZED},
};

// A text file written through stdio, for the exact "%f" layouts. A write
// error removes the partial file.
class TextFile {
public:
    explicit TextFile(const std::string& path) : path_(path), file_(std::fopen(path.c_str(), "w")) {
        if (file_) std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
    }
    ~TextFile() {
        if (file_) std::fclose(file_);
    }
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    std::FILE* get() { return file_; }
    HeightExportStatus close() {
        const bool failed = std::ferror(file_) != 0;
        const bool closeFailed = std::fclose(file_) != 0;
        file_ = nullptr;
        if (!failed && !closeFailed) return HeightExportStatus::Written;
        std::remove(path_.c_str());
        return HeightExportStatus::WriteFailed;
    }

private:
    std::string path_;
    std::FILE* file_;
};

int signedValue(uint32_t value) { return static_cast<int32_t>(value); }

kx::common::cloudChannelType channelOf(bool withIntensity) {
    return withIntensity ? kx::common::CLOUD_CHANNEL_INTENSITY : kx::common::CLOUD_CHANNEL_Z;
}

int heldRows(const LinelaserClient& client) {
    const size_t held = std::min({client.batchHeights.size(), client.batchIntensity.size(), client.batchInfo.size()});
    return static_cast<int>(std::clamp<int64_t>(client.batchProfileCount.load(), 0, static_cast<int64_t>(held)));
}

template <typename T>
void copyRows(const LinelaserClient& client, int rows, cv::Mat* heights, cv::Mat* intensity,
              std::vector<BatchRowInfo>* info) {
    const size_t cols = static_cast<size_t>(heights->cols);
    for (int r = 0; r < rows; ++r) {
        const std::vector<double>& source = client.batchHeights[static_cast<size_t>(r)];
        const std::vector<uint8_t>& sourceIntensity = client.batchIntensity[static_cast<size_t>(r)];
        T* out = heights->ptr<T>(r);
        const size_t known = std::min(cols, source.size());
        for (size_t c = 0; c < known; ++c) out[c] = static_cast<T>(source[c]);
        std::fill(out + known, out + cols, static_cast<T>(kInvalidHeightMm));
        uint8_t* outIntensity = intensity->ptr<uint8_t>(r);
        const size_t knownIntensity = std::min(cols, sourceIntensity.size());
        std::copy_n(sourceIntensity.data(), knownIntensity, outIntensity);
        std::fill(outIntensity + knownIntensity, outIntensity + cols, uint8_t{0});
        (*info)[static_cast<size_t>(r)] = client.batchInfo[static_cast<size_t>(r)];
    }
}

}  // namespace

HeightExportTarget heightExportTarget(const QString& path) {
    HeightExportTarget target;
    target.path = path;
    const QStringList parts = path.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    const QString& last = parts.last();
    for (const SuffixRule& rule : kSuffixRules) {
        if (last != QLatin1String(rule.lastPart)) continue;
        target.writer = rule.writer;
        target.cloudType = rule.cloudType;
        target.organize = rule.organize;
        target.customized = rule.writer == HeightExportWriter::Tif && parts.size() >= 3 &&
                            parts[parts.size() - 2] == QLatin1String("customized");
        // Only the name's own ending: a folder that happens to contain the
        // suffix keeps its name.
        const QString ending = QLatin1Char('.') + QLatin1String(rule.lastPart);
        if (rule.rewrittenEnding && path.endsWith(ending))
            target.path = path.left(path.size() - ending.size()) + QLatin1String(rule.rewrittenEnding);
        break;
    }
    return target;
}

BatchCopy copyClientBatch(LinelaserClient& client, int depth) {
    const int type = CV_MAKETYPE(depth, 1);
    int rows = 0;
    int cols = 0;
    int number = 0;
    {
        std::lock_guard<std::mutex> lock(client.batchMutex);
        rows = heldRows(client);
        cols = rows > 0 ? static_cast<int>(client.batchHeights[0].size()) : 0;
        number = client.batchNumber.load();
    }
    // Allocated before the copy, outside the lock: the batch thread and the
    // painter wait for the copy only.
    BatchCopy copy;
    copy.heights.create(rows, cols, type);
    copy.intensity.create(rows, cols, CV_8UC1);
    copy.info.resize(static_cast<size_t>(rows));

    std::lock_guard<std::mutex> lock(client.batchMutex);
    const int rowsNow = heldRows(client);
    const int colsNow = rowsNow > 0 ? static_cast<int>(client.batchHeights[0].size()) : 0;
    if (client.batchNumber.load() != number || rowsNow < rows || colsNow != cols) {
        // Another batch began meanwhile: copy that one as it is now.
        rows = rowsNow;
        cols = colsNow;
        copy.heights.create(rows, cols, type);
        copy.intensity.create(rows, cols, CV_8UC1);
        copy.info.assign(static_cast<size_t>(rows), BatchRowInfo{});
    }
    if (depth == CV_32F)
        copyRows<float>(client, rows, &copy.heights, &copy.intensity, &copy.info);
    else
        copyRows<double>(client, rows, &copy.heights, &copy.intensity, &copy.info);
    copy.withIntensity = client.batchOutputMode.load() == 1;
    copy.firstColumn = client.batchFirstColumn.load();
    copy.lastColumn = client.batchLastColumn.load();
    return copy;
}

const char* heightExportStatusText(HeightExportStatus status) {
    switch (status) {
        case HeightExportStatus::Written: return "written";
        case HeightExportStatus::NoData: return "no rows in the batch";
        case HeightExportStatus::UnknownType: return "no writer for this file name";
        case HeightExportStatus::ZeroPrecision: return "the TIF precision is 0";
        case HeightExportStatus::BadOutputWidth: return "the profile output width is not usable";
        case HeightExportStatus::RegisterReadFailed: return "the registers of the 16-bit codes could not be read";
        case HeightExportStatus::WriteFailed: return "the file could not be written";
    }
    return "";
}

HeightExportStatus writeRowCsv(const std::string& path, const BatchCopy& batch) {
    TextFile file(path);
    if (!file.isOpen()) return HeightExportStatus::WriteFailed;
    for (int r = 0; r < batch.rows(); ++r) {
        const BatchRowInfo& info = batch.info[static_cast<size_t>(r)];
        std::fprintf(file.get(), "%d,%d,%d", signedValue(info.aux), signedValue(info.encoder),
                     signedValue(info.timeLow));
        const float* heights = batch.heights.ptr<float>(r);
        for (int c = 0; c < batch.cols(); ++c) std::fprintf(file.get(), ",%f", static_cast<double>(heights[c]));
        std::fputs("\n", file.get());
    }
    return file.close();
}

HeightExportStatus writePointText(const std::string& path, const BatchCopy& batch, const HeightExportParams& params,
                                  bool withY) {
    if (batch.rows() == 0) return HeightExportStatus::NoData;
    TextFile file(path);
    if (!file.isOpen()) {
        std::cerr << "无法打开目标文件" << std::endl;
        return HeightExportStatus::WriteFailed;
    }
    const int cols = batch.cols();
    // The columns centred on x = 0; the products in single precision.
    const float halfWidth = static_cast<float>(cols) * params.xPitch * 0.5f;
    std::vector<double> x(static_cast<size_t>(cols));
    for (int c = 0; c < cols; ++c)
        x[static_cast<size_t>(c)] = static_cast<double>(static_cast<float>(c) * params.xPitch) - halfWidth;
    double y = 0.0;
    for (int r = 0; r < batch.rows(); ++r) {
        const double* heights = batch.heights.ptr<double>(r);
        const int encoder = signedValue(batch.info[static_cast<size_t>(r)].encoder);
        for (int c = 0; c < cols; ++c) {
            if (withY)
                std::fprintf(file.get(), "%f,%f,%f\n", y, x[static_cast<size_t>(c)], heights[c]);
            else
                std::fprintf(file.get(), "%d,%f,%f\n", encoder, x[static_cast<size_t>(c)], heights[c]);
        }
        y += params.yPitch;
    }
    return file.close();
}

HeightExportStatus writeBatchCloud(const std::string& path, const BatchCopy& batch, const HeightExportParams& params,
                                   kx::common::cloudFileType type, kx::common::cloudOrganizeType organize) {
    if (batch.rows() == 0) return HeightExportStatus::NoData;
    const kx::common::kxCloud cloud =
        batch.withIntensity ? kx::common::kxCloud(batch.heights, batch.intensity, params.xPitch, params.yPitch,
                                                  params.zLower, params.zUpper, params.invalid)
                            : kx::common::kxCloud(batch.heights, params.xPitch, params.yPitch, params.zLower,
                                                  params.zUpper, params.invalid);
    const kx::common::cloudChannelType channel = channelOf(batch.withIntensity);
    return kx::common::writeCloud(cloud, path, type, channel, organize) == 0 ? HeightExportStatus::Written
                                                                              : HeightExportStatus::WriteFailed;
}

cv::Mat registerTifCodes(const BatchCopy& batch, int register353, int register350, int register357) {
    cv::Mat codes(batch.rows(), batch.cols(), CV_16UC1);
    std::vector<double> micrometres(static_cast<size_t>(batch.cols()));
    for (int r = 0; r < batch.rows(); ++r) {
        const double* heights = batch.heights.ptr<double>(r);
        for (int c = 0; c < batch.cols(); ++c) micrometres[static_cast<size_t>(c)] = heights[c] * 1000.0;
        heights_to_u16(micrometres.data(), codes.ptr<uint16_t>(r), batch.cols(), register353, register350,
                       register357, kInvalidHeightUm);
    }
    return codes;
}

int customizedTifStartColumn(int firstColumn, int lastColumn, int outputWidth) {
    const int64_t spare = std::max<int64_t>(0, int64_t{lastColumn} - firstColumn - outputWidth + 1);
    const double start = std::trunc(static_cast<double>(spare) * 0.5 + firstColumn);
    return static_cast<int>(std::clamp(start, static_cast<double>(INT32_MIN), static_cast<double>(INT32_MAX)));
}

void customizedTifImages(const BatchCopy& batch, const CustomizedTifLayout& layout, cv::Mat* codes,
                         cv::Mat* intensity) {
    const int width = layout.outputWidth;
    codes->create(batch.rows(), width, CV_16UC1);
    intensity->create(batch.rows(), width, CV_8UC1);
    const int64_t start = customizedTifStartColumn(batch.firstColumn, batch.lastColumn, width);
    const float steps = 65536.0f / layout.precision;  // single precision, as the sensor's own codes
    const double scale = 256.0 * static_cast<double>(steps) / 16777216.0;
    for (int r = 0; r < batch.rows(); ++r) {
        const double* heights = batch.heights.ptr<double>(r);
        const uint8_t* rowIntensity = batch.intensity.ptr<uint8_t>(r);
        uint16_t* out = codes->ptr<uint16_t>(r);
        uint8_t* outIntensity = intensity->ptr<uint8_t>(r);
        for (int m = 0; m < width; ++m) {
            const int64_t c = start + m;
            const bool inside = c >= 0 && c < batch.cols();
            const double h = inside ? heights[c] * 1000.0 : kInvalidHeightUm;
            outIntensity[m] = inside ? rowIntensity[c] : 0;
            out[m] = 0;
            if (std::fabs(h - kInvalidHeightUm) <= kInvalidTolerance) continue;
            const double v = (layout.zOffsetUm + h) * scale + 32768.0;
            if (v > 0.0 && v < 65536.0) out[m] = static_cast<uint16_t>(v);
        }
    }
}

HeightExportStatus writeTifImage(const std::string& path, const cv::Mat& codes, const cv::Mat& intensity,
                                 const HeightExportParams& params, bool withIntensity) {
    if (codes.rows == 0) return HeightExportStatus::NoData;
    const kx::common::kxCloud cloud(codes, withIntensity ? intensity : cv::Mat(), params.xPitch, params.yPitch,
                                    params.zLower, params.zUpper, params.invalid);
    return kx::common::writeCloud(cloud, path, kx::common::CLOUD_FILE_TIF, channelOf(withIntensity),
                                  kx::common::CLOUD_ORGANIZED) == 0
               ? HeightExportStatus::Written
               : HeightExportStatus::WriteFailed;
}
