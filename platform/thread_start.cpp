#include "platform/thread_start.h"

#include <sys/mman.h>

#include <csignal>
#include <cstddef>

namespace mirevo::platform {
namespace {

// Room for the crash handler: the dump's text and a backtrace.
constexpr size_t kSignalStackSize = 64 * 1024;

struct OwnSignalStack {
    void* memory = nullptr;

    ~OwnSignalStack() {
        if (!memory) return;
        stack_t off{};
        off.ss_flags = SS_DISABLE;
        sigaltstack(&off, nullptr);
        munmap(memory, kSignalStackSize);
    }
};

thread_local OwnSignalStack t_signalStack;

}  // namespace

bool useOwnSignalStack() {
    if (t_signalStack.memory) return true;
    stack_t current{};
    if (sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE) && current.ss_size > 0) return true;
    void* memory = mmap(nullptr, kSignalStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return false;
    stack_t stack{};
    stack.ss_sp = memory;
    stack.ss_size = kSignalStackSize;
    if (sigaltstack(&stack, nullptr) != 0) {
        munmap(memory, kSignalStackSize);
        return false;
    }
    t_signalStack.memory = memory;
    return true;
}

}  // namespace mirevo::platform
