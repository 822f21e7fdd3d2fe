#include "platform/module_folder.h"

#include <dlfcn.h>

namespace mirevo::platform {

std::filesystem::path moduleFolder() {
    std::error_code ec;
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&moduleFolder), &info) != 0 && info.dli_fname &&
        *info.dli_fname) {
        const std::filesystem::path module = std::filesystem::canonical(info.dli_fname, ec);
        if (!ec && module.has_parent_path()) return module.parent_path();
    }
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && program.has_parent_path()) return program.parent_path();
    return std::filesystem::current_path(ec);
}

}  // namespace mirevo::platform
