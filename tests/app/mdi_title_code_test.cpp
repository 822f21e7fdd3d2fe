// The title code a sub-window gets when its state changes.
#include "app/mdi_title_code.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct StateCase {
    const char* name;
    const char* title;
    Qt::WindowStates oldState;
    Qt::WindowStates newState;
    const char* expected;
};

void PrintTo(const StateCase& c, std::ostream* out) { *out << c.name; }

class TitleCodeStates : public ::testing::TestWithParam<StateCase> {};

TEST_P(TitleCodeStates, RewritesStateAndActivity) {
    const StateCase& c = GetParam();
    EXPECT_EQ(MdiTitleCode::afterStateChange(c.title, c.oldState, c.newState), QString(c.expected));
}

const Qt::WindowStates kNone = Qt::WindowNoState;
const Qt::WindowStates kActive = Qt::WindowActive;
const Qt::WindowStates kMin = Qt::WindowMinimized;
const Qt::WindowStates kMax = Qt::WindowMaximized;

INSTANTIATE_TEST_SUITE_P(
    Table, TitleCodeStates,
    ::testing::Values(
        StateCase{"Minimised", "101", kActive, kMin, "110"},
        StateCase{"MaximisedAndActive", "101", kActive, kMax | kActive, "121"},
        StateCase{"MaximisedReactivatedShowsNormalButtons", "220", kMax, kMax | kActive, "201"},
        StateCase{"RestoredFromMinimised", "110", kMin, kActive, "101"},
        StateCase{"MaximisedFromMinimisedKeepsMaximised", "110", kMin, kMax | kActive, "121"},
        StateCase{"OtherWindowActivated", "101", kActive, kNone, "100"},
        StateCase{"ActivatedWhileNormal", "200", kNone, kActive, "201"},
        StateCase{"MaximisedLosesFocus", "221", kMax | kActive, kMax, "220"},
        StateCase{"MinimisedFromMaximised", "221", kMax | kActive, kMin, "210"},
        StateCase{"NoCodeIsLeftAlone", "Profile", kNone, kActive, "Profile"},
        StateCase{"TwoCharactersAreNoCode", "10", kNone, kActive, "10"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TitleCode, InactiveClearsOnlyTheThirdCharacter) {
    EXPECT_EQ(MdiTitleCode::inactive("121"), "120");
    EXPECT_EQ(MdiTitleCode::inactive("100"), "100");
    EXPECT_EQ(MdiTitleCode::inactive("1234"), "1234");
}

}  // namespace
