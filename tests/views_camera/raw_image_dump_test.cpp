// The raw image dump read back by a decoder of the test's own.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <opencv2/core.hpp>

#include <array>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

#include <sys/resource.h>

#include "tests/views_camera/dump_decoder.h"
#include "views/camera/raw_image_dump.h"

using mirevo::test::DecodedDump;
using mirevo::test::decodeDump;

namespace {

cv::Mat rampImage(int rows, int columns) {
    cv::Mat image(rows, columns, CV_8UC1);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) image.at<uint8_t>(r, c) = static_cast<uint8_t>(c * 3 + r * 50);
    return image;
}

TEST(RawImageDump, SmallImageHasEveryFieldInPlace) {
    const cv::Mat image = rampImage(3, 20);
    const std::vector<float> peaks{2.0f, 1.25f, -9999.0f, 0.5f};
    const QByteArray file = raw_image_dump::buildRawImageDump(image, peaks);
    ASSERT_EQ(file.size(), 94);
    const DecodedDump d = decodeDump(file);
    EXPECT_EQ(d.magic, "KX");
    EXPECT_EQ(d.columns, 20);
    EXPECT_EQ(d.rows, 3);
    EXPECT_EQ(d.n, 4);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 20; ++c) EXPECT_EQ(d.pixels[r * 20 + c], image.at<uint8_t>(r, c)) << r << "," << c;
    EXPECT_EQ(d.peaks, peaks);
    EXPECT_EQ(d.trailer, "GG");
}

TEST(RawImageDump, FullSensorImageSizeAndTwoDumpsAreIdentical) {
    const cv::Mat image = rampImage(608, 2048);
    const std::vector<float> peaks(2032, 303.5f);
    const QByteArray a = raw_image_dump::buildRawImageDump(image, peaks);
    EXPECT_EQ(a.size(), 1253330);
    EXPECT_EQ(a.size(), raw_image_dump::dumpSize(2048, 608, 2032));
    EXPECT_EQ(a, raw_image_dump::buildRawImageDump(image.clone(), peaks));
    EXPECT_EQ(a.right(2), QByteArray("GG"));
}

TEST(RawImageDump, ScramblingIsNoIdentity) {
    const std::array<uint8_t, 256>& table = raw_image_dump::scrambleTable();
    int fixedPoints = 0;
    for (int b = 0; b < 256; ++b) fixedPoints += table[b] == b;
    EXPECT_LT(fixedPoints, 8);
    const QByteArray file = raw_image_dump::buildRawImageDump(rampImage(3, 20), std::vector<float>(4, 0.0f));
    EXPECT_NE(file.left(2), QByteArray("KX"));
}

TEST(RawImageDump, NothingForAnEmptyOrNonGreyImage) {
    EXPECT_TRUE(raw_image_dump::buildRawImageDump(cv::Mat(), {}).isEmpty());
    EXPECT_TRUE(raw_image_dump::buildRawImageDump(cv::Mat(3, 20, CV_8UC3), {}).isEmpty());
}

TEST(RawImageDump, WrittenFileReadsBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("img.dat"));
    const QByteArray bytes = raw_image_dump::buildRawImageDump(rampImage(3, 20), std::vector<float>(4, 7.0f));
    QString error;
    ASSERT_TRUE(raw_image_dump::writeDumpFile(path, bytes, &error)) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), bytes);
}

// A write that fails half-way (the process may not write past 100000 bytes of
// a file) leaves the old dump in place and no other file behind.
TEST(RawImageDump, FailedWriteLeavesTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("img.dat"));
    const QByteArray old = raw_image_dump::buildRawImageDump(rampImage(3, 20), std::vector<float>(4, 1.0f));
    ASSERT_TRUE(raw_image_dump::writeDumpFile(path, old, nullptr));

    const QByteArray big = raw_image_dump::buildRawImageDump(rampImage(608, 2048), std::vector<float>(2032, 2.0f));
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 100000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    QString error;
    const bool written = raw_image_dump::writeDumpFile(path, big, &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("img.dat")});
}

}  // namespace
