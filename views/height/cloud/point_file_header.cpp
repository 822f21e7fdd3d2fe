// The size a PCD or PLY header announces, read as text up to the end of the
// header.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <iostream>
#include <string>

#include "views/height/cloud/cloud_file_parts.h"

namespace kx::common {
namespace {

// The text behind a keyword, blanks removed, as a non-negative int; anything
// else (a sign, letters, an overflow) is no count.
bool countBehind(const std::string& line, size_t keywordEnd, int& count) {
    std::string digits;
    for (size_t i = keywordEnd; i < line.size(); ++i) {
        if (!std::isspace(static_cast<unsigned char>(line[i]))) digits.push_back(line[i]);
    }
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
        return false;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), count);
    return result.ec == std::errc() && result.ptr == digits.data() + digits.size();
}

bool startsWith(const std::string& line, const char* prefix) { return line.rfind(prefix, 0) == 0; }

}  // namespace

int readHeaderSize(const std::string& path, int& width, int& height) {
    const bool pcd = hasExtension(path, ".pcd");
    const bool ply = hasExtension(path, ".ply");
    if (!pcd && !ply) return -1;
    width = -1;
    height = -1;
    std::ifstream in(path);
    if (!in) return -1;
    std::string line;
    while ((width < 0 || height < 0) && std::getline(in, line)) {
        if (pcd) {
            if (startsWith(line, "DATA")) break;
            const size_t widthAt = line.find("WIDTH");
            if (widthAt != std::string::npos) {
                if (!countBehind(line, widthAt + 5, width)) return -1;
                std::cout << "str_W: " << width << '\n';
            }
            const size_t heightAt = line.find("HEIGHT");
            if (heightAt != std::string::npos) {
                if (!countBehind(line, heightAt + 6, height)) return -1;
                std::cout << "str_H: " << height << '\n';
            }
        } else {
            if (startsWith(line, "end_header")) break;
            const size_t vertexAt = line.find("vertex");
            if (vertexAt != std::string::npos) {
                if (!countBehind(line, vertexAt + 6, width)) return -1;
                height = 1;
                std::cout << "cloud_height: " << height << '\n' << "cloud_width: " << width << '\n';
            }
        }
    }
    std::cout.flush();
    return 0;
}

}  // namespace kx::common
