#pragma once
// Shared set-up of the run-log tests: a temporary folder as the settings home
// and the working folder, UTC as local time, and a clock moved by hand.
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "sensor_interface/log/log_time.h"
#include "tests/support/temp_dir.h"

namespace log_test {

// Ticks of a UTC calendar time.
inline int64_t utcTicks(int year, int month, int day, int hour, int minute, int second,
                        int millisecond) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    return int64_t(timegm(&parts)) * kTicksPerSecond + int64_t(millisecond) * kTicksPerMillisecond;
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Removes a variable for the test's duration and restores it afterwards.
class ScopedUnsetEnv {
public:
    explicit ScopedUnsetEnv(std::string name) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str())) old_ = old;
        unsetenv(name_.c_str());
    }
    ~ScopedUnsetEnv() {
        if (old_) setenv(name_.c_str(), old_->c_str(), 1);
        else unsetenv(name_.c_str());
    }

private:
    std::string name_;
    std::optional<std::string> old_;
};

class ScopedUtc {
public:
    ScopedUtc() : tz_("TZ", "UTC0") { tzset(); }
    ~ScopedUtc() { tzset(); }

private:
    mirevo::test::ScopedEnv tz_;
};

// A clock that stands still until the test moves it.
struct ManualClock {
    int64_t now = utcTicks(2024, 5, 6, 7, 8, 9, 10);
    LogClock function() {
        return [this] { return now; };
    }
};

// Everything a log test touches lives in a fresh folder.
class LogEnvironment {
public:
    LogEnvironment()
        : config_("XDG_CONFIG_HOME", (temp_.path() / "config").string()),
          level_("ZP_RUNLOG_EN"),
          workingDir_(temp_.path()) {}
    const std::filesystem::path& root() const { return temp_.path(); }

private:
    mirevo::test::TempDir temp_;
    mirevo::test::ScopedEnv config_;
    ScopedUnsetEnv level_;
    mirevo::test::ScopedWorkingDir workingDir_;
    ScopedUtc utc_;
};

}  // namespace log_test
