#pragma once
// A fresh temporary folder for one test, removed afterwards; optionally the
// working folder for the test's duration.
#include <filesystem>
#include <string>

namespace mirevo::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Makes the folder the working folder until destroyed.
class ScopedWorkingDir {
public:
    explicit ScopedWorkingDir(const std::filesystem::path& dir);
    ~ScopedWorkingDir();

private:
    std::filesystem::path previous_;
};

// Sets an environment variable until destroyed (restores the old value).
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::string& value);
    ~ScopedEnv();

private:
    std::string name_;
    bool had_old_ = false;
    std::string old_;
};

}  // namespace mirevo::test
