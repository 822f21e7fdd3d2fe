#include "platform/env_store.h"

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace mirevo::platform {
namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::filesystem::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return std::filesystem::temp_directory_path();
}

// Names become keys of a line-based file: no separators or line breaks inside.
bool isValidName(const std::string& name) {
    return !name.empty() && name.find_first_of("=\r\n") == std::string::npos &&
           trimmed(name) == name;
}

struct Entry {
    std::string key;
    std::string value;
    std::string line;  // the original line, kept for comments and blank lines
};

std::vector<Entry> readEntries(const std::filesystem::path& path) {
    std::vector<Entry> entries;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        Entry entry;
        entry.line = line;
        const std::string text = trimmed(line);
        const auto equals = text.find('=');
        if (!text.empty() && text[0] != '#' && equals != std::string::npos) {
            entry.key = trimmed(text.substr(0, equals));
            entry.value = trimmed(text.substr(equals + 1));
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

// Writers of this process take turns; the rename keeps readers from ever
// seeing a half-written file.
std::mutex& fileMutex() {
    static std::mutex* mutex = new std::mutex;  // outlives static destruction
    return *mutex;
}

}  // namespace

std::filesystem::path envStorePath() {
    std::filesystem::path base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
        base = config;
    } else {
        base = homeFolder() / ".config";
    }
    return base / "mirevo" / "environment";
}

std::optional<std::string> readEnvValue(const std::string& name) {
    if (!isValidName(name)) return std::nullopt;
    if (const char* value = std::getenv(name.c_str())) return std::string(value);
    std::lock_guard<std::mutex> lock(fileMutex());
    for (const Entry& entry : readEntries(envStorePath())) {
        if (entry.key == name) return entry.value;
    }
    return std::nullopt;
}

bool writeEnvValue(const std::string& name, const std::string& value) {
    if (!isValidName(name) || value.find_first_of("\r\n") != std::string::npos) return false;
    const std::filesystem::path path = envStorePath();
    std::lock_guard<std::mutex> lock(fileMutex());
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) return false;

    std::vector<Entry> entries = readEntries(path);
    bool replaced = false;
    for (Entry& entry : entries) {
        if (entry.key != name) continue;
        entry.value = value;
        entry.line = name + "=" + value;
        replaced = true;
    }
    if (!replaced) entries.push_back({name, value, name + "=" + value});

    std::filesystem::path temporary = path;
    temporary += ".tmp" + std::to_string(getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        for (const Entry& entry : entries) out << entry.line << '\n';
        out.flush();
        if (!out) {
            std::filesystem::remove(temporary, ec);
            return false;
        }
    }
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

}  // namespace mirevo::platform
