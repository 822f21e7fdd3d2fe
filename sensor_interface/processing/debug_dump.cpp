#include "sensor_interface/processing/debug_dump.h"

#include <cinttypes>
#include <cstdio>

std::atomic<int> data_save_enabled{0};

namespace {

// Appends one line; a dump of nothing, or with the switch off, writes nothing.
template <typename T, typename Write>
void dump_line(const char* fileName, const T* values, int count, Write write) {
    if (!dumps_written() || values == nullptr) return;
    std::FILE* file = std::fopen(fileName, "a");
    if (!file) {
        std::fputs("无法打开文件\n", stderr);
        return;
    }
    for (int i = 0; i < count; ++i) write(file, values[i]);
    std::fputs("\n", file);
    std::fclose(file);
}

}  // namespace

void dump_doubles(const char* fileName, const double* values, int count) {
    dump_line(fileName, values, count, [](std::FILE* f, double v) { std::fprintf(f, "%f,", v); });
}

void dump_bytes(const char* fileName, const uint8_t* values, int count) {
    dump_line(fileName, values, count,
              [](std::FILE* f, uint8_t v) { std::fprintf(f, "%u,", static_cast<unsigned>(v)); });
}

void dump_words16(const char* fileName, const uint16_t* values, int count) {
    dump_line(fileName, values, count,
              [](std::FILE* f, uint16_t v) { std::fprintf(f, "%u,", static_cast<unsigned>(v)); });
}

void dump_words32(const char* fileName, const uint32_t* values, int count) {
    dump_line(fileName, values, count,
              [](std::FILE* f, uint32_t v) { std::fprintf(f, "%" PRIu32 ",", v); });
}
