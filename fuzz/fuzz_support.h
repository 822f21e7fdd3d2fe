#pragma once
// Small helpers shared by the fuzz targets: a check that stops the run with a
// message, and a scratch file for readers that only take a path.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace fuzz {

// Aborts with the failed invariant, so libFuzzer saves the input as a crash.
#define FUZZ_CHECK(condition)                                                          \
    do {                                                                               \
        if (!(condition)) {                                                            \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, \
                         #condition);                                                  \
            std::abort();                                                              \
        }                                                                              \
    } while (0)

// True when [begin, begin + length) lies inside [data, data + size).
inline bool within(const uint8_t* data, size_t size, const uint8_t* begin, size_t length) {
    if (begin < data) return false;
    const size_t offset = static_cast<size_t>(begin - data);
    return offset <= size && length <= size - offset;
}

// One file per fuzzing process, rewritten for every input; removed at exit.
// Readers that go by the file name's extension get one behind the stem.
// Kept in memory (/dev/shm) unless TMPDIR says otherwise: truncating a file on
// disk thousands of times a second would make the disk the bottleneck.
class ScratchFile {
public:
    explicit ScratchFile(const char* stem, const char* extension = "") {
        const char* base = std::getenv("TMPDIR");
        std::string folder = base && *base ? base : "";
        if (folder.empty()) folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        path_ = folder + "/" + stem + "_" + std::to_string(static_cast<long>(::getpid())) + extension;
    }
    ~ScratchFile() { std::remove(path_.c_str()); }

    const std::string& write(const uint8_t* data, size_t size) {
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        if (!file) {
            std::perror(path_.c_str());
            std::abort();
        }
        if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
        std::fclose(file);
        return path_;
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace fuzz
