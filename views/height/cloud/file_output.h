#pragma once
// A file written from start to end through one reused buffer: the point
// writers format a point straight into it, and whole buffers go to the file
// with plain write calls (no stream, no mapping, no file-sized memory).
// Internal to the library.
#include <cstddef>
#include <string>
#include <vector>

namespace kx::common {

class FileOutput {
public:
    // Creates or truncates the file; failed() tells whether that worked.
    explicit FileOutput(const std::string& path);
    ~FileOutput();
    FileOutput(const FileOutput&) = delete;
    FileOutput& operator=(const FileOutput&) = delete;

    // Room for at least `bytes` (at most kMaxRoom) at the returned place;
    // advance() then takes what was written there.
    char* room(size_t bytes) {
        if (static_cast<size_t>(end_ - next_) < bytes) flush();
        return next_;
    }
    void advance(char* to) { next_ = to; }
    void append(const void* data, size_t bytes);

    // Writes what is left and closes; true when the file was opened and every
    // write went through.
    bool finish();
    bool failed() const { return failed_; }

    static constexpr size_t kMaxRoom = 4096;

private:
    void flush();

    int fd_ = -1;
    bool failed_ = false;
    std::vector<char> buffer_;
    char* next_ = nullptr;
    char* end_ = nullptr;
};

}  // namespace kx::common
