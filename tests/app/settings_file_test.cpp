// Settings files: the exact bytes the writer makes, what the reader refuses
// (leaving the blocks it was given alone), an independent reader of the
// written file, and the comparison report of two files.
#include "app/settings_file.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

using Shape = std::vector<uint8_t>;

Shape countingShape() {
    Shape shape(256);
    for (int i = 0; i < 256; ++i) shape[i] = static_cast<uint8_t>(i);
    return shape;
}

SettingsBlockMap smallBlocks() {
    SettingsBlockMap blocks;
    blocks[kShapeBlockCode] = countingShape();
    blocks[kSettingsWordsBlock] = SettingsWordPairs{{0, 5}, {0, 0xFFFFFFFEu}};
    return blocks;
}

QByteArray le32(uint32_t v) {
    const char bytes[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    return QByteArray(bytes, 4);
}

// Puts the digest of the rest of the file in front, as the writer must.
QByteArray sealed(QByteArray file, const QByteArray& salt = "XVB") {
    QByteArray reversed = salt;
    std::reverse(reversed.begin(), reversed.end());
    const QByteArray digest =
        QCryptographicHash::hash(file.mid(128) + file.mid(32, 96) + reversed, QCryptographicHash::Sha256);
    return file.replace(0, 32, digest);
}

// A header of the given table entries (type, count) and a payload.
QByteArray handBuilt(const std::vector<std::pair<uint8_t, uint32_t>>& table, const QByteArray& payload,
                     uint32_t version = 1, int countByte = -1) {
    QByteArray header(32, '\0');
    header += le32(version);
    header += char(countByte < 0 ? int(table.size()) : countByte);
    for (const auto& [type, count] : table) header += char(type) + le32(count);
    header += QByteArray(128 - header.size(), '\0');
    return sealed(header + payload);
}

QByteArray pairBytes(const SettingsWordPairs& pairs) {
    QByteArray bytes;
    for (const auto& [key, value] : pairs) bytes += le32(key) + le32(value);
    return bytes;
}

QByteArray shapeBytes(const Shape& shape) { return QByteArray(reinterpret_cast<const char*>(shape.data()), int(shape.size())); }

TEST(SettingsFileWriter, WritesTheLayoutByteForByte) {
    QByteArray written;
    ASSERT_TRUE(zps::encode(smallBlocks(), &written));
    const QByteArray expected = handBuilt({{0xA0, 2}, {0xB2, 256}},
                                          QByteArray::fromHex("00000000" "05000000" "00000000" "feffffff") +
                                              shapeBytes(countingShape()));
    ASSERT_EQ(written.size(), 128 + 16 + 256);
    EXPECT_EQ(written.toHex().toStdString(), expected.toHex().toStdString());
}

TEST(SettingsFileWriter, SameBlocksSameBytesWhateverTheMapsOrder) {
    SettingsBlockMap reversed;
    reversed[kSettingsWordsBlock] = SettingsWordPairs{{0, 5}, {0, 0xFFFFFFFEu}};
    reversed[kShapeBlockCode] = countingShape();
    QByteArray a, b;
    ASSERT_TRUE(zps::encode(smallBlocks(), &a));
    ASSERT_TRUE(zps::encode(reversed, &b));
    EXPECT_EQ(a, b);
}

TEST(SettingsFileWriter, RefusesWhatNoReaderWouldTake) {
    const std::vector<std::pair<const char*, SettingsBlockMap>> table = {
        {"no block", {}},
        {"unknown type", {{0xA1, SettingsWordPairs{}}}},
        {"pairs of the wrong kind", {{kSettingsWordsBlock, std::vector<int>{1, 2}}}},
        {"shape of 255 bytes", {{kShapeBlockCode, Shape(255)}}},
        {"shape as pairs", {{kShapeBlockCode, SettingsWordPairs{}}}},
    };
    for (const auto& [name, blocks] : table) {
        QByteArray out = "untouched";
        EXPECT_FALSE(zps::encode(blocks, &out)) << name;
        EXPECT_EQ(out, "untouched") << name;
    }
}

TEST(SettingsFileReader, ReadsWhatTheWriterWrote) {
    QByteArray bytes;
    ASSERT_TRUE(zps::encode(smallBlocks(), &bytes));
    SettingsBlockMap read;
    ASSERT_TRUE(zps::decode(bytes, &read));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(std::any_cast<SettingsWordPairs>(read[kSettingsWordsBlock]),
              (SettingsWordPairs{{0, 5}, {0, 0xFFFFFFFEu}}));
    EXPECT_EQ(std::any_cast<Shape>(read[kShapeBlockCode]), countingShape());
}

struct AcceptedCase {
    const char* name;
    std::function<QByteArray()> file;
    size_t blocks;
    size_t pairs;
};
void PrintTo(const AcceptedCase& c, std::ostream* out) { *out << c.name; }

class SettingsFileAccepted : public ::testing::TestWithParam<AcceptedCase> {};

TEST_P(SettingsFileAccepted, IsRead) {
    SettingsBlockMap read;
    ASSERT_TRUE(zps::decode(GetParam().file(), &read));
    EXPECT_EQ(read.size(), GetParam().blocks);
    if (read.count(kSettingsWordsBlock)) {
        EXPECT_EQ(std::any_cast<SettingsWordPairs>(read[kSettingsWordsBlock]).size(), GetParam().pairs);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SettingsFileAccepted,
    ::testing::Values(
        AcceptedCase{"ShieldListedFirst",
                     [] {
                         return handBuilt({{0xB2, 256}, {0xA0, 1}},
                                          shapeBytes(countingShape()) + pairBytes({{3, 4}}));
                     },
                     2, 1},
        AcceptedCase{"ZeroBlocks", [] { return handBuilt({}, {}); }, 0, 0},
        AcceptedCase{"LaterDuplicateWins",
                     [] { return handBuilt({{0xA0, 1}, {0xA0, 2}}, pairBytes({{1, 1}, {2, 2}, {3, 3}})); }, 1, 2},
        AcceptedCase{"VersionTwo", [] { return handBuilt({{0xA0, 1}}, pairBytes({{1, 1}}), 2); }, 1, 1},
        AcceptedCase{"NoPairs", [] { return handBuilt({{0xA0, 0}}, {}); }, 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedCase {
    const char* name;
    std::function<QByteArray()> file;
};
void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

class SettingsFileRefused : public ::testing::TestWithParam<RefusedCase> {};

QByteArray good() {
    QByteArray bytes;
    zps::encode(smallBlocks(), &bytes);
    return bytes;
}

TEST_P(SettingsFileRefused, LeavesTheBlocksAsTheyWere) {
    SettingsBlockMap blocks;
    blocks[kSettingsWordsBlock] = SettingsWordPairs{{7, 7}};
    EXPECT_FALSE(zps::decode(GetParam().file(), &blocks));
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(std::any_cast<SettingsWordPairs>(blocks[kSettingsWordsBlock]), (SettingsWordPairs{{7, 7}}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SettingsFileRefused,
    ::testing::Values(
        RefusedCase{"FlippedLastByte",
                    [] {
                        QByteArray b = good();
                        b[b.size() - 1] = char(b[b.size() - 1] ^ 1);
                        return b;
                    }},
        RefusedCase{"FlippedHeaderPadding",
                    [] {
                        QByteArray b = good();
                        b[100] = 1;
                        return b;
                    }},
        RefusedCase{"OtherSalt",
                    [] {
                        QByteArray b;
                        zps::encode(smallBlocks(), &b, "XVC");
                        return b;
                    }},
        RefusedCase{"VersionZero", [] { return handBuilt({{0xA0, 1}}, pairBytes({{1, 1}}), 0); }},
        RefusedCase{"SixBlocks", [] { return handBuilt({{0xA0, 0}}, {}, 1, 6); }},
        RefusedCase{"ShortHeader", [] { return good().left(127); }},
        RefusedCase{"Empty", [] { return QByteArray(); }},
        RefusedCase{"ShortPayload", [] { return good().left(good().size() - 1); }},
        RefusedCase{"CountPastThePayload", [] { return handBuilt({{0xA0, 3}}, pairBytes({{1, 1}, {2, 2}})); }},
        RefusedCase{"HugeCount", [] { return handBuilt({{0xA0, 0xFFFFFFFFu}}, pairBytes({{1, 1}})); }},
        RefusedCase{"TrailingBytes", [] { return handBuilt({{0xA0, 1}}, pairBytes({{1, 1}}) + "x"); }},
        RefusedCase{"ShapeOf255Bytes", [] { return handBuilt({{0xB2, 255}}, shapeBytes(Shape(255))); }},
        RefusedCase{"ShapePastThePayload", [] { return handBuilt({{0xB2, 256}}, shapeBytes(Shape(200))); }},
        RefusedCase{"UnknownType", [] { return handBuilt({{0xA0, 1}, {0xA1, 0}}, pairBytes({{1, 1}})); }}),
    [](const auto& info) { return std::string(info.param.name); });

class SettingsFileOnDisk : public ::testing::Test {
protected:
    QString path(const char* name) const { return QString::fromStdString((dir_.path() / name).string()); }
    static QByteArray contents(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void put(const QString& file, const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    mirevo::test::TempDir dir_;
};

TEST_F(SettingsFileOnDisk, AnIndependentReaderCheckedDigestAndLayout) {
    const QString file = path("a.zps");
    ASSERT_TRUE(zps::writeFile(file, smallBlocks()));
    QProcess python;
    python.start("/usr/bin/python3", {QStringLiteral(MIREVO_APP_TEST_DIR "/read_zps.py"), file});
    ASSERT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    EXPECT_EQ(python.readAllStandardOutput().toStdString(),
              "A0 0,5 0,-2\nB2 " + shapeBytes(countingShape()).toHex().toStdString() + "\n");
}

TEST_F(SettingsFileOnDisk, ARefusedWriteLeavesTheOldFile) {
    const QString file = path("a.zps");
    put(file, "old contents");
    EXPECT_FALSE(zps::writeFile(file, {}));
    EXPECT_EQ(contents(file), "old contents");
    ASSERT_TRUE(zps::writeFile(file, smallBlocks()));
    EXPECT_EQ(contents(file), good());
}

TEST_F(SettingsFileOnDisk, AMissingFileIsRefused) {
    SettingsBlockMap blocks;
    EXPECT_FALSE(zps::readFile(path("none.zps"), &blocks));
    EXPECT_TRUE(blocks.empty());
}

SettingsBlockMap withPairs(SettingsWordPairs pairs, std::optional<Shape> shape = countingShape()) {
    SettingsBlockMap blocks;
    blocks[kSettingsWordsBlock] = std::move(pairs);
    if (shape) blocks[kShapeBlockCode] = *shape;
    return blocks;
}

TEST(SettingsComparison, ReportsByteForByte) {
    Shape changed = countingShape();
    changed[1] = 0xAB;
    const SettingsWordPairs base{{0, 10}, {0, 20}, {0, 30}};
    const std::string shapeHex = [] {
        std::string text;
        for (int i = 0; i < 256; ++i) text += QByteArray::number(i, 16).toStdString() + " ";
        return text;
    }();
    std::string changedHex = shapeHex;
    changedHex.replace(2, 2, "ab ");  // "0 1 2 ..." -> "0 ab 2 ..."
    const struct {
        const char* name;
        SettingsBlockMap first, second;
        std::string report;
    } table[] = {
        {"identical", withPairs(base), withPairs(base), "registers:\n\nshield areas:\n"},
        {"value", withPairs(base), withPairs({{0, 10}, {0, -5}, {0, 30}}),
         "registers:\n0    20    -5\n\nshield areas:\n"},
        {"key", withPairs({{1, 10}, {2, 20}}), withPairs({{1, 10}, {3, 0x7FFFFFFF}}),
         "registers:\n2    20  <-->  3    2147483647\n\nshield areas:\n"},
        {"file 2 shorter", withPairs(base), withPairs({{0, 10}}),
         "registers:\n0    20  <-->  \n0    30  <-->  \n\nshield areas:\n"},
        {"file 2 longer", withPairs({{0, 10}}), withPairs(base), "registers:\n\nshield areas:\n"},
        {"shield bytes", withPairs(base), withPairs(base, changed),
         "registers:\n\nshield areas:\n" + shapeHex + "\n" + changedHex},
        {"shield missing in file 2", withPairs(base), withPairs(base, std::nullopt),
         "registers:\n\nshield areas:\n" + shapeHex + "\n"},
        {"registers missing in file 2", withPairs({{0, 1}}), SettingsBlockMap{{kShapeBlockCode, countingShape()}},
         "registers:\n0    1  <-->  \n\nshield areas:\n"},
        {"only file 1's blocks count", withPairs(base, std::nullopt), withPairs(base, changed), "registers:\n"},
    };
    for (const auto& row : table)
        EXPECT_EQ(zps::comparisonReport(row.first, row.second).toStdString(), row.report) << row.name;
}

TEST_F(SettingsFileOnDisk, TheReportLandsBesideFile2) {
    QDir(path("")).mkpath("one");
    QDir(path("")).mkpath("two");
    ASSERT_TRUE(zps::writeFile(path("one/a.zps"), withPairs({{0, 1}})));
    ASSERT_TRUE(zps::writeFile(path("two/b.zps"), withPairs({{0, 2}})));
    SettingsBlockMap blocks;
    QString report;
    ASSERT_EQ(zps::compareFiles(path("one/a.zps"), path("two/../two/b.zps"), &blocks, &report),
              zps::CompareResult::Written);
    EXPECT_EQ(report, QDir(path("two")).canonicalPath() + "/settings_compare.txt");
    EXPECT_EQ(contents(report), "registers:\n0    1    2\n\nshield areas:\n");
    EXPECT_EQ(std::any_cast<SettingsWordPairs>(blocks[kSettingsWordsBlock]), (SettingsWordPairs{{0, 2}}));
}

TEST_F(SettingsFileOnDisk, ARefusedFileStopsTheComparison) {
    ASSERT_TRUE(zps::writeFile(path("a.zps"), withPairs({{0, 1}})));
    put(path("b.zps"), "not a settings file");
    SettingsBlockMap blocks;
    QString report;
    EXPECT_EQ(zps::compareFiles(path("a.zps"), path("b.zps"), &blocks, &report), zps::CompareResult::FileRefused);
    EXPECT_EQ(std::any_cast<SettingsWordPairs>(blocks[kSettingsWordsBlock]), (SettingsWordPairs{{0, 1}}));
    EXPECT_FALSE(QFile::exists(path("settings_compare.txt")));
    EXPECT_EQ(zps::compareFiles(path("b.zps"), path("a.zps"), &blocks, &report), zps::CompareResult::FileRefused);
}

TEST_F(SettingsFileOnDisk, AReportThatCannotBeOpenedIsNoReport) {
    ASSERT_TRUE(zps::writeFile(path("a.zps"), withPairs({{0, 1}})));
    QDir(path("")).mkpath("settings_compare.txt");  // a folder where the report would go
    SettingsBlockMap blocks;
    QString report;
    EXPECT_EQ(zps::compareFiles(path("a.zps"), path("a.zps"), &blocks, &report),
              zps::CompareResult::ReportNotOpened);
}

}  // namespace
