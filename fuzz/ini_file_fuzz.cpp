// The per-device settings file from arbitrary bytes. What the reader takes
// must be what a well-formed file can say (named sections, keys without "=",
// no line breaks), and writing the table and reading it back must give the
// same table.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_support.h"
#include "sensor_interface/settings/ini_file.h"

namespace {

using mirevo::settings::IniTable;

void checkShape(const IniTable& table) {
    for (size_t s = 0; s < table.sections().size(); ++s) {
        const IniTable::Section& section = table.sections()[s];
        FUZZ_CHECK(!section.name.empty());
        FUZZ_CHECK(section.name.find_first_of("]\n") == std::string::npos);
        for (size_t other = 0; other < s; ++other) FUZZ_CHECK(table.sections()[other].name != section.name);
        for (size_t e = 0; e < section.entries.size(); ++e) {
            const auto& [key, value] = section.entries[e];
            FUZZ_CHECK(!key.empty() && key.front() != '[');
            FUZZ_CHECK(key.find_first_of("=\n") == std::string::npos);
            FUZZ_CHECK(value.find('\n') == std::string::npos);
            FUZZ_CHECK(table.find(section.name, key) == &value);
        }
    }
}

bool sameTables(const IniTable& a, const IniTable& b) {
    if (a.sections().size() != b.sections().size()) return false;
    for (size_t s = 0; s < a.sections().size(); ++s) {
        if (a.sections()[s].name != b.sections()[s].name) return false;
        if (a.sections()[s].entries != b.sections()[s].entries) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::ScratchFile file("fuzz_ini_file");
    const std::filesystem::path path = file.write(data, size);
    const IniTable table = mirevo::settings::read_ini_file(path.parent_path(), path.filename().string());
    checkShape(table);

    FUZZ_CHECK(mirevo::settings::write_ini_file(path.parent_path(), path.filename().string(), table));
    const IniTable again = mirevo::settings::read_ini_file(path.parent_path(), path.filename().string());
    FUZZ_CHECK(sameTables(table, again));
    return 0;
}
