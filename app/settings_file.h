#pragma once
// Settings files (".zps"): the sensor's user settings blocks under a SHA-256
// digest with the program's salt, so that only files the program wrote (and
// nobody changed since) are taken. Little-endian throughout:
//
//   0    32      digest: SHA-256(payload | header bytes 32..127 | salt reversed)
//   32   4       format version, 1
//   36   1       block count n (the reader takes 0..5, the writer writes 1..5)
//   37   5 x n   table: block type (1 byte), count (4 bytes)
//   ...  to 128  zero
//   128  ...     payload: the blocks in table order, nothing after the last
//
// Block 0xA0 holds count (key, value) pairs of two 32-bit words; block 0xB2
// holds the 256-byte shape block (count 256). Also the comparison report of
// two settings files ("settings_compare.txt").
#include <QByteArray>
#include <QString>

#include "sensor_interface/registry/device_functions.h"

namespace zps {

constexpr int kHeaderSize = 128;
constexpr uint32_t kVersion = 1;
constexpr int kMaxBlocks = 5;
constexpr int kShapeBlockSize = 256;
constexpr char kReportFileName[] = "settings_compare.txt";

// The program's settings salt.
QByteArray settingsSalt();

// The file's bytes, the blocks in ascending type order so that the same
// blocks always give the same bytes. False for no block, more than five, an
// unknown type, a value of the wrong kind or a shape block that is not 256
// bytes.
bool encode(const SettingsBlockMap& blocks, QByteArray* out, const QByteArray& salt = settingsSalt());

// The blocks of a file's bytes, a type listed twice keeping the later block.
// False, and *out untouched, for a short header, version 0, more than five
// blocks, a wrong digest, an unknown type, a block running past the payload,
// bytes after the last block or a shape block that is not 256 bytes.
bool decode(const QByteArray& bytes, SettingsBlockMap* out, const QByteArray& salt = settingsSalt());

// Writes the file atomically: on failure an existing file stays as it was.
bool writeFile(const QString& path, const SettingsBlockMap& blocks);
// Reads and verifies the file; false (and *blocks untouched) when it cannot
// be read or is refused.
bool readFile(const QString& path, SettingsBlockMap* blocks);

// The comparison report of file 1's blocks against file 2's, block types in
// ascending order: under "registers:" a line for every pair of file 1 that
// differs from file 2's pair at the same position ("key    value1    value2",
// or with another key "key1    value1  <-->  key2    value2", or for a pair
// file 2 lacks "key1    value1  <-->  "); under "shield areas:" both blocks
// in hexadecimal bytes when they differ. A block file 2 lacks counts as empty.
QByteArray comparisonReport(const SettingsBlockMap& first, const SettingsBlockMap& second);

// Where the report of a comparison lands: beside file 2.
QString comparisonReportPath(const QString& secondFile);

enum class CompareResult { Written, FileRefused, ReportNotOpened };
// Reads both files into *blocks in turn (a refused file stops the
// comparison and leaves *blocks as the last good read made it, so file 2's
// blocks afterwards) and writes the report to *reportPath.
CompareResult compareFiles(const QString& firstFile, const QString& secondFile, SettingsBlockMap* blocks,
                           QString* reportPath);

}  // namespace zps
