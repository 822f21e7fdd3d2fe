#include "platform/public_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace mirevo::platform {
namespace {

const char* non_empty_env(const char* name) {
    const char* value = std::getenv(name);
    return (value != nullptr && *value != '\0') ? value : nullptr;
}

std::filesystem::path home_folder() {
    if (const char* home = non_empty_env("HOME")) return home;
    char buffer[4096];
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer, sizeof(buffer), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return std::filesystem::current_path();
}

std::filesystem::path locate_public_folder() {
    if (const char* folder = non_empty_env("PUBLIC")) return folder;
    if (const char* data_home = non_empty_env("XDG_DATA_HOME")) {
        return std::filesystem::path(data_home) / "mirevo";
    }
    return home_folder() / ".local" / "share" / "mirevo";
}

}  // namespace

std::filesystem::path public_folder() {
    std::filesystem::path folder = locate_public_folder();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

}  // namespace mirevo::platform
