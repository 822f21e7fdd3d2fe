#include <gtest/gtest.h>

#include <cstdint>

#include "platform/clock.h"
#include "sensor_interface/settings/stop_watch.h"

namespace {

int64_t fake_now_ns = 0;
int64_t read_fake_clock() { return fake_now_ns; }

class StopWatch : public ::testing::Test {
protected:
    StopWatch() {
        fake_now_ns = 0;
        mirevo::platform::set_monotonic_source_for_testing(&read_fake_clock);
    }
    ~StopWatch() override { mirevo::platform::set_monotonic_source_for_testing(nullptr); }

    static void at(int64_t ns) { fake_now_ns = ns; }
};

TEST_F(StopWatch, NewWatchReadsZero) {
    stop_watch watch;
    EXPECT_EQ(watch.elapsed(), 0.0);
    EXPECT_EQ(watch.elapsed_ms(), 0.0);
    EXPECT_EQ(watch.elapsed_second(), 0.0);
}

TEST_F(StopWatch, StopWithoutStartMeasuresFromClockZero) {
    stop_watch watch;
    at(5'500'700);
    watch.stop();
    EXPECT_EQ(watch.elapsed(), 5500.0);
}

TEST_F(StopWatch, EachPassIsTruncatedToWholeMicroseconds) {
    stop_watch watch;
    watch.start();
    for (int pass = 1; pass <= 3; ++pass) {
        at(pass * 1999);
        watch.stop();
        watch.start();
    }
    EXPECT_EQ(watch.elapsed(), 3.0);  // 5.997 us really elapsed
}

TEST_F(StopWatch, TwoStopsAddTheTimeSinceTheSameStartTwice) {
    stop_watch watch;
    at(1'000);
    watch.start();
    at(3'000);
    watch.stop();
    at(6'000);
    watch.stop();
    EXPECT_EQ(watch.elapsed(), 7.0);
}

TEST_F(StopWatch, ReadersScaleTheMicrosecondTotal) {
    stop_watch watch;
    watch.start();
    at(1'500'000);
    watch.stop();
    EXPECT_EQ(watch.elapsed(), 1500.0);
    EXPECT_DOUBLE_EQ(watch.elapsed_ms(), 1.5);
    EXPECT_DOUBLE_EQ(watch.elapsed_second(), 0.0015);
}

TEST_F(StopWatch, RestartClearsTheTotal) {
    stop_watch watch;
    watch.start();
    at(4'000);
    watch.stop();
    watch.restart();
    at(6'500);
    watch.stop();
    EXPECT_EQ(watch.elapsed(), 2.0);
}

TEST_F(StopWatch, CopyAssignmentSharesTheStartOfARunningWatch) {
    stop_watch running;
    at(2'000);
    running.start();
    stop_watch copy;
    copy = running;
    at(10'000);
    copy.stop();
    running.stop();
    EXPECT_EQ(copy.elapsed(), 8.0);
    EXPECT_EQ(running.elapsed(), 8.0);
}

TEST_F(StopWatch, MillisecondFormCountsWholeMilliseconds) {
    stop_watch watch;
    at(7'000'000);
    watch.start();
    at(9'000'000);
    watch.stop();  // 2000 us in the microsecond form

    at(10'000'000);
    watch.begin_ms();  // forgets everything before
    at(12'900'000);
    watch.stop_ms();
    EXPECT_EQ(watch.elapsed(), 2.0);
    watch.restart_ms();
    at(13'899'999);
    watch.stop_ms();
    EXPECT_EQ(watch.elapsed(), 0.0);
    at(15'000'000);
    watch.stop_ms();  // again from the same start
    EXPECT_EQ(watch.elapsed(), 2.0);
}

TEST(MonotonicClock, NeverRunsBackwards) {
    const int64_t first = mirevo::platform::monotonic_ns();
    const int64_t second = mirevo::platform::monotonic_ns();
    EXPECT_GT(first, 0);
    EXPECT_GE(second, first);
}

}  // namespace
