#pragma once
// The DEBUG stream the sensor sends on the command channel for the live profile
// and the raw camera image: "DEBUG,start\r\n", tagged records ("info", "get",
// "algdat1", each "tag,content,end\r\n"), then "DEBUG,end\r\n". Parsing is kept
// apart from the request so that it can be driven with plain bytes; the
// results point into the caller's copy of the stream. Records a reader does
// not use are passed over up to their ",end\r\n".
#include <array>
#include <cstddef>
#include <cstdint>

#include "sensor_interface/status_codes.h"

constexpr int kDebugColumns = 2048;          // values per profile record, bytes per image row
constexpr int kDebugMaxImageRows = 1024;
constexpr size_t kDebugInfoBytes = 15;
constexpr size_t kDebugFrameHeaderBytes = 32;
// Heights outside the X window of the live profile.
constexpr int32_t kDebugOutsideWindow = -999900000;

// The last "info" record; kept by the controller between streams, since a
// stream without one is read with the flags of the previous one.
struct DebugInfo {
    uint8_t intensityFlag = 0;  // every profile record carries 2048 intensity bytes
    uint32_t word1 = 0;
    uint16_t imageRows = 0;
    uint16_t word2 = 0;
    std::array<uint8_t, 6> flags{};  // stream bytes 9..14

    bool hasIntensity() const { return intensityFlag != 0; }
    // Stream byte 10: image and profile values are 32-bit (and "get" carries the image).
    bool image32() const { return flags[1] != 0; }
    // Stream byte 10 or 13: profile values are 32-bit.
    bool profile32() const { return flags[1] != 0 || flags[4] != 0; }

    // The record as it came from the stream, and back.
    static DebugInfo fromBytes(const std::array<uint8_t, kDebugInfoBytes>& record);
    std::array<uint8_t, kDebugInfoBytes> bytes() const;
};

// Reads the 15 bytes at position (little-endian) into info and moves position
// behind them. False, with nothing changed, when fewer than 15 bytes remain.
bool parse_info_record(const uint8_t* stream, size_t size, size_t& position, DebugInfo& info);

// One "algdat1" record inside the stream.
struct DebugProfileRecord {
    const uint8_t* header = nullptr;     // 32-byte frame header
    const uint8_t* intensity = nullptr;  // 2048 bytes, or null without the intensity flag
    const uint8_t* values = nullptr;     // 2048 little-endian values
    bool words32 = false;

    int valueBytes() const { return words32 ? 4 : 2; }
    uint32_t value(int index) const;
    // Copies the first n values (at most 2048) in their wire width to out, which
    // must hold n values of that width. Returns the number copied.
    int copyValues(void* out, int n) const;
};

struct DebugImageContent {
    int status = HVQ5_RC_OK;        // or HVQ5_RC_BAD_BLOCK, HVQ5_RC_IMAGE_TOO_LARGE
    bool rowsSeen = false;          // an "info" record gave the image rows
    int rows = 0;
    const uint8_t* image = nullptr; // rows x 2048 bytes of the last "get" record taken
    size_t imageBytes = 0;
    bool hasProfile = false;        // the last "algdat1" record
    DebugProfileRecord profile;
};

// For the raw image: every record of the stream. An image is taken from "get"
// only while the info flags mark 32-bit values and give rows; one larger than
// imageCapacity is HVQ5_RC_IMAGE_TOO_LARGE. info is updated by the records.
DebugImageContent parse_debug_image_stream(const uint8_t* stream, size_t size,
                                           size_t imageCapacity, DebugInfo& info);

struct DebugProfileContent {
    int status = HVQ5_RC_OK;   // or HVQ5_RC_BAD_BLOCK
    bool hasProfile = false;   // false: the stream held no "algdat1" record
    DebugProfileRecord profile;
};

// For the live profile: the records up to the first "algdat1". always32 is set
// for heads that always send 32-bit values; others follow the info flags.
DebugProfileContent parse_debug_profile_stream(const uint8_t* stream, size_t size,
                                               bool always32, DebugInfo& info);

// The first n (at most 2048) values of the record as camera rows; returns the
// count written. A 32-bit value is a row with 16 fraction bits; rows of 0 or
// less, or of cameraRows or more, are no peak (-1.0). 16-bit values are
// distance codes, not rows: they give no peak.
int debug_peak_rows(const DebugProfileRecord& record, int n, int cameraRows, double* rows);

// The points of the live profile that the sensor's X window keeps, from
// register 359 (start) and 358 (width), both in camera columns.
struct DebugXWindow {
    int64_t start = 0;
    int64_t end = -1;  // included
};

DebugXWindow debug_x_window(uint32_t register359, uint32_t register358, double pointsPerColumn);

// out[j] = heights[j] inside the window, kDebugOutsideWindow outside it.
void apply_debug_x_window(const int32_t* heights, int32_t* out, int points,
                          const DebugXWindow& window);

// Runs both parsers over arbitrary bytes; an entry point for fuzzing.
int debug_stream_fuzz_one(const uint8_t* data, size_t size);
