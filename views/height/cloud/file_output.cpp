#include "views/height/cloud/file_output.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace kx::common {
namespace {

// Large enough that the system calls cost nothing next to the formatting,
// small enough to stay in the caches.
constexpr size_t kBufferBytes = size_t{1} << 20;

}  // namespace

FileOutput::FileOutput(const std::string& path) : buffer_(kBufferBytes) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    failed_ = fd_ < 0;
    next_ = buffer_.data();
    // The last kMaxRoom bytes stay spare: a formatter may store whole words
    // beyond the end it reports.
    end_ = buffer_.data() + buffer_.size() - kMaxRoom;
}

FileOutput::~FileOutput() {
    if (fd_ >= 0) ::close(fd_);
}

void FileOutput::append(const void* data, size_t bytes) {
    const char* from = static_cast<const char*>(data);
    while (bytes > 0) {
        const size_t chunk = bytes < kMaxRoom ? bytes : kMaxRoom;
        char* to = room(chunk);
        std::memcpy(to, from, chunk);
        advance(to + chunk);
        from += chunk;
        bytes -= chunk;
    }
}

void FileOutput::flush() {
    const char* from = buffer_.data();
    size_t left = static_cast<size_t>(next_ - from);
    next_ = buffer_.data();
    while (left > 0 && !failed_) {
        const ssize_t written = ::write(fd_, from, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            failed_ = true;
            break;
        }
        from += written;
        left -= static_cast<size_t>(written);
    }
}

bool FileOutput::finish() {
    flush();
    if (fd_ >= 0 && ::close(fd_) != 0) failed_ = true;
    fd_ = -1;
    return !failed_;
}

}  // namespace kx::common
