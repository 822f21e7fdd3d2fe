// Throughput of the data-channel reader's per-byte work: cutting a stream of
// full-width frames into messages and judging each one.
#include <benchmark/benchmark.h>

#include <vector>

#include "sensor_interface/data_channel/data_messages.h"
#include "sensor_interface/data_channel/message_cutter.h"
#include "tools/sensor_sim/data_messages.h"

namespace {

sensor_sim::Bytes frameStream(bool wide, int frames) {
    sensor_sim::DataInfo info;
    info.points = 2048;
    info.intensity = true;
    info.wideValues = wide;
    info.framesPerBatch = static_cast<uint16_t>(frames);
    return sensor_sim::encodeBatch(info, 1, frames);
}

void BM_CutFrames(benchmark::State& state) {
    const sensor_sim::Bytes stream = frameStream(state.range(0) != 0, 100);
    data_channel::MessageCutter cutter;
    size_t messages = 0;
    for (auto _ : state) {
        for (size_t at = 0; at < stream.size(); at += 10240) {
            const size_t n = std::min<size_t>(10240, stream.size() - at);
            cutter.feed(stream.data() + at, n, [&](const uint8_t* data, size_t size) {
                if (!data_channel::isHeartbeat(data, size)) ++messages;
            });
        }
    }
    benchmark::DoNotOptimize(messages);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_CutFrames)->Arg(0)->Arg(1);

void BM_JudgeFrame(benchmark::State& state) {
    sensor_sim::DataInfo sent;
    sent.points = 2048;
    sent.intensity = true;
    sent.wideValues = true;
    const sensor_sim::Bytes infoBytes = sensor_sim::encodeInfo(sent);
    const InfoMessage info = *data_channel::parseInfo(infoBytes.data(), infoBytes.size());
    const sensor_sim::Bytes frame = sensor_sim::encodeFrame(sensor_sim::sceneFrame(sent, 1, 0));
    for (auto _ : state) {
        const data_channel::MessageTag tag = data_channel::messageTag(frame.data(), frame.size());
        const bool valid = data_channel::classifyTag(tag.text) == data_channel::MessageKind::Frame &&
                           data_channel::isValidFrame(frame.size(), tag.payloadPos, info, 2048);
        benchmark::DoNotOptimize(valid);
        benchmark::DoNotOptimize(parse_frame_header(frame.data() + tag.payloadPos));
    }
}
BENCHMARK(BM_JudgeFrame);

}  // namespace
