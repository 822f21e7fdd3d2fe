// readHeaderSize over any bytes, as a PCD (first byte even) or a PLY header:
// it reads only up to the end of the header and gives counts or -1.
#include "fuzz/fuzz_support.h"
#include "views/height/cloud/cloud_file_parts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::ScratchFile pcd("fuzz_cloud_header", ".pcd");
    static fuzz::ScratchFile ply("fuzz_cloud_header", ".ply");
    if (size == 0) return 0;
    fuzz::ScratchFile& file = data[0] % 2 == 0 ? pcd : ply;
    const std::string& path = file.write(data + 1, size - 1);
    int width = -5;
    int height = -5;
    const int result = kx::common::readHeaderSize(path, width, height);
    FUZZ_CHECK(result == 0 || result == -1);
    if (result == 0) {
        FUZZ_CHECK(width >= -1 && height >= -1);
        if (&file == &ply) FUZZ_CHECK((width == -1 && height == -1) || height == 1);
    }
    return 0;
}
