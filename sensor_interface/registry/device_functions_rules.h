#pragma once
// The decisions of the device functions that need no sensor: series tests,
// the packed geometry, the status reply, the trigger-mode writes, the
// settings-word pairs and the live-read log line.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sensor_interface/registry/device_functions.h"

namespace device_rules {

// Firmware of the newer series-'4' heads: register 166, low 16 bits, above this.
constexpr uint32_t kSeries4NewFirmware = 28695;

bool isSeries4New(char series, uint32_t register166);
// Neither of the two older series.
bool isNewSeries(char series);

int64_t packGeometry(int32_t columns, int32_t points);

// The reply to the status read: exactly 11 bytes, the word in bytes 1-2 and
// the value in bytes 5-8, each taken as the host reads memory (no swapping).
struct StatusReply {
    uint16_t word = 0;
    uint32_t value = 0;
};
std::optional<StatusReply> decodeStatusReply(const uint8_t* reply, std::size_t size);

// Registers the trigger mode is switched with, in the order they are written.
struct TriggerModeWrites {
    uint32_t register194 = 0;
    uint32_t register296 = 0;
    uint32_t register221 = 0;  // only written where register 289 is 1
};
// Modes 0 and 1; nothing for any other.
std::optional<TriggerModeWrites> triggerModeWrites(int mode);

// The settings words as the settings file keeps them, and back.
SettingsWordPairs pairsOfWords(const std::vector<uint32_t>& words);
std::vector<uint32_t> wordsOfPairs(const SettingsWordPairs& pairs);

// Live reads log what went wrong, except a paused link and success.
bool isLoggedLiveFailure(int status);
// "<what>[<id>]: <status>", e.g. "outline getting error[0]: 4100".
std::string liveFailureLine(const char* what, int id, int status);

}  // namespace device_rules
