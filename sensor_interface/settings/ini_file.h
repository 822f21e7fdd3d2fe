#pragma once
// The per-device settings file: "[section]" lines and "key=value" lines.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace mirevo::settings {

// Sections and keys in the order they were first set.
class IniTable {
public:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> entries;
    };

    // Adds the key, or replaces its value when the section already holds it.
    void set(const std::string& section, const std::string& key, const std::string& value);
    // The value of the key, or nullptr when the section or key is missing.
    const std::string* find(const std::string& section, const std::string& key) const;
    const std::vector<Section>& sections() const { return sections_; }

private:
    std::vector<Section> sections_;
};

// Reads the file; a missing or unreadable file gives an empty table. Keys and
// values keep their spaces, so "key = 5" holds the key "key ".
IniTable read_ini_file(const std::filesystem::path& folder, const std::string& file_name);

// Writes every section as "[name]", its "key=value" lines and one empty line,
// all ending in CR LF. False when the file cannot be written.
bool write_ini_file(const std::filesystem::path& folder, const std::string& file_name,
                    const IniTable& table);

}  // namespace mirevo::settings
