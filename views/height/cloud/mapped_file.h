#pragma once
// A file's bytes mapped read-only into memory, for reading a large body in
// place: the pages come straight from the file cache, no copy is made and no
// file-sized buffer is allocated. Internal to the library.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kx::common {

class MappedFile {
public:
    // Maps the whole file; empty() when it cannot be opened or mapped.
    explicit MappedFile(const std::string& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool empty() const { return data_ == nullptr; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace kx::common
