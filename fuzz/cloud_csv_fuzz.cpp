// readCloud of CSV heights, read by OpenCV's CSV loader, with every channel, with and without a grid size and
// pitches (the input's first byte, see cloud_fuzz_support.h). An accepted
// file must give a consistent cloud.
#include "fuzz/cloud_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::ScratchFile file("fuzz_cloud_csv", ".csv");
    kx::common::kxCloud cloud;
    fuzz::readFuzzedCloud(data, size, file, kx::common::CLOUD_FILE_CSV, cloud);
    return 0;
}
