#include "sensor_interface/log/log_time.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

int64_t floorDiv(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return (value % divisor < 0) ? quotient - 1 : quotient;
}

std::string formatLocal(int64_t ticks, const char* dateFormat, char millisecondSeparator) {
    const int64_t milliseconds = floorDiv(ticks, kTicksPerMillisecond);
    const std::time_t seconds = static_cast<std::time_t>(floorDiv(milliseconds, 1000));
    const int millisecondPart = static_cast<int>(milliseconds - int64_t(seconds) * 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char date[64];
    const size_t length = std::strftime(date, sizeof date, dateFormat, &local);
    char text[80];
    std::snprintf(text, sizeof text, "%.*s%c%03d", static_cast<int>(length), date,
                  millisecondSeparator, millisecondPart);
    return text;
}

}  // namespace

int64_t systemTicks() {
    using Ticks = std::chrono::duration<int64_t, std::ratio<1, kTicksPerSecond>>;
    return std::chrono::duration_cast<Ticks>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string formatTimeText(int64_t ticks) { return formatLocal(ticks, "%Y-%m-%d %H:%M:%S", '.'); }

std::string formatTimeStamp(int64_t ticks) { return formatLocal(ticks, "%Y-%m-%d_%H-%M-%S", '-'); }
