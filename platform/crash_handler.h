#pragma once
// The program's last word when it crashes: a handler for SIGSEGV, SIGBUS,
// SIGFPE, SIGILL and SIGABRT (on a signal stack of the crashing thread's own,
// see thread_start.h, so a stack overflow reaches it too) writes a dump file named by the local time,
// "yyyyMMddHHmmss.dmp" in the working folder (an existing file of that name is
// replaced), prints the crash box's text to stderr, and then lets the signal
// kill the process as it would have without the handler.
//
// The dump is plain text: the signal, the faulting address (all 64 bits), the
// process and thread ids and a backtrace of the crashing thread. Everything
// the handler does is async-signal-safe: no allocation, no locks, no stdio.
#include <cstddef>
#include <cstdint>
#include <csignal>
#include <ctime>

namespace mirevo::platform {

// Installs the handler for the five signals; call once, early in main. The
// local-time rules for the next year are read here, so the handler needs no
// time-zone call of its own. Returns false when a signal could not be hooked.
bool installCrashHandler();

// The handler itself (sigaction's three-argument form): writes the dump and
// the crash text, then re-raises the signal with its default action.
void writeCrashDump(int signal, siginfo_t* info, void* context);

// ---- the pieces the handler is made of, open for tests ----

// The dump file name of a local time: "yyyyMMddHHmmss.dmp" plus the NUL.
constexpr size_t kDumpNameSize = 19;
// Writes the name of the local time that lies utcSeconds + utcOffsetSeconds
// after the epoch into out (kDumpNameSize bytes). No library calls.
void dumpFileName(int64_t utcSeconds, int64_t utcOffsetSeconds, char out[kDumpNameSize]);

// The UTC offset in force at utcSeconds, from the table read at install time
// (the offset of the table's last entry beyond its end; 0 before install).
int64_t crashClockOffset(int64_t utcSeconds);

// "SIGSEGV" and so on; "signal" for any other number.
const char* crashSignalName(int signal);

// The crash box's text for a signal and fault address (the code and the low
// 32 bits of the address in lower-case hexadecimal), NUL-terminated in out;
// returns its length without the NUL.
size_t crashBoxText(int signal, uintptr_t address, char* out, size_t size);

}  // namespace mirevo::platform
