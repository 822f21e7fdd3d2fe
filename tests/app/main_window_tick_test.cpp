// The main window's tick decisions: the head-switch result taken once, the
// encoder-speed warning on the first tick and then every tenth, nothing read
// from a sensor that is not connected, no box inside another box's loop.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "app/main_window_tick.h"

namespace {

class FakeSources : public MainWindowTick::Sources {
public:
    bool connected() override { return connectedNow; }
    int takeFailCode() override {
        ++takes;
        const int code = failCode;
        if (!sticky) failCode = 0;
        return code;
    }

    bool connectedNow = true;
    int failCode = 0;
    bool sticky = true;  // the sensor reports the code again on every read
    int takes = 0;
};

// The ticks (from 1) on which the warning came, over `ticks` ticks.
std::vector<int> warningTicks(MainWindowTick& tick, FakeSources& sources, int ticks) {
    std::atomic<int> headResult{-1};
    std::vector<int> warned;
    for (int i = 1; i <= ticks; ++i)
        if (tick.next(headResult, sources, false).encoderWarning) warned.push_back(i);
    return warned;
}

TEST(MainWindowTick, TheHeadSwitchResultIsTakenOnceAndReset) {
    MainWindowTick tick;
    FakeSources sources;
    std::atomic<int> headResult{0};
    EXPECT_EQ(tick.next(headResult, sources, false).headSwitchResult, 0);
    EXPECT_EQ(headResult.load(), -1);
    EXPECT_EQ(tick.next(headResult, sources, false).headSwitchResult, -1);
    headResult = 255;
    EXPECT_EQ(tick.next(headResult, sources, false).headSwitchResult, 255);
}

TEST(MainWindowTick, TheHeadSwitchResultCountsAlsoWithoutASensor) {
    MainWindowTick tick;
    FakeSources sources;
    sources.connectedNow = false;
    std::atomic<int> headResult{2};
    const MainWindowTick::Decision decision = tick.next(headResult, sources, false);
    EXPECT_EQ(decision.headSwitchResult, 2);
    EXPECT_FALSE(decision.connected);
}

TEST(MainWindowTick, EncoderTooFastOnEveryTickWarnsOnTicks1_11_21) {
    MainWindowTick tick;
    FakeSources sources;
    sources.failCode = MainWindowTick::kEncoderTooFast;
    EXPECT_EQ(warningTicks(tick, sources, 25), (std::vector<int>{1, 11, 21}));
    EXPECT_EQ(sources.takes, 25);  // read and cleared on every connected tick
}

TEST(MainWindowTick, TheCountdownRunsOnAlsoWithoutTheCode) {
    MainWindowTick tick;
    FakeSources sources;
    sources.failCode = MainWindowTick::kEncoderTooFast;
    sources.sticky = false;
    EXPECT_EQ(warningTicks(tick, sources, 1), std::vector<int>{1});
    // Five quiet ticks, then the code again: still within the ten ticks.
    EXPECT_TRUE(warningTicks(tick, sources, 5).empty());
    sources.failCode = MainWindowTick::kEncoderTooFast;
    EXPECT_TRUE(warningTicks(tick, sources, 1).empty());
    // Four more ticks, and the countdown is through: the code warns again.
    EXPECT_TRUE(warningTicks(tick, sources, 3).empty());
    sources.failCode = MainWindowTick::kEncoderTooFast;
    EXPECT_EQ(warningTicks(tick, sources, 1), std::vector<int>{1});
}

TEST(MainWindowTick, OtherCodesNeverWarn) {
    for (int code : {0, 4100, 6000, 6002, -6001}) {
        MainWindowTick tick;
        FakeSources sources;
        sources.failCode = code;
        EXPECT_TRUE(warningTicks(tick, sources, 12).empty()) << code;
    }
}

TEST(MainWindowTick, WithoutASensorNothingIsReadAndTheCountdownStands) {
    MainWindowTick tick;
    FakeSources sources;
    sources.failCode = MainWindowTick::kEncoderTooFast;
    EXPECT_EQ(warningTicks(tick, sources, 1), std::vector<int>{1});
    const int countdown = tick.warningCountdown();
    sources.connectedNow = false;
    std::atomic<int> headResult{-1};
    for (int i = 0; i < 30; ++i) EXPECT_FALSE(tick.next(headResult, sources, false).connected);
    EXPECT_EQ(sources.takes, 1);
    EXPECT_EQ(tick.warningCountdown(), countdown);
}

TEST(MainWindowTick, NoBoxWhileABoxOfTheTickShows) {
    MainWindowTick tick;
    FakeSources sources;
    sources.failCode = MainWindowTick::kEncoderTooFast;
    std::atomic<int> headResult{1};
    // Ticks inside the loop of an open box: the code is still read, but no
    // warning comes and the head result waits for the box to close.
    for (int i = 0; i < 15; ++i) {
        const MainWindowTick::Decision decision = tick.next(headResult, sources, true);
        EXPECT_FALSE(decision.encoderWarning);
        EXPECT_EQ(decision.headSwitchResult, -1);
    }
    EXPECT_EQ(sources.takes, 15);
    EXPECT_EQ(headResult.load(), 1);
    const MainWindowTick::Decision after = tick.next(headResult, sources, false);
    EXPECT_EQ(after.headSwitchResult, 1);
    EXPECT_TRUE(after.encoderWarning);
}

}  // namespace
