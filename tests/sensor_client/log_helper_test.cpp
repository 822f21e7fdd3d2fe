#include <gtest/gtest.h>

#include <QDate>
#include <QFile>
#include <QRegularExpression>

#include <string>

#include "sensor_client/log_helper.h"
#include "tests/support/temp_dir.h"

namespace {

class LogHelperTest : public ::testing::Test {
protected:
    QString folder() const { return QString::fromStdString((dir_.path() / "logs").string()); }
    QString todayFile() const {
        return folder() + "/" + QDate::currentDate().toString("yyyy-MM-dd") + ".log";
    }
    QStringList lines() const {
        QFile file(todayFile());
        if (!file.open(QIODevice::ReadOnly)) return {};
        QStringList all = QString::fromUtf8(file.readAll()).split('\n');
        if (!all.isEmpty() && all.back().isEmpty()) all.removeLast();
        return all;
    }
    bool start(int minLevel) { return LogHelper::init(LogConfig{true, minLevel, folder()}); }

    mirevo::test::TempDir dir_;
};

// CTest runs every test in a process of its own: here nothing has opened the
// log yet.
TEST_F(LogHelperTest, LinesBeforeInitAreDropped) {
    LogHelper::log(CLOG_LEVEL::RERROR, nullptr, nullptr, __LINE__, "lost");
    ASSERT_TRUE(start(0));
    LogHelper::log(CLOG_LEVEL::RINFO, nullptr, nullptr, __LINE__, "kept");
    const QStringList written = lines();
    ASSERT_EQ(written.size(), 1);
    EXPECT_TRUE(written[0].endsWith("kept"));
}

TEST_F(LogHelperTest, ALineCarriesTimeLevelAndText) {
    ASSERT_TRUE(start(0));
    LogHelper::log(CLOG_LEVEL::RINFO, nullptr, nullptr, __LINE__, "batch start");
    LogHelper::log(4, nullptr, nullptr, __LINE__, "no name");
    const QStringList written = lines();
    ASSERT_EQ(written.size(), 2);
    const QRegularExpression pattern(
        R"(^\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}:\d{3}\]\[RINFO\]batch start$)");
    EXPECT_TRUE(pattern.match(written[0]).hasMatch()) << written[0].toStdString();
    EXPECT_TRUE(written[1].endsWith("][]no name")) << written[1].toStdString();
    EXPECT_TRUE(written[0].startsWith("[" + QDate::currentDate().toString("yyyy-MM-dd") + " "));
}

TEST_F(LogHelperTest, LevelNamesComeFromTheEnumeration) {
    EXPECT_EQ(LogHelper::levelName(0), "[DEBUG]");
    EXPECT_EQ(LogHelper::levelName(1), "[RINFO]");
    EXPECT_EQ(LogHelper::levelName(2), "[RWARNING]");
    EXPECT_EQ(LogHelper::levelName(3), "[RERROR]");
    EXPECT_EQ(LogHelper::levelName(4), "[]");
}

TEST_F(LogHelperTest, LinesBelowTheMinimumLevelAreDropped) {
    ASSERT_TRUE(start(1));
    LogHelper::log(CLOG_LEVEL::DEBUG, nullptr, nullptr, __LINE__, "debug");
    LogHelper::log(CLOG_LEVEL::RINFO, nullptr, nullptr, __LINE__, "info");
    ASSERT_EQ(lines().size(), 1);
    EXPECT_TRUE(lines()[0].endsWith("[RINFO]info"));
    ASSERT_TRUE(start(0));
    LogHelper::log(CLOG_LEVEL::DEBUG, nullptr, nullptr, __LINE__, "debug");
    EXPECT_EQ(lines().size(), 2);
}

TEST_F(LogHelperTest, TwoStartsOnOneDayAppendToOneFile) {
    ASSERT_TRUE(start(0));
    LogHelper::log(CLOG_LEVEL::RINFO, nullptr, nullptr, __LINE__, "first run");
    ASSERT_TRUE(start(0));
    LogHelper::log(CLOG_LEVEL::RINFO, nullptr, nullptr, __LINE__, "second run");
    const QStringList written = lines();
    ASSERT_EQ(written.size(), 2);
    EXPECT_TRUE(written[0].endsWith("first run"));
    EXPECT_TRUE(written[1].endsWith("second run"));
}

TEST_F(LogHelperTest, AFormattedTextIsWrittenWholeHoweverLong) {
    ASSERT_TRUE(start(0));
    const std::string longText(70000, 'x');
    LogHelper::logFormat(CLOG_LEVEL::RERROR, nullptr, nullptr, __LINE__, "header version: %8x %s|%d", 0x501u,
                         longText.c_str(), -7);
    LogHelper::logFormat(CLOG_LEVEL::RINFO, nullptr, nullptr, __LINE__, "中文 %s", "批次");
    const QStringList written = lines();
    ASSERT_EQ(written.size(), 2);
    EXPECT_TRUE(written[0].endsWith("[RERROR]header version:      501 " + QString::fromStdString(longText) + "|-7"));
    EXPECT_TRUE(written[1].endsWith("[RINFO]中文 批次"));
}

}  // namespace
