#include "sensor_interface/settings/ini_file.h"

#include <algorithm>

#include "platform/text_file.h"

namespace mirevo::settings {

void IniTable::set(const std::string& section, const std::string& key, const std::string& value) {
    auto section_it = std::find_if(sections_.begin(), sections_.end(),
                                   [&](const Section& s) { return s.name == section; });
    if (section_it == sections_.end()) {
        sections_.push_back(Section{section, {}});
        section_it = std::prev(sections_.end());
    }
    auto& entries = section_it->entries;
    auto entry_it = std::find_if(entries.begin(), entries.end(),
                                 [&](const auto& entry) { return entry.first == key; });
    if (entry_it == entries.end()) {
        entries.emplace_back(key, value);
    } else {
        entry_it->second = value;
    }
}

const std::string* IniTable::find(const std::string& section, const std::string& key) const {
    for (const Section& s : sections_) {
        if (s.name != section) continue;
        for (const auto& entry : s.entries) {
            if (entry.first == key) return &entry.second;
        }
        return nullptr;
    }
    return nullptr;
}

IniTable read_ini_file(const std::filesystem::path& folder, const std::string& file_name) {
    IniTable table;
    platform::TextLineReader reader(folder / file_name);
    if (!reader.is_open()) return table;
    std::string section;
    std::string line;
    while (reader.next_line(line)) {
        if (line.empty()) continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            section = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            continue;
        }
        if (section.empty()) continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0) continue;
        table.set(section, line.substr(0, equals), line.substr(equals + 1));
    }
    return table;
}

bool write_ini_file(const std::filesystem::path& folder, const std::string& file_name,
                    const IniTable& table) {
    platform::CrlfTextWriter writer(folder / file_name);
    if (!writer.is_open()) return false;
    for (const IniTable::Section& section : table.sections()) {
        writer.write_line("[" + section.name + "]");
        for (const auto& [key, value] : section.entries) {
            writer.write_line(key + "=" + value);
        }
        writer.write_line("");
    }
    return writer.finish();
}

}  // namespace mirevo::settings
