// The connection dialog's state byte: open results to states, states to the
// poll's reactions, and the retry rule of the two failures that keep the link.
#include "app/connect_state.h"

#include <gtest/gtest.h>

using namespace connect_state;

TEST(ConnectState, OpenResultsMapOntoStates) {
    const struct {
        int result;
        State state;
    } table[] = {{0, kConnected},        {2, kConnectFailed},        {3, kAbnormalVersion},
                 {5, kIncompatible},     {254, kSettingsCheckFailed}, {255, kHeadSilent},
                 {1, kVersionTimeout},   {4, kVersionTimeout},        {-1, kVersionTimeout},
                 {6, kVersionTimeout},   {253, kVersionTimeout},      {4097, kVersionTimeout}};
    for (const auto& row : table) EXPECT_EQ(fromOpenResult(row.result), row.state) << row.result;
}

TEST(ConnectState, PollReactsToEveryStateAJobWrites) {
    const struct {
        int8_t state;
        Reaction reaction;
    } table[] = {{kNothing, Reaction::None},
                 {kIdle, Reaction::None},
                 {kSearchDone, Reaction::FillList},
                 {kConnected, Reaction::CloseConnected},
                 {kConnectFailed, Reaction::FailureBox},
                 {kAbnormalVersion, Reaction::FailureBox},
                 {kVersionTimeout, Reaction::FailureBox},
                 {kIncompatible, Reaction::FailureBox},
                 {kSettingsCheckFailed, Reaction::SettingsCheckFailed},
                 {kHeadSilent, Reaction::HeadSilent},
                 {7, Reaction::None},
                 {-3, Reaction::None},
                 {127, Reaction::None}};
    for (const auto& row : table) EXPECT_EQ(reactionTo(row.state), row.reaction) << int(row.state);
}

TEST(ConnectState, TwoRetriesThenTheLastResort) {
    EXPECT_TRUE(retriesAfterFailure(1));
    EXPECT_TRUE(retriesAfterFailure(2));
    EXPECT_FALSE(retriesAfterFailure(3));
}
