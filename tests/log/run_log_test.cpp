#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "sensor_interface/log/log_directory_registry.h"
#include "sensor_interface/log/log_manager.h"
#include "tests/log/log_test_support.h"

namespace fs = std::filesystem;
using namespace log_test;

namespace {

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string allRunLogText(const fs::path& zpsdk) {
    std::string text;
    for (const fs::path& file : filesIn(zpsdk / "runlog")) text += readFile(file);
    return text;
}

class RunLogTest : public ::testing::Test {
protected:
    LogEnvironment environment;
    ManualClock clock;
    fs::path zpsdk = environment.root() / "sdk" / "zpsdk";
};

}  // namespace

TEST_F(RunLogTest, LineCarriesTimeInBracketsAndEndsWithCrLf) {
    LogManager manager(zpsdk, clock.function());
    clock.now = utcTicks(2024, 5, 6, 7, 8, 9, 5);
    manager.log("abc", 0);
    manager.log("two\nlines", 1);

    const auto files = filesIn(zpsdk / "runlog");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename(), "2024-05-06_07-08-09-005_runlog.txt");
    EXPECT_EQ(readFile(files[0]),
              "[2024-05-06 07:08:09.005]abc\r\n[2024-05-06 07:08:09.005]two\r\nlines\r\n");
}

struct ThresholdCase {
    const char* setting;  // nullptr: ZP_RUNLOG_EN missing
    std::string expected;
};

class RunLogThresholdTest : public RunLogTest,
                            public ::testing::WithParamInterface<ThresholdCase> {};

TEST_P(RunLogThresholdTest, WritesLevelsUpToTheThreshold) {
    std::optional<mirevo::test::ScopedEnv> level;
    if (GetParam().setting) level.emplace("ZP_RUNLOG_EN", GetParam().setting);
    LogManager manager(zpsdk, clock.function());
    for (int lvl = 0; lvl <= 2; ++lvl) manager.log("level" + std::to_string(lvl), lvl);

    std::string written = allRunLogText(zpsdk);
    for (char& c : written) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    EXPECT_EQ(written, GetParam().expected);
    // Every record is remembered whatever its level.
    EXPECT_EQ(manager.recentRecords().size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, RunLogThresholdTest,
    ::testing::Values(
        ThresholdCase{nullptr, "[2024-05-06 07:08:09.010]level0  [2024-05-06 07:08:09.010]level1  "},
        ThresholdCase{"0", ""},
        ThresholdCase{"1", "[2024-05-06 07:08:09.010]level0  [2024-05-06 07:08:09.010]level1  "},
        ThresholdCase{"2", "[2024-05-06 07:08:09.010]level0  [2024-05-06 07:08:09.010]level1  "
                           "[2024-05-06 07:08:09.010]level2  "}),
    [](const ::testing::TestParamInfo<ThresholdCase>& info) {
        return std::string(info.param.setting ? info.param.setting : "missing");
    });

TEST_F(RunLogTest, ThresholdIsReadAtMostOnceASecond) {
    LogManager manager(zpsdk, clock.function());
    manager.log("first", 1);
    mirevo::test::ScopedEnv traces("ZP_RUNLOG_EN", "2");
    clock.now += kTicksPerSecond - 1;
    manager.log("too soon", 2);
    clock.now += 1;
    manager.log("in time", 2);

    const std::string text = allRunLogText(zpsdk);
    EXPECT_NE(text.find("first"), std::string::npos);
    EXPECT_EQ(text.find("too soon"), std::string::npos);
    EXPECT_NE(text.find("in time"), std::string::npos);
}

TEST_F(RunLogTest, SwitchedOffLevelZeroStillGoesToAnOpenFile) {
    LogManager manager(zpsdk, clock.function());
    manager.log("opened", 0);
    mirevo::test::ScopedEnv off("ZP_RUNLOG_EN", "0");
    clock.now += kTicksPerSecond;
    manager.log("error", 0);
    manager.log("notice", 1);

    const std::string text = allRunLogText(zpsdk);
    EXPECT_NE(text.find("error"), std::string::npos);
    EXPECT_EQ(text.find("notice"), std::string::npos);
}

TEST_F(RunLogTest, RecentRecordsKeepTheLastHundred) {
    mirevo::test::ScopedEnv off("ZP_RUNLOG_EN", "0");
    LogManager manager(zpsdk, clock.function());
    for (int i = 1; i <= 101; ++i) manager.log("record " + std::to_string(i), 2);

    std::vector<std::string> messages;
    manager.recentRecords().forEach([&](const LogRecord& r) { messages.push_back(r.message); });
    ASSERT_EQ(messages.size(), 100u);
    EXPECT_EQ(messages.front(), "record 2");
    EXPECT_EQ(messages.back(), "record 101");
    EXPECT_FALSE(fs::exists(zpsdk / "runlog"));
}

// A frame's lines logged at once read as the same lines logged one by one,
// wherever they are read: the file, the recent records, a dump. The frame line
// is kept as its numbers and made into text by whoever reads it.
TEST_F(RunLogTest, LinesLoggedAtOnceReadAsTheLinesOneByOne) {
    const std::string first = "received data[3]", second = "processed data 1";
    const FrameLineNumbers frame{3, 7, 42, 420, -5};
    const std::string frameText = "processed data[3]: batchtimes 7, frame 42, encoder 420, timestamp -5";
    const LogWriter::Line lines[] = {{&first, nullptr}, {&second, nullptr}, {nullptr, &frame}};
    for (const char* level : {"2", "1"}) {
        SCOPED_TRACE(std::string("ZP_RUNLOG_EN ") + level);
        mirevo::test::ScopedEnv threshold("ZP_RUNLOG_EN", level);
        const fs::path folder = zpsdk / level;
        LogManager manager(folder, clock.function());
        manager.logLines(lines, 3, 2);

        const std::string expected = "[2024-05-06 07:08:09.010]" + first + "\r\n[2024-05-06 07:08:09.010]" + second +
                                     "\r\n[2024-05-06 07:08:09.010]" + frameText + "\r\n";
        EXPECT_EQ(allRunLogText(folder), std::string(level) == "2" ? expected : "");
        std::vector<std::string> messages;
        manager.recentRecords().forEach([&](const LogRecord& r) { messages.push_back(r.message); });
        EXPECT_EQ(messages, (std::vector<std::string>{first, second, frameText}));
        manager.dump({});
        const auto dumps = filesIn(folder / "dump");
        ASSERT_EQ(dumps.size(), 1u);
        EXPECT_EQ(readFile(dumps[0]).rfind(expected, 0), 0u) << readFile(dumps[0]);
    }
}

TEST(LaserQueueTest, ZeroMaximumKeepsEverything) {
    LaserQueue<int> queue;
    for (int i = 0; i < 500; ++i) queue.push(i);
    EXPECT_EQ(queue.size(), 500u);
}

TEST_F(RunLogTest, FullFileIsFollowedByAFreshOneAndTheFolderIsTrimmed) {
    // 25 bytes of time, 48 of message, 2 of line end: two lines fill a file.
    const std::string message(48, 'x');
    LogManager manager(zpsdk, clock.function(), LogLimits{150, 300});
    std::vector<std::string> names;
    for (int line = 0; line < 6; ++line) {
        clock.now += kTicksPerMillisecond;
        manager.log(message, 0);
        names.push_back(manager.writer().currentFile().filename().string());
    }
    // Files: lines 1-2 (deleted to make room), 3-4, 5-6, and a fresh empty one.
    const auto files = filesIn(zpsdk / "runlog");
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].filename(), names[2]);
    EXPECT_EQ(fs::file_size(files[0]), 150u);
    EXPECT_EQ(fs::file_size(files[1]), 150u);
    EXPECT_EQ(fs::file_size(files[2]), 0u);
    EXPECT_EQ(files[2].filename(), "2024-05-06_07-08-09-016_runlog.txt");
    EXPECT_EQ(LogDirectoryRegistry::instance().totalBytes(zpsdk / "runlog"), 300);
}

TEST_F(RunLogTest, OpeningAFileDeletesAtMostFiveOfTheOldest) {
    const fs::path folder = zpsdk / "runlog";
    fs::create_directories(folder);
    for (int i = 0; i < 7; ++i) {
        std::ofstream(folder / ("2020-01-01_00-00-0" + std::to_string(i) + "-000_runlog.txt"))
            << std::string(100, 'o');
    }
    LogManager manager(zpsdk, clock.function(), LogLimits{1000, 300});
    manager.log("new", 0);

    const auto files = filesIn(folder);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].filename(), "2020-01-01_00-00-05-000_runlog.txt");
    EXPECT_EQ(files[1].filename(), "2020-01-01_00-00-06-000_runlog.txt");
    EXPECT_EQ(files[2], manager.writer().currentFile());
}

TEST_F(RunLogTest, FilesOpenedWithinOneMillisecondDoNotOverwriteEachOther) {
    LogManager manager(zpsdk, clock.function(), LogLimits{10, 1 << 20});
    manager.log("first", 0);
    manager.log("second", 0);
    const std::string text = allRunLogText(zpsdk);
    EXPECT_NE(text.find("first"), std::string::npos);
    EXPECT_NE(text.find("second"), std::string::npos);
}

TEST_F(RunLogTest, FullFileIsClosedWhileLoggingIsSwitchedOff) {
    LogManager manager(zpsdk, clock.function(), LogLimits{100, 1 << 20});
    manager.log("opened", 0);
    mirevo::test::ScopedEnv off("ZP_RUNLOG_EN", "0");
    clock.now += kTicksPerSecond;
    for (int i = 0; i < 5; ++i) manager.log(std::string(40, 'e'), 0);
    EXPECT_FALSE(manager.writer().isOpen());
    ASSERT_EQ(filesIn(zpsdk / "runlog").size(), 1u);
    EXPECT_LT(fs::file_size(filesIn(zpsdk / "runlog")[0]), 200u);
}

TEST_F(RunLogTest, UnwritableFolderLeavesTheWriterWithoutFileUntilItCanBeCreated) {
    fs::create_directories(zpsdk);
    std::ofstream(zpsdk / "runlog") << "a file where the folder should be";
    LogManager manager(zpsdk, clock.function());
    manager.log("lost", 0);
    EXPECT_FALSE(manager.writer().isOpen());
    fs::remove(zpsdk / "runlog");
    manager.log("kept", 0);
    EXPECT_NE(allRunLogText(zpsdk).find("kept"), std::string::npos);
}

TEST_F(RunLogTest, DumpReplaysRecordsAndListsRegistersAndData) {
    LogManager manager(zpsdk, clock.function());
    manager.log("before", 2);  // below the threshold, yet part of the dump
    std::vector<uint8_t> small(2048), large(8192);
    for (size_t i = 0; i < small.size(); ++i) small[i] = static_cast<uint8_t>(i);
    for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<uint8_t>(255 - i % 256);
    manager.dump({7, 4294967295u}, small.data(), large.data());

    const auto files = filesIn(zpsdk / "dump");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename(), "2024-05-06_07-08-09-010_dump.txt");
    const std::string text = readFile(files[0]);
    const std::string tables =
        "[2024-05-06 07:08:09.010]before\r\n"
        "\r\n\r\n========Registers========\r\n"
        "  Num,               Value\r\n"
        "    0,                   7\r\n"
        "    1,          4294967295\r\n"
        "\r\n\r\n========Data========\r\n";
    const std::string head = tables +
        "00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f "
        "10 11 12 13 14 15 16 17 18 19 1a 1b 1c 1d 1e 1f \r\n"
        "20 21 ";
    EXPECT_EQ(text.substr(0, head.size()), head);
    // 64 lines of the small block, 256 of the large one, 32 bytes each.
    EXPECT_EQ(text.size(), tables.size() + (2048 + 8192) * 3 + (64 + 256) * 2);
    EXPECT_EQ(text.substr(text.size() - 8), "01 00 \r\n");
}

TEST_F(RunLogTest, DumpWithoutBothBlocksHasNoDataPart) {
    LogManager manager(zpsdk, clock.function());
    std::vector<uint8_t> small(2048);
    manager.dump({1}, small.data(), nullptr);
    const auto files = filesIn(zpsdk / "dump");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(readFile(files[0]),
              "\r\n\r\n========Registers========\r\n  Num,               Value\r\n"
              "    0,                   1\r\n");
}

TEST_F(RunLogTest, DumpsFollowTheRunLogSwitch) {
    mirevo::test::ScopedEnv off("ZP_RUNLOG_EN", "0");
    LogManager manager(zpsdk, clock.function());
    manager.dump({1, 2, 3});
    EXPECT_FALSE(fs::exists(zpsdk / "dump"));
}

TEST_F(RunLogTest, TwoDumpsInOneMillisecondGiveTwoFiles) {
    LogManager manager(zpsdk, clock.function());
    manager.dump({1});
    manager.dump({2});
    EXPECT_EQ(filesIn(zpsdk / "dump").size(), 2u);
}

TEST_F(RunLogTest, InformationFilesAppendTimeStampedLines) {
    fs::create_directory(environment.root() / "zpsdk");
    LogManager manager(zpsdk, clock.function());
    manager.writeRunInfo("sensor[0]: ip 127.0.0.1");
    clock.now += 5 * kTicksPerMillisecond;
    manager.writeRunInfo("sensor[1]: ip 127.0.0.2");
    manager.writeReconnectionInfo("reconnecting[0]...");

    EXPECT_EQ(readFile(environment.root() / "zpsdk" / "run_info.txt"),
              "[2024-05-06 07:08:09.010]sensor[0]: ip 127.0.0.1\r\n"
              "[2024-05-06 07:08:09.015]sensor[1]: ip 127.0.0.2\r\n");
    EXPECT_EQ(readFile(environment.root() / "zpsdk" / "reconnection_info.txt"),
              "[2024-05-06 07:08:09.015]reconnecting[0]...\r\n");
}

TEST_F(RunLogTest, InformationFilesAreSkippedQuietlyWithoutTheirFolder) {
    LogManager manager(zpsdk, clock.function());
    manager.writeRunInfo("nowhere to go");
    manager.writeReconnectionInfo("nowhere either");
    EXPECT_FALSE(fs::exists(environment.root() / "zpsdk"));
}

TEST(LogManagerInstanceTest, LivesBesideTheModuleAndIsOneObject) {
    EXPECT_EQ(&LogManager::instance(), &LogManager::instance());
    EXPECT_EQ(fs::path(LogManager::moduleFolder()), fs::read_symlink("/proc/self/exe").parent_path());
}

namespace {
// Logs from its destructor, as a device released at process exit does.
struct LateLogger {
    ~LateLogger() { LogManager::instance().log("late", 0); }
};
}  // namespace

TEST(LogManagerInstanceTest, CanBeUsedWhileStaticsAreDestroyed) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("ZP_RUNLOG_EN", "0", 1);
            static LateLogger late;  // destroyed after anything built later
            LogManager::instance().log("early", 0);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(RunLogTest, ThreadsLoggingAtOnceLoseNoLine) {
    LogManager manager(zpsdk, clock.function(), LogLimits{4096, 1 << 30});
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&manager, t] {
            for (int i = 0; i < kLines; ++i) {
                manager.log("thread " + std::to_string(t) + " line " + std::to_string(i), 0);
                if (i % 50 == 0) manager.dump({uint32_t(i)});
            }
        });
    }
    for (auto& thread : threads) thread.join();

    const std::string text = allRunLogText(zpsdk);
    EXPECT_EQ(static_cast<int>(std::count(text.begin(), text.end(), '\n')), kThreads * kLines);
    EXPECT_EQ(filesIn(zpsdk / "dump").size(), size_t(kThreads * kLines / 50));
}
