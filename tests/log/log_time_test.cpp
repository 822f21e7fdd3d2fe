#include <gtest/gtest.h>

#include "sensor_interface/log/log_manager.h"
#include "tests/log/log_test_support.h"

using namespace log_test;

TEST(LogTimeTest, TimeTextHasZeroFilledMilliseconds) {
    ScopedUtc utc;
    EXPECT_EQ(LogManager::timeText(utcTicks(2024, 5, 6, 7, 8, 9, 5)), "2024-05-06 07:08:09.005");
    EXPECT_EQ(LogManager::timeText(utcTicks(2024, 5, 6, 7, 8, 9, 10)), "2024-05-06 07:08:09.010");
    EXPECT_EQ(LogManager::timeText(utcTicks(1999, 12, 31, 23, 59, 59, 999) + 9999),
              "1999-12-31 23:59:59.999");
}

TEST(LogTimeTest, TimeStampSuitsFileNames) {
    ScopedUtc utc;
    EXPECT_EQ(formatTimeStamp(utcTicks(2024, 5, 6, 7, 8, 9, 10)), "2024-05-06_07-08-09-010");
    EXPECT_EQ(LogManager::timeStampText().size(), std::string("2024-05-06_07-08-09-010").size());
}

TEST(LogTimeTest, FollowsLocalTime) {
    {
        mirevo::test::ScopedEnv tz("TZ", "CET-1");
        tzset();
        EXPECT_EQ(formatTimeText(utcTicks(2024, 1, 6, 7, 8, 9, 10)), "2024-01-06 08:08:09.010");
    }
    tzset();
}

TEST(LogTimeTest, SystemTicksCountFrom1970In100NanosecondSteps) {
    const int64_t seconds = systemTicks() / kTicksPerSecond;
    const int64_t expected = static_cast<int64_t>(std::time(nullptr));
    EXPECT_LE(std::llabs(seconds - expected), 5);
}

TEST(LogTimeTest, LoggerFileNameCarriesStampAndName) {
    LogEnvironment environment;
    ManualClock clock;
    LogWriter writer(environment.root(), nullptr, std::make_shared<LogLevelGate>(), clock.function());
    EXPECT_EQ(writer.fileName(), "2024-05-06_07-08-09-010_runlog.txt");
    EXPECT_EQ(writer.folder(), environment.root() / "runlog");
}
