#include "tools/sensor_sim/data_messages.h"

#include <cstring>

namespace sensor_sim {
namespace {

const char kEnd[] = ",end\r\n";

void putLe(Bytes& out, uint64_t value, int size) {
    for (int i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void putBe(Bytes& out, uint64_t value, int size) {
    for (int i = size - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void putText(Bytes& out, const char* text) { out.insert(out.end(), text, text + std::strlen(text)); }

}  // namespace

void append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }

Bytes encodeTagged(const std::string& tag, const Bytes& payload) {
    Bytes out(tag.begin(), tag.end());
    out.push_back(',');
    append(out, payload);
    putText(out, kEnd);
    return out;
}

Bytes encodeInfo(const DataInfo& info) {
    Bytes fields;
    putLe(fields, info.framesPerBatch, 2);       // 5
    putLe(fields, info.xPitch, 4);               // 7
    putLe(fields, info.intensity ? 1 : 0, 1);    // 11
    putLe(fields, 0, 4);                         // 12
    putLe(fields, info.points, 2);               // 16
    putLe(fields, 0, 2);                         // 18
    putLe(fields, 0, 1);                         // 20
    putLe(fields, info.wideValues ? 1 : 0, 1);   // 21
    for (int i = 0; i < 7; ++i) putLe(fields, 0, 4);  // 22 .. 49
    putLe(fields, info.firstColumn, 2);          // 50
    return encodeTagged("info", fields);
}

Bytes encodeFrame(const DataFrame& frame) {
    Bytes body;
    putBe(body, frame.batchNumber, 4);
    putBe(body, frame.frameNumber, 4);
    putBe(body, 0, 2);
    putBe(body, frame.encoder, 4);
    putBe(body, frame.timestamp, 8);
    body.resize(body.size() + 10, 0);  // reserved
    append(body, frame.intensity);
    for (uint32_t value : frame.values) putLe(body, value, frame.wideValues ? 4 : 2);
    return encodeTagged(frame.tag, body);
}

Bytes encodeTick(uint32_t tick) {
    Bytes payload;
    putLe(payload, tick, 4);
    return encodeTagged("ticktime", payload);
}

Bytes encodeBatchStart() { return encodeTagged("MESSTA", Bytes{'O', 'K'}); }

Bytes encodeBatchStop() { return encodeTagged("MESSTP", Bytes{'O', 'K'}); }

Bytes encodeHeartbeat(char last) {
    Bytes out;
    putText(out, "heartbea");
    out.push_back(static_cast<uint8_t>(last));
    putText(out, kEnd);
    return out;
}

DataFrame sceneFrame(const DataInfo& info, uint32_t batchNumber, uint32_t frameNumber) {
    DataFrame frame;
    frame.batchNumber = batchNumber;
    frame.frameNumber = frameNumber;
    frame.encoder = frameNumber * 10;
    frame.timestamp = 1000000ull + frameNumber * 1000ull;
    frame.wideValues = info.wideValues;
    const uint32_t middle = info.wideValues ? 0x80000000u : 0x8000u;
    const uint32_t step = info.wideValues ? 0x10000u : 0x400u;
    frame.values.resize(info.points);
    for (uint16_t i = 0; i < info.points; ++i) {
        frame.values[i] = (i % 97 == 96) ? 0 : middle + (i >= info.points / 2 ? step : 0);
    }
    if (info.intensity) {
        frame.intensity.resize(info.points);
        for (uint16_t i = 0; i < info.points; ++i) frame.intensity[i] = static_cast<uint8_t>(100 + i % 100);
    }
    return frame;
}

Bytes encodeBatch(const DataInfo& info, uint32_t batchNumber, int frames) {
    Bytes out = encodeInfo(info);
    append(out, encodeBatchStart());
    for (int i = 0; i < frames; ++i) {
        append(out, encodeFrame(sceneFrame(info, batchNumber, static_cast<uint32_t>(i))));
        if (i == 0 || i == frames - 1) append(out, encodeTick(1000u + static_cast<uint32_t>(i)));
    }
    append(out, encodeBatchStop());
    return out;
}

}  // namespace sensor_sim
