#pragma once
// One measured-value file of the PLC page: "measurement_values_" + time stamp
// + ".csv" in a folder, written line by line in binary mode (the lines carry
// their own CR LF), counting the lines it took.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

class MeasuredValueFile {
public:
    // Closes the open file, then creates or truncates the file of that stamp in
    // folder. False (and no file open) when it cannot be opened.
    bool open(const std::filesystem::path& folder, const std::string& timeStamp);
    void close();
    bool isOpen() const { return stream_.is_open(); }
    // Appends a line and counts it; false when the write failed.
    bool write(const std::string& line);
    uint32_t lineCount() const { return lines_; }
    const std::filesystem::path& path() const { return path_; }

    static std::string fileName(const std::string& timeStamp);

private:
    std::ofstream stream_;
    std::filesystem::path path_;
    uint32_t lines_ = 0;
};
