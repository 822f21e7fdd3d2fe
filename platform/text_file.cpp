#include "platform/text_file.h"

#include <system_error>

namespace mirevo::platform {

CrlfTextWriter::CrlfTextWriter(const std::filesystem::path& path)
    : out_(path, std::ios::binary | std::ios::trunc) {}

bool CrlfTextWriter::is_open() const { return out_.is_open(); }

void CrlfTextWriter::write_line(std::string_view line) {
    out_.write(line.data(), static_cast<std::streamsize>(line.size()));
    out_.write("\r\n", 2);
}

bool CrlfTextWriter::finish() {
    if (!out_.is_open()) return false;
    out_.flush();
    const bool written = out_.good();
    out_.close();
    return written && !out_.fail();
}

TextLineReader::TextLineReader(const std::filesystem::path& path) {
    // A folder opens as a stream on Linux but yields no lines: treat it as unopenable.
    std::error_code ignored;
    if (!std::filesystem::is_directory(path, ignored)) in_.open(path, std::ios::binary);
}

bool TextLineReader::is_open() const { return in_.is_open(); }

bool TextLineReader::next_line(std::string& line) {
    if (!std::getline(in_, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

}  // namespace mirevo::platform
