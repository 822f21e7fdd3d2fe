// The register text file from arbitrary bytes: line k sets register k, each
// line read as a decimal register word; registers without a line stay 0. An
// independent reading with strtoll (clamped to the accepted range) is the
// reference for every line.
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_support.h"
#include "sensor_interface/settings/decimal_text.h"
#include "sensor_interface/settings/hvq5_settings.h"

namespace {

uint32_t referenceWord(const std::string& line) {
    // strtoll stops at a zero byte, as the reader stops at any non-digit.
    const long long value = std::strtoll(line.c_str(), nullptr, 10);
    return static_cast<uint32_t>(std::clamp<long long>(value, -2147483648LL, 4294967295LL));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::ScratchFile file("fuzz_register_text");
    // One image for the whole run (building one clears 65535 registers); the
    // registers an input set are cleared again at the end.
    static hvq5_settings settings;
    const std::string& path = file.write(data, size);
    FUZZ_CHECK(settings.init_from_file(path));
    FUZZ_CHECK(settings.get_vals(0) == 0);

    // Lines end in LF, optionally preceded by CR; the last line may lack its LF.
    unsigned int reg = 1;
    size_t start = 0;
    while (start < size && reg < hvq5_settings::register_count) {
        size_t end = start;
        while (end < size && data[end] != '\n') ++end;
        std::string line(reinterpret_cast<const char*>(data + start), end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const uint32_t word = mirevo::settings::parse_register_word(line);
        FUZZ_CHECK(word == referenceWord(line));
        FUZZ_CHECK(settings.get_vals(reg) == word);
        ++reg;
        start = end + 1;
    }
    const unsigned int checkedEnd = std::min(reg + 16, hvq5_settings::register_count);
    for (unsigned int rest = reg; rest < checkedEnd; ++rest) FUZZ_CHECK(settings.get_vals(rest) == 0);
    for (unsigned int used = 1; used < reg; ++used) settings.set_regvals(used, 0u);
    return 0;
}
