#include "app/connect_state.h"

namespace connect_state {

State fromOpenResult(int result) {
    switch (result) {
    case 0: return kConnected;
    case 2: return kConnectFailed;
    case 3: return kAbnormalVersion;
    case 5: return kIncompatible;
    case 254: return kSettingsCheckFailed;
    case 255: return kHeadSilent;
    default: return kVersionTimeout;
    }
}

Reaction reactionTo(int8_t state) {
    switch (state) {
    case kSearchDone: return Reaction::FillList;
    case kConnected: return Reaction::CloseConnected;
    case kConnectFailed:
    case kAbnormalVersion:
    case kVersionTimeout:
    case kIncompatible: return Reaction::FailureBox;
    case kSettingsCheckFailed: return Reaction::SettingsCheckFailed;
    case kHeadSilent: return Reaction::HeadSilent;
    default: return Reaction::None;
    }
}

}  // namespace connect_state
