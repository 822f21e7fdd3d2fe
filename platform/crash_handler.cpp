#include "platform/crash_handler.h"

#include <execinfo.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/thread_start.h"

namespace mirevo::platform {

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kBacktraceFrames = 64;

// The local-time rules of the year ahead: from `start` on, `offset` seconds
// are added to UTC. Written once at install, before the handler can run.
struct OffsetSpan {
    int64_t start;
    int64_t offset;
};
constexpr int kMaxSpans = 64;
OffsetSpan g_spans[kMaxSpans];
std::atomic<int> g_spanCount{0};

int64_t offsetAt(time_t t) {
    struct tm local {};
    if (!localtime_r(&t, &local)) return 0;
    return local.tm_gmtoff;
}

// Reads the offsets of the coming year hour by hour and pins each change to
// its second.
void readOffsetTable() {
    const int64_t hour = 3600;
    const int64_t now = static_cast<int64_t>(time(nullptr));
    const int64_t from = now - 24 * hour;
    const int64_t to = now + 400 * 24 * hour;
    int count = 0;
    int64_t current = offsetAt(static_cast<time_t>(from));
    g_spans[count++] = {INT64_MIN, current};
    for (int64_t t = from + hour; t <= to && count < kMaxSpans; t += hour) {
        const int64_t offset = offsetAt(static_cast<time_t>(t));
        if (offset == current) continue;
        // The change lies in (t - hour, t]: find its first second.
        int64_t low = t - hour, high = t;
        while (high - low > 1) {
            const int64_t mid = low + (high - low) / 2;
            if (offsetAt(static_cast<time_t>(mid)) == current)
                low = mid;
            else
                high = mid;
        }
        g_spans[count++] = {high, offset};
        current = offset;
    }
    g_spanCount.store(count, std::memory_order_release);
}

// Appends text and numbers to a fixed buffer; never allocates.
class Text {
public:
    Text(char* buffer, size_t size) : buffer_(buffer), size_(size) {
        if (size_) buffer_[0] = '\0';
    }

    Text& add(const char* text) {
        while (*text) put(*text++);
        return *this;
    }
    Text& decimal(int64_t value) {
        if (value < 0) {
            put('-');
            // The negative range is one larger: go through the unsigned value.
            return unsignedNumber(0 - static_cast<uint64_t>(value), 10, 1);
        }
        return unsignedNumber(static_cast<uint64_t>(value), 10, 1);
    }
    Text& hex(uint64_t value, int minDigits = 1) { return unsignedNumber(value, 16, minDigits); }
    Text& digits(int64_t value, int width) { return unsignedNumber(static_cast<uint64_t>(value), 10, width); }

    size_t length() const { return length_; }
    const char* data() const { return buffer_; }

private:
    Text& unsignedNumber(uint64_t value, unsigned base, int minDigits) {
        char reversed[24];
        int n = 0;
        do {
            const unsigned digit = static_cast<unsigned>(value % base);
            reversed[n++] = static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10);
            value /= base;
        } while (value && n < static_cast<int>(sizeof reversed));
        while (n < minDigits && n < static_cast<int>(sizeof reversed)) reversed[n++] = '0';
        while (n) put(reversed[--n]);
        return *this;
    }
    void put(char c) {
        if (length_ + 1 >= size_) return;
        buffer_[length_++] = c;
        buffer_[length_] = '\0';
    }

    char* buffer_;
    size_t size_;
    size_t length_ = 0;
};

void writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        data += written;
        size -= static_cast<size_t>(written);
    }
}

// Civil date of a day count since 1970-01-01 (proleptic Gregorian).
void civilFromDays(int64_t days, int64_t* year, int* month, int* day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    *day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    *month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    *year = yearOfEra + era * 400 + (*month <= 2 ? 1 : 0);
}

int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

}  // namespace

void dumpFileName(int64_t utcSeconds, int64_t utcOffsetSeconds, char out[kDumpNameSize]) {
    const int64_t local = utcSeconds + utcOffsetSeconds;
    const int64_t days = floorDiv(local, 86400);
    const int64_t secondOfDay = local - days * 86400;
    int64_t year = 0;
    int month = 0, day = 0;
    civilFromDays(days, &year, &month, &day);
    Text name(out, kDumpNameSize);
    name.digits(year, 4)
        .digits(month, 2)
        .digits(day, 2)
        .digits(secondOfDay / 3600, 2)
        .digits(secondOfDay / 60 % 60, 2)
        .digits(secondOfDay % 60, 2)
        .add(".dmp");
}

int64_t crashClockOffset(int64_t utcSeconds) {
    const int count = g_spanCount.load(std::memory_order_acquire);
    int64_t offset = 0;
    for (int i = 0; i < count && g_spans[i].start <= utcSeconds; ++i) offset = g_spans[i].offset;
    return offset;
}

const char* crashSignalName(int signal) {
    switch (signal) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGFPE: return "SIGFPE";
    case SIGILL: return "SIGILL";
    case SIGABRT: return "SIGABRT";
    default: return "signal";
    }
}

size_t crashBoxText(int signal, uintptr_t address, char* out, size_t size) {
    Text text(out, size);
    text.add("程式错误\n对于发生的错误，表示诚挚的歉意\n错误代码：")
        .hex(static_cast<uint64_t>(signal))
        .add("\n错误地址：")
        .hex(static_cast<uint64_t>(address) & 0xFFFFFFFFu)
        .add("\n");
    return text.length();
}

void writeCrashDump(int signal, siginfo_t* info, void* /*context*/) {
    const int savedErrno = errno;
    const uintptr_t address = info ? reinterpret_cast<uintptr_t>(info->si_addr) : 0;

    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    char name[kDumpNameSize];
    dumpFileName(now.tv_sec, crashClockOffset(now.tv_sec), name);

    // A dump that cannot be created is skipped; the text still goes out.
    const int fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        char buffer[512];
        Text dump(buffer, sizeof buffer);
        dump.add("Mirevo crash dump\nsignal: ")
            .decimal(signal)
            .add(" (")
            .add(crashSignalName(signal))
            .add(")\ncode: ")
            .decimal(info ? info->si_code : 0)
            .add("\naddress: 0x")
            .hex(static_cast<uint64_t>(address), 16)
            .add("\npid: ")
            .decimal(getpid())
            .add("\nthread: ")
            .decimal(static_cast<int64_t>(syscall(SYS_gettid)))
            .add("\nbacktrace:\n");
        writeAll(fd, dump.data(), dump.length());
        void* frames[kBacktraceFrames];
        const int depth = backtrace(frames, kBacktraceFrames);
        backtrace_symbols_fd(frames, depth, fd);
        close(fd);
    }

    char box[256];
    const size_t length = crashBoxText(signal, address, box, sizeof box);
    writeAll(STDERR_FILENO, box, length);

    // The handler was reset on entry (SA_RESETHAND): the signal, blocked while
    // the handler runs, ends the process as soon as the handler returns.
    errno = savedErrno;
    raise(signal);
}

bool installCrashHandler() {
    readOffsetTable();
    // The first backtrace loads the unwinder, which allocates: do it now,
    // not inside the handler.
    void* frame[1];
    backtrace(frame, 1);

    // The installing thread's; every thread the program starts gets its own.
    bool ok = useOwnSignalStack();

    struct sigaction action {};
    action.sa_sigaction = &writeCrashDump;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals) ok = sigaction(signal, &action, nullptr) == 0 && ok;
    return ok;
}

}  // namespace mirevo::platform
