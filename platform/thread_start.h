#pragma once
// How the program starts its threads: each one first gets a signal stack of
// its own, on which the crash handler runs (it is installed with SA_ONSTACK),
// so that a thread whose own stack overflowed still leaves its dump and text.
#include <functional>
#include <thread>
#include <type_traits>
#include <utility>

namespace mirevo::platform {

// Gives the calling thread an alternate signal stack for the rest of its life
// (freed when the thread ends). Keeps one the thread has already (a second
// call, or a sanitizer's runtime that gave it one). False when none could be set.
bool useOwnSignalStack();

// std::thread(f, args...), whose thread calls useOwnSignalStack() first.
template <class F, class... Args>
std::thread startThread(F&& f, Args&&... args) {
    return std::thread(
        [](std::decay_t<F> body, std::decay_t<Args>... arguments) {
            useOwnSignalStack();
            std::invoke(std::move(body), std::move(arguments)...);
        },
        std::forward<F>(f), std::forward<Args>(args)...);
}

}  // namespace mirevo::platform
