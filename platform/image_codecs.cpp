#include "platform/image_codecs.h"

#include <dlfcn.h>

// The declarations only: the functions are looked up in the library.
#include <opencv2/imgcodecs.hpp>

namespace mirevo::platform {

namespace {

struct Codecs {
    decltype(&cv::imwrite) write = nullptr;
    decltype(&cv::imread) read = nullptr;
};

// Loaded once, by whichever thread asks first; kept to the end.
const Codecs& codecs() {
    static const Codecs loaded = [] {
        Codecs c;
        void* library = dlopen(MIREVO_OPENCV_IMGCODECS_SONAME, RTLD_NOW | RTLD_LOCAL);
        if (!library) return c;
        // The functions' names as the C++ ABI gives them for their declarations above.
        c.write = reinterpret_cast<decltype(&cv::imwrite)>(dlsym(
            library,
            "_ZN2cv7imwriteERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEERKNS_11_InputArrayERKSt6vectorIiSaIiEE"));
        c.read = reinterpret_cast<decltype(&cv::imread)>(
            dlsym(library, "_ZN2cv6imreadERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEEi"));
        return c;
    }();
    return loaded;
}

}  // namespace

bool imageWrite(const std::string& path, const cv::Mat& image, const std::vector<int>& params) {
    const Codecs& c = codecs();
    return c.write && c.write(path, image, params);
}

cv::Mat imageRead(const std::string& path, int flags) {
    const Codecs& c = codecs();
    return c.read ? c.read(path, flags) : cv::Mat();
}

}  // namespace mirevo::platform
