#pragma once
// Access to the members of the extended values (HVQ5_2_EXTEND) that the
// consumer thread reads at every batch start while an export may change them
// from another thread (the feature word, the frame time-outs): each read and
// write is one atomic access. The block keeps its plain layout, since it is
// handed to other programs by address.
#include <cstdint>

namespace mirevo::settings {

template <typename T>
T load_extend(const T& member) {
    return __atomic_load_n(&member, __ATOMIC_RELAXED);
}

template <typename T>
void store_extend(T& member, T value) {
    __atomic_store_n(&member, value, __ATOMIC_RELAXED);
}

// Sets or clears bits of the feature word in one step, so that two callers
// changing different bits at the same time keep both changes.
inline void change_extend_bits(uint64_t& word, uint64_t bits, bool on) {
    if (on)
        __atomic_fetch_or(&word, bits, __ATOMIC_RELAXED);
    else
        __atomic_fetch_and(&word, ~bits, __ATOMIC_RELAXED);
}

}  // namespace mirevo::settings
