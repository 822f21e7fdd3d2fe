#pragma once
// The sensor's data-channel messages, written from the wire description:
// every message ends with ",end\r\n"; info fields are little-endian, frame
// headers big-endian, profile values little-endian.
#include <cstdint>
#include <string>
#include <vector>

namespace sensor_sim {

using Bytes = std::vector<uint8_t>;

struct DataInfo {
    uint16_t framesPerBatch = 0;
    uint32_t xPitch = 0;        // millimetres x 100000
    bool intensity = false;     // frames carry one intensity byte per point
    uint16_t points = 0;        // points per profile
    bool wideValues = false;    // 32-bit profile values instead of 16-bit
    uint16_t firstColumn = 0;   // first camera column of the profile
};

struct DataFrame {
    std::string tag = "algdat1";
    uint32_t batchNumber = 0;
    uint32_t frameNumber = 0;
    uint32_t encoder = 0;
    uint64_t timestamp = 0;
    std::vector<uint32_t> values;   // one per point; 0 = no measurement
    std::vector<uint8_t> intensity; // one per point when the info message announces it
    bool wideValues = false;
};

// "info," + 53 bytes of fields + ",end\r\n": 58 bytes.
Bytes encodeInfo(const DataInfo& info);
Bytes encodeFrame(const DataFrame& frame);
Bytes encodeTick(uint32_t tick);
// "MESSTA,OK,end\r\n" and "MESSTP,OK,end\r\n".
Bytes encodeBatchStart();
Bytes encodeBatchStop();
// "heartbea" + one byte + ",end\r\n".
Bytes encodeHeartbeat(char last = 't');
// Any tag with an optional payload, terminated.
Bytes encodeTagged(const std::string& tag, const Bytes& payload = {});

// The deterministic scene: a plane with a step in the middle and every 97th
// point invalid (0). Values are raw distances around the middle of the range.
DataFrame sceneFrame(const DataInfo& info, uint32_t batchNumber, uint32_t frameNumber);

// A whole batch as the sensor sends it: info, start, frames with a tick after
// the first and the last, stop.
Bytes encodeBatch(const DataInfo& info, uint32_t batchNumber, int frames);

void append(Bytes& to, const Bytes& more);

}  // namespace sensor_sim
