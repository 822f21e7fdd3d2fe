#include "views/camera/raw_image_dump.h"

#include <QSaveFile>

#include <opencv2/core.hpp>

#include <cstring>

namespace raw_image_dump {

namespace {

// Multiplying by an odd number and adding a constant permutes the bytes.
constexpr std::array<uint8_t, 256> makeTable() {
    std::array<uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b) table[b] = static_cast<uint8_t>((b * 167 + 89) & 0xFF);
    return table;
}

constexpr std::array<uint8_t, 256> kTable = makeTable();

void putLe32(char* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

const std::array<uint8_t, 256>& scrambleTable() { return kTable; }

qint64 dumpSize(int columns, int rows, int peakCount) {
    return kHeaderBytes + static_cast<qint64>(rows) * columns + 4 * static_cast<qint64>(peakCount) + kTrailerBytes;
}

QByteArray buildRawImageDump(const cv::Mat& image, const std::vector<float>& peakRows) {
    if (image.empty() || image.type() != CV_8UC1) return {};
    const int columns = image.cols;
    const int rows = image.rows;
    const int n = static_cast<int>(peakRows.size());
    QByteArray out(static_cast<int>(dumpSize(columns, rows, n)), '\0');
    char* p = out.data();
    p[0] = 'K';
    p[1] = 'X';
    // Bytes 2 and 3 stay zero, so two dumps of one image are identical.
    putLe32(p + 4, static_cast<uint32_t>(columns));
    putLe32(p + 8, static_cast<uint32_t>(rows));
    putLe32(p + 12, static_cast<uint32_t>(n));
    char* pixels = p + kHeaderBytes;
    for (int r = 0; r < rows; ++r) std::memcpy(pixels + static_cast<size_t>(r) * columns, image.ptr(r), columns);
    char* peaks = pixels + static_cast<size_t>(rows) * columns;
    for (int i = 0; i < n; ++i) {
        uint32_t bits;
        std::memcpy(&bits, &peakRows[i], 4);
        putLe32(peaks + 4 * static_cast<size_t>(i), bits);
    }
    const qint64 body = out.size() - kTrailerBytes;
    for (qint64 i = 0; i < body; ++i) p[i] = static_cast<char>(kTable[static_cast<uint8_t>(p[i])]);
    p[body] = 'G';
    p[body + 1] = 'G';
    return out;
}

bool writeDumpFile(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        if (error) *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace raw_image_dump
