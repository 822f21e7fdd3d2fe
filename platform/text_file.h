#pragma once
// Text files with CR LF line ends: written with "\r\n" on every platform, read
// back whether the lines end in CR LF or LF alone.
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace mirevo::platform {

class CrlfTextWriter {
public:
    // Creates or truncates the file.
    explicit CrlfTextWriter(const std::filesystem::path& path);
    bool is_open() const;
    void write_line(std::string_view line);
    // Flushes and closes; false when the file could not be opened or a write failed.
    bool finish();

private:
    std::ofstream out_;
};

class TextLineReader {
public:
    explicit TextLineReader(const std::filesystem::path& path);
    bool is_open() const;
    // The next line without its line break; false at the end of the file.
    bool next_line(std::string& line);

private:
    std::ifstream in_;
};

}  // namespace mirevo::platform
