#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

namespace mirevo::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mirevo-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

ScopedWorkingDir::ScopedWorkingDir(const std::filesystem::path& dir)
    : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
}

ScopedWorkingDir::~ScopedWorkingDir() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
}

ScopedEnv::ScopedEnv(std::string name, const std::string& value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) {
        had_old_ = true;
        old_ = old;
    }
    setenv(name_.c_str(), value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (had_old_) setenv(name_.c_str(), old_.c_str(), 1);
    else unsetenv(name_.c_str());
}

}  // namespace mirevo::test
