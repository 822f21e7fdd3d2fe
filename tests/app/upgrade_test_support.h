#pragma once
// Upgrade packages for the tests, written by fuzz/make_corpus.py (an encoder
// independent of the program's parser), and the images it puts in them.
#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace upgrade_test {

// The image of table entry `index`: size bytes (index * 37 + k) & 0xFF.
inline std::vector<uint8_t> image(int index, size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t k = 0; k < size; ++k) bytes[k] = static_cast<uint8_t>((index * 37 + k) & 0xFF);
    return bytes;
}

// "--entry" arguments of make_corpus.py, "INDEX:KIND:VERSION:ADDRESS:SIZE" each.
inline QStringList entries(std::initializer_list<const char*> list) {
    QStringList arguments;
    for (const char* entry : list) arguments << QStringLiteral("--entry") << QString::fromLatin1(entry);
    return arguments;
}

// Writes the package to `path`; false (and a test failure) when the encoder fails.
inline bool writePackage(const QString& path, const QStringList& arguments) {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 QStringList{QStringLiteral(MIREVO_FUZZ_DIR "/make_corpus.py"), QStringLiteral("package"), path} +
                     arguments);
    const bool finished = python.waitForFinished(30000);
    EXPECT_TRUE(finished);
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return finished && python.exitCode() == 0 && QFile::exists(path);
}

}  // namespace upgrade_test
