#include "sensor_interface/registry/device_functions_rules.h"

#include <cstring>

#include "sensor_interface/status_codes.h"

namespace device_rules {

namespace {
constexpr std::size_t kReplySize = 11;
constexpr std::size_t kWordOffset = 1;
constexpr std::size_t kValueOffset = 5;
}  // namespace

bool isSeries4New(char series, uint32_t register166) {
    return series == '4' && (register166 & 0xFFFFu) > kSeries4NewFirmware;
}

bool isNewSeries(char series) { return series != '3' && series != '4'; }

int64_t packGeometry(int32_t columns, int32_t points) {
    return static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(columns)) << 32) |
                                static_cast<uint32_t>(points));
}

std::optional<StatusReply> decodeStatusReply(const uint8_t* reply, std::size_t size) {
    if (reply == nullptr || size != kReplySize) return std::nullopt;
    StatusReply status;
    std::memcpy(&status.word, reply + kWordOffset, sizeof status.word);
    std::memcpy(&status.value, reply + kValueOffset, sizeof status.value);
    return status;
}

std::optional<TriggerModeWrites> triggerModeWrites(int mode) {
    switch (mode) {
    case 0: return TriggerModeWrites{0, 1, 3};
    case 1: return TriggerModeWrites{1, 0, 1};
    default: return std::nullopt;
    }
}

SettingsWordPairs pairsOfWords(const std::vector<uint32_t>& words) {
    SettingsWordPairs pairs;
    pairs.reserve(words.size());
    for (uint32_t word : words) pairs.emplace_back(0u, word);
    return pairs;
}

std::vector<uint32_t> wordsOfPairs(const SettingsWordPairs& pairs) {
    std::vector<uint32_t> words;
    words.reserve(pairs.size());
    for (const auto& pair : pairs) words.push_back(pair.second);
    return words;
}

bool isLoggedLiveFailure(int status) { return status != HVQ5_RC_OK && status != HVQ5_RC_NOT_ALLOWED; }

std::string liveFailureLine(const char* what, int id, int status) {
    return std::string(what) + "[" + std::to_string(id) + "]: " + std::to_string(status);
}

}  // namespace device_rules
