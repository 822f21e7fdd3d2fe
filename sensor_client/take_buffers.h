#pragma once
// The arrays the batch thread hands to the interface's batch take: up to
// kFramesPerCall frames of the model's full width, hundreds of megabytes. They
// live as long as the client and only grow, so a new start of the batch thread
// neither allocates nor zero-fills them again.
#include <cstddef>
#include <cstdint>
#include <vector>

struct BatchTakeBuffers {
    std::vector<int> heights;
    std::vector<uint8_t> intensity;
    std::vector<uint32_t> encoders;
    std::vector<uint32_t> aux;
    std::vector<uint32_t> third;
    std::vector<uint64_t> stamps;

    // Room for `frames` frames of `width` values.
    void reserveFrames(int frames, int width) {
        const size_t values = static_cast<size_t>(frames > 0 ? frames : 0) * static_cast<size_t>(width > 0 ? width : 0);
        if (heights.size() < values) {
            heights.resize(values);
            intensity.resize(values);
        }
        const size_t perFrame = static_cast<size_t>(frames > 0 ? frames : 0);
        if (encoders.size() < perFrame) {
            encoders.resize(perFrame);
            aux.resize(perFrame);
            third.resize(perFrame);
            stamps.resize(perFrame);
        }
    }
};
