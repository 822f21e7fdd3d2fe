// readCloud of CSV heights, read by OpenCV's CSV loader, with every channel, with and without a grid size and
// pitches (the input's first byte, see cloud_fuzz_support.h), and with the
// companion images a person hands over beside the file: with bit 5 of the
// first byte an intensity image (name.bmp), with bit 6 a colour image
// (name.jpg). Then two bytes give the length of the CSV text, and, with both
// images, two bytes the length of the first; the last part is the last image.
// An accepted file must give a consistent cloud.
#include <cstdio>
#include <vector>

#include "fuzz/cloud_fuzz_support.h"

namespace {

constexpr uint8_t kIntensityImage = 32;
constexpr uint8_t kColorImage = 64;

// A two-byte length, at most what is left behind it.
size_t takeLength(const uint8_t*& data, size_t& size) {
    if (size < 2) {
        data += size;
        size = 0;
        return 0;
    }
    const size_t length = (size_t(data[0]) << 8) | data[1];
    data += 2;
    size -= 2;
    return length < size ? length : size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::ScratchFile file("fuzz_cloud_csv", ".csv");
    static fuzz::ScratchFile intensity("fuzz_cloud_csv", ".bmp");
    static fuzz::ScratchFile color("fuzz_cloud_csv", ".jpg");
    kx::common::kxCloud cloud;
    const uint8_t options = size > 0 ? data[0] : 0;
    std::remove(intensity.path().c_str());
    std::remove(color.path().c_str());
    if ((options & (kIntensityImage | kColorImage)) == 0) {
        fuzz::readFuzzedCloud(data, size, file, kx::common::CLOUD_FILE_CSV, cloud);
        return 0;
    }
    const uint8_t* rest = data + 1;
    size_t left = size - 1;
    const size_t csvLength = takeLength(rest, left);
    const uint8_t* csv = rest;
    rest += csvLength;
    left -= csvLength;
    if ((options & kIntensityImage) && (options & kColorImage)) {
        const size_t first = takeLength(rest, left);
        intensity.write(rest, first);
        color.write(rest + first, left - first);
    } else {
        (options & kIntensityImage ? intensity : color).write(rest, left);
    }
    // The request byte and the CSV text, as the other forms read them.
    std::vector<uint8_t> request(1, options);
    request.insert(request.end(), csv, csv + csvLength);
    fuzz::readFuzzedCloud(request.data(), request.size(), file, kx::common::CLOUD_FILE_CSV, cloud);
    return 0;
}
