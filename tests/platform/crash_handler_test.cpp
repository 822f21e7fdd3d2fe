// The crash handler: its pure pieces, and a helper program that installs it
// and crashes in each way on the main thread or a worker.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/crash_handler.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using mirevo::platform::crashBoxText;
using mirevo::platform::dumpFileName;
using mirevo::platform::kDumpNameSize;

std::string nameOf(int64_t utc, int64_t offset) {
    char name[kDumpNameSize];
    dumpFileName(utc, offset, name);
    return name;
}

TEST(CrashDumpName, IsTheLocalTimeToTheSecond) {
    struct Case {
        int64_t utc;
        int64_t offset;
        const char* name;
    };
    const Case cases[] = {
        {0, 0, "19700101000000.dmp"},
        {1700000000, 0, "20231114221320.dmp"},
        {1700000000, 3600, "20231114231320.dmp"},
        {1700000000, 7200, "20231115001320.dmp"},        // past midnight
        {951782400, -1, "20000228235959.dmp"},           // back over a leap day
        {951782400 + 86399, 0, "20000229235959.dmp"},    // the leap day itself
        {4102444800, 19800, "21000101053000.dmp"},       // half-hour zone, 2100
        {-1, 0, "19691231235959.dmp"},
    };
    for (const Case& c : cases) EXPECT_EQ(nameOf(c.utc, c.offset), c.name) << c.utc << " + " << c.offset;
}

TEST(CrashBoxText, NamesTheCodeAndTheLow32BitsOfTheAddressInHex) {
    char text[256];
    const size_t length = crashBoxText(SIGSEGV, uintptr_t{0x123456789abcdef0}, text, sizeof text);
    EXPECT_EQ(std::string(text, length),
              "程式错误\n对于发生的错误，表示诚挚的歉意\n错误代码：b\n错误地址：9abcdef0\n");
    // A buffer too small is cut, never overrun.
    char small[8];
    EXPECT_EQ(crashBoxText(SIGABRT, 0, small, sizeof small), 7u);
    EXPECT_EQ(small[7], '\0');
}

struct Crash {
    int status = 0;
    std::string stderrText;
    std::vector<fs::path> files;
};

// Runs the helper in folder with the environment variable TZ set to tz.
Crash runHelper(const fs::path& folder, const std::vector<std::string>& args, const char* tz) {
    const fs::path errFile = folder.parent_path() / (folder.filename().string() + ".stderr");
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0) _exit(90);
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err < 0 || dup2(err, STDERR_FILENO) < 0) _exit(91);
        setenv("TZ", tz, 1);
        std::vector<char*> argv;
        std::string program = MIREVO_CRASH_HELPER;
        argv.push_back(program.data());
        std::vector<std::string> copies = args;
        for (std::string& a : copies) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(92);
    }
    Crash crash;
    waitpid(pid, &crash.status, 0);
    std::ifstream err(errFile);
    std::stringstream text;
    text << err.rdbuf();
    crash.stderrText = text.str();
    for (const auto& entry : fs::directory_iterator(folder)) crash.files.push_back(entry.path().filename());
    return crash;
}

// The clock the handler reads (time() may lag it by a tick).
int64_t nowSeconds() {
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec;
}

// "^\d{14}\.dmp$"
bool isDumpName(const std::string& name) {
    if (name.size() != 18 || name.compare(14, 4, ".dmp") != 0) return false;
    for (int i = 0; i < 14; ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    return true;
}

// The text after "prefix" up to the line's end, or "" when no line starts so.
std::string lineValue(const std::string& text, const std::string& prefix) {
    size_t at = text.rfind("\n" + prefix);
    at = text.compare(0, prefix.size(), prefix) == 0 ? 0 : at == std::string::npos ? at : at + 1;
    if (at == std::string::npos) return "";
    const size_t end = text.find('\n', at);
    if (end == std::string::npos) return "";
    return text.substr(at + prefix.size(), end - at - prefix.size());
}

bool allOf(const std::string& text, const char* characters) {
    return !text.empty() && text.find_first_not_of(characters) == std::string::npos;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct CrashCase {
    const char* how;
    const char* thread;  // the helper's thread argument, null: the main thread
    int signal;
};
void PrintTo(const CrashCase& c, std::ostream* out) { *out << c.how << " on " << (c.thread ? c.thread : "main"); }

class CrashHelperTest : public ::testing::TestWithParam<CrashCase> {};

TEST_P(CrashHelperTest, WritesOneDumpNamedByLocalTimeAndDiesByTheSignal) {
    const CrashCase& c = GetParam();
    mirevo::test::TempDir temp;
    const fs::path folder = temp.path() / "work";
    fs::create_directory(folder);
    // A zone of its own (UTC+5:30, no summer time) shows that the name is local time.
    const int64_t offset = 5 * 3600 + 30 * 60;
    const std::string before = nameOf(nowSeconds(), offset);
    std::vector<std::string> args = {c.how};
    if (c.thread) args.push_back(c.thread);
    const Crash crash = runHelper(folder, args, "XST-5:30");
    const std::string after = nameOf(nowSeconds(), offset);

    ASSERT_TRUE(WIFSIGNALED(crash.status)) << "exit status " << crash.status;
    EXPECT_EQ(WTERMSIG(crash.status), c.signal);
    ASSERT_EQ(crash.files.size(), 1u);
    const std::string name = crash.files[0].string();
    EXPECT_TRUE(isDumpName(name)) << name;
    EXPECT_GE(name, before);
    EXPECT_LE(name, after);

    const std::string dump = readFile(folder / name);
    std::ostringstream signalLine;
    signalLine << "signal: " << c.signal << " (" << mirevo::platform::crashSignalName(c.signal) << ")\n";
    EXPECT_NE(dump.find(signalLine.str()), std::string::npos) << dump;
    const std::string address = lineValue(dump, "address: 0x");
    EXPECT_EQ(address.size(), 16u) << dump;
    EXPECT_TRUE(allOf(address, "0123456789abcdef")) << dump;
    EXPECT_TRUE(allOf(lineValue(dump, "pid: "), "0123456789")) << dump;
    EXPECT_TRUE(allOf(lineValue(dump, "thread: "), "0123456789")) << dump;
    const size_t trace = dump.find("\nbacktrace:\n");
    ASSERT_NE(trace, std::string::npos) << dump;
    EXPECT_GT(dump.size(), trace + 20) << "no frames";

    std::ostringstream code;
    code << "错误代码：" << std::hex << c.signal << "\n";
    EXPECT_NE(crash.stderrText.find("程式错误\n对于发生的错误，表示诚挚的歉意\n"), std::string::npos);
    EXPECT_NE(crash.stderrText.find(code.str()), std::string::npos) << crash.stderrText;
}

INSTANTIATE_TEST_SUITE_P(EveryWay, CrashHelperTest,
                         ::testing::Values(CrashCase{"segv", nullptr, SIGSEGV}, CrashCase{"segv", "worker", SIGSEGV},
                                           CrashCase{"abort", nullptr, SIGABRT}, CrashCase{"abort", "worker", SIGABRT},
                                           CrashCase{"fpe", nullptr, SIGFPE}, CrashCase{"bus", "worker", SIGBUS},
                                           CrashCase{"ill", nullptr, SIGILL},
                                           CrashCase{"overflow", nullptr, SIGSEGV},
                                           // Threads the program starts have a signal stack of their own.
                                           CrashCase{"overflow", "started", SIGSEGV},
                                           CrashCase{"overflow", "frames", SIGSEGV},
                                           CrashCase{"segv", "started", SIGSEGV}),
                         [](const ::testing::TestParamInfo<CrashCase>& info) {
                             return std::string(info.param.how) + "_" + (info.param.thread ? info.param.thread : "main");
                         });

TEST(CrashHelper, TheFaultAddressIsWrittenWhole) {
    mirevo::test::TempDir temp;
    const fs::path folder = temp.path() / "work";
    fs::create_directory(folder);
    const Crash crash = runHelper(folder, {"segv"}, "UTC0");
    ASSERT_EQ(crash.files.size(), 1u);
    EXPECT_NE(readFile(folder / crash.files[0]).find("address: 0x0000000000000010\n"), std::string::npos);
    EXPECT_NE(crash.stderrText.find("错误地址：10\n"), std::string::npos);
}

TEST(CrashHelper, ASecondCrashInTheSameSecondReplacesTheDump) {
    mirevo::test::TempDir temp;
    const fs::path folder = temp.path() / "work";
    fs::create_directory(folder);
    // Two crashes until both fell into one second (almost always the first try).
    for (int attempt = 0; attempt < 5; ++attempt) {
        for (const auto& entry : fs::directory_iterator(folder)) fs::remove(entry.path());
        runHelper(folder, {"abort"}, "UTC0");
        const Crash second = runHelper(folder, {"segv"}, "UTC0");
        if (second.files.size() != 1u) continue;
        EXPECT_NE(readFile(folder / second.files[0]).find("(SIGSEGV)"), std::string::npos);
        EXPECT_EQ(readFile(folder / second.files[0]).find("(SIGABRT)"), std::string::npos);
        return;
    }
    FAIL() << "no two crashes within one second";
}

}  // namespace
