#include "settings_windows/core/measured_value_file.h"

std::string MeasuredValueFile::fileName(const std::string& timeStamp) {
    return "measurement_values_" + timeStamp + ".csv";
}

bool MeasuredValueFile::open(const std::filesystem::path& folder, const std::string& timeStamp) {
    close();
    path_ = folder / fileName(timeStamp);
    lines_ = 0;
    stream_.open(path_, std::ios::out | std::ios::binary | std::ios::trunc);
    return stream_.is_open();
}

void MeasuredValueFile::close() {
    if (stream_.is_open()) stream_.close();
    stream_.clear();
}

bool MeasuredValueFile::write(const std::string& line) {
    if (!stream_.is_open()) return false;
    stream_.write(line.data(), static_cast<std::streamsize>(line.size()));
    stream_.flush();
    ++lines_;
    return static_cast<bool>(stream_);
}
