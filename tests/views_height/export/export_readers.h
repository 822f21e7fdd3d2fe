#pragma once
// What the independent readers (read_export_files.py: tifffile, Pillow,
// open3d, Python's csv) see in the files of the height-map export.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace export_test {

struct ReaderBlock {
    std::vector<std::string> tiff;   // "tiff DTYPE ROWS COLS"
    std::vector<std::string> head;   // "image ...", "points ...", "table ..."
    std::vector<std::vector<double>> rows;
    std::string error;

    bool read() const { return error.empty() && !head.empty(); }
};

inline std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> result;
    for (std::string word; in >> word;) result.push_back(word);
    return result;
}

// One block per path, keyed by the path as given.
inline std::map<std::string, ReaderBlock> readFiles(const std::vector<std::string>& paths) {
    std::string command = std::string("/usr/bin/python3 ") + EXPORT_READERS_DIR + "/read_export_files.py";
    for (const std::string& path : paths) command += " '" + path + "'";
    command += " 2>&1";
    std::map<std::string, ReaderBlock> blocks;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return blocks;
    std::string output;
    char buffer[1 << 16];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    ::pclose(pipe);
    std::istringstream lines(output);
    ReaderBlock* block = nullptr;
    for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string> head = words(line);
        if (head.empty()) continue;
        if (head[0] == "file" && head.size() == 2) {
            block = &blocks[head[1]];
        } else if (!block) {
            continue;
        } else if (head[0] == "error") {
            block->error = line;
        } else if (head[0] == "tiff") {
            block->tiff = head;
        } else if (head[0] == "image" || head[0] == "points" || head[0] == "table") {
            block->head = head;
            const size_t count = std::stoul(head[1]);
            for (size_t k = 0; k < count && std::getline(lines, line); ++k) {
                std::vector<double> values;
                for (const std::string& word : words(line)) values.push_back(std::strtod(word.c_str(), nullptr));
                block->rows.push_back(std::move(values));
            }
        }
    }
    return blocks;
}

inline ReaderBlock readFile(const std::string& path) { return readFiles({path})[path]; }

inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace export_test
