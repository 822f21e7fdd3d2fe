#include "app/settings_file.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <vector>

namespace zps {
namespace {

constexpr int kVersionAt = 32;
constexpr int kCountAt = 36;
constexpr int kTableAt = 37;
constexpr int kEntrySize = 5;
constexpr int kDigestSize = 32;
constexpr int kPairSize = 8;

using ShapeBytes = std::vector<uint8_t>;

uint32_t readLe32(const char* at) {
    const auto* b = reinterpret_cast<const uint8_t*>(at);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

void putLe32(char* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<char>(value >> (8 * i));
}

void appendLe32(QByteArray* out, uint32_t value) {
    char bytes[4];
    putLe32(bytes, value);
    out->append(bytes, 4);
}

QByteArray digestOf(const QByteArray& payload, const QByteArray& header, const QByteArray& salt) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(payload);
    hash.addData(header.constData() + kDigestSize, kHeaderSize - kDigestSize);
    QByteArray reversed = salt;
    std::reverse(reversed.begin(), reversed.end());
    hash.addData(reversed);
    return hash.result();
}

std::vector<uint8_t> sortedTypes(const SettingsBlockMap& blocks) {
    std::vector<uint8_t> types;
    for (const auto& entry : blocks) types.push_back(entry.first);
    std::sort(types.begin(), types.end());
    return types;
}

const SettingsWordPairs* pairsIn(const SettingsBlockMap& blocks) {
    auto it = blocks.find(kSettingsWordsBlock);
    return it == blocks.end() ? nullptr : std::any_cast<SettingsWordPairs>(&it->second);
}

const ShapeBytes* shapeIn(const SettingsBlockMap& blocks) {
    auto it = blocks.find(kShapeBlockCode);
    return it == blocks.end() ? nullptr : std::any_cast<ShapeBytes>(&it->second);
}

}  // namespace

QByteArray settingsSalt() { return QByteArrayLiteral("XVB"); }

bool encode(const SettingsBlockMap& blocks, QByteArray* out, const QByteArray& salt) {
    if (blocks.empty() || blocks.size() > static_cast<size_t>(kMaxBlocks)) return false;
    QByteArray header(kHeaderSize, '\0');
    QByteArray payload;
    int entry = 0;
    for (uint8_t type : sortedTypes(blocks)) {
        const std::any& value = blocks.at(type);
        uint32_t count = 0;
        if (type == kSettingsWordsBlock) {
            const auto* pairs = std::any_cast<SettingsWordPairs>(&value);
            if (!pairs || pairs->size() > (0xFFFFFFFFu / kPairSize)) return false;
            for (const auto& [key, word] : *pairs) {
                appendLe32(&payload, key);
                appendLe32(&payload, word);
            }
            count = static_cast<uint32_t>(pairs->size());
        } else if (type == kShapeBlockCode) {
            const auto* shape = std::any_cast<ShapeBytes>(&value);
            if (!shape || shape->size() != static_cast<size_t>(kShapeBlockSize)) return false;
            payload.append(reinterpret_cast<const char*>(shape->data()), kShapeBlockSize);
            count = kShapeBlockSize;
        } else {
            return false;
        }
        char* at = header.data() + kTableAt + kEntrySize * entry++;
        at[0] = static_cast<char>(type);
        putLe32(at + 1, count);
    }
    putLe32(header.data() + kVersionAt, kVersion);
    header[kCountAt] = static_cast<char>(entry);
    const QByteArray digest = digestOf(payload, header, salt);
    std::memcpy(header.data(), digest.constData(), kDigestSize);
    *out = header + payload;
    return true;
}

bool decode(const QByteArray& bytes, SettingsBlockMap* out, const QByteArray& salt) {
    if (bytes.size() < kHeaderSize) return false;
    const QByteArray header = bytes.left(kHeaderSize);
    const QByteArray payload = bytes.mid(kHeaderSize);
    if (readLe32(header.constData() + kVersionAt) == 0) return false;
    const int count = static_cast<uint8_t>(header[kCountAt]);
    if (count > kMaxBlocks) return false;
    if (digestOf(payload, header, salt) != header.left(kDigestSize)) return false;

    // Every count is checked against what is left of the payload before a
    // byte of the block is taken.
    SettingsBlockMap blocks;
    qint64 position = 0;
    for (int i = 0; i < count; ++i) {
        const char* entry = header.constData() + kTableAt + kEntrySize * i;
        const uint8_t type = static_cast<uint8_t>(entry[0]);
        const uint64_t items = readLe32(entry + 1);
        const qint64 left = payload.size() - position;
        const char* at = payload.constData() + position;
        if (type == kSettingsWordsBlock) {
            if (items * kPairSize > static_cast<uint64_t>(left)) return false;
            SettingsWordPairs pairs;
            pairs.reserve(items);
            for (uint64_t k = 0; k < items; ++k)
                pairs.emplace_back(readLe32(at + k * kPairSize), readLe32(at + k * kPairSize + 4));
            blocks[type] = std::move(pairs);
            position += static_cast<qint64>(items * kPairSize);
        } else if (type == kShapeBlockCode) {
            if (items != static_cast<uint64_t>(kShapeBlockSize) || left < kShapeBlockSize) return false;
            blocks[type] = ShapeBytes(at, at + kShapeBlockSize);
            position += kShapeBlockSize;
        } else {
            return false;
        }
    }
    if (position != payload.size()) return false;
    *out = std::move(blocks);
    return true;
}

bool writeFile(const QString& path, const SettingsBlockMap& blocks) {
    QByteArray bytes;
    if (!encode(blocks, &bytes)) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool readFile(const QString& path, SettingsBlockMap* blocks) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    if (bytes.size() != file.size()) return false;
    return decode(bytes, blocks);
}

QByteArray comparisonReport(const SettingsBlockMap& first, const SettingsBlockMap& second) {
    QByteArray report;
    const SettingsWordPairs noPairs;
    const ShapeBytes noShape;
    for (uint8_t type : sortedTypes(first)) {
        if (type == kSettingsWordsBlock) {
            const SettingsWordPairs* mine = pairsIn(first);
            const SettingsWordPairs* theirs = pairsIn(second);
            if (!mine) continue;
            if (!theirs) theirs = &noPairs;
            report += "registers:\n";
            auto number = [](uint32_t word) { return QByteArray::number(static_cast<int32_t>(word)); };
            for (size_t i = 0; i < mine->size(); ++i) {
                const auto& [key, value] = (*mine)[i];
                if (i >= theirs->size()) {
                    report += number(key) + "    " + number(value) + "  <-->  \n";
                    continue;
                }
                const auto& [otherKey, otherValue] = (*theirs)[i];
                if (key == otherKey && value == otherValue) continue;
                if (key == otherKey)
                    report += number(key) + "    " + number(value) + "    " + number(otherValue) + "\n";
                else
                    report += number(key) + "    " + number(value) + "  <-->  " + number(otherKey) + "    " +
                              number(otherValue) + "\n";
            }
        } else if (type == kShapeBlockCode) {
            const ShapeBytes* mine = shapeIn(first);
            const ShapeBytes* theirs = shapeIn(second);
            if (!mine) continue;
            if (!theirs) theirs = &noShape;
            report += "\nshield areas:\n";
            if (*mine == *theirs) continue;
            for (uint8_t byte : *mine) report += QByteArray::number(byte, 16) + " ";
            report += "\n";
            for (uint8_t byte : *theirs) report += QByteArray::number(byte, 16) + " ";
        }
    }
    return report;
}

QString comparisonReportPath(const QString& secondFile) {
    const QDir folder(QFileInfo(secondFile).absolutePath());
    const QString canonical = folder.canonicalPath();
    return QDir(canonical.isEmpty() ? folder.absolutePath() : canonical).filePath(kReportFileName);
}

CompareResult compareFiles(const QString& firstFile, const QString& secondFile, SettingsBlockMap* blocks,
                           QString* reportPath) {
    if (!readFile(firstFile, blocks)) return CompareResult::FileRefused;
    const SettingsBlockMap first = *blocks;
    if (!readFile(secondFile, blocks)) return CompareResult::FileRefused;
    const SettingsBlockMap second = *blocks;

    *reportPath = comparisonReportPath(secondFile);
    QFile report(*reportPath);
    if (!report.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return CompareResult::ReportNotOpened;
    report.write(comparisonReport(first, second));
    return CompareResult::Written;
}

}  // namespace zps
