#pragma once
// How many arenas the C library's allocator keeps, set once as the program
// starts (before its threads).
//
// glibc gives a thread that finds no arena free an arena of its own, up to
// eight per core, and an arena keeps a freed block at its top resident up to
// twice the size of the largest mapped block freed so far (glibc raises that
// threshold as blocks are freed, up to 32 MB). The program frees blocks of
// megabytes many times a second (the debug stream behind every live profile,
// a batch's buffers), and its acquisition threads, the trigger's job thread
// and the data channel's threads come and go at every mode switch, press and
// reconnection: as more of them happened to run at once, more arenas were
// made, each keeping megabytes of freed memory, and the program grew by tens
// of megabytes over its first quarter hour until the arenas stopped
// multiplying.
//
// A few arenas bound what is kept that way. Fixing the mapping threshold
// instead would bound it too, but maps and faults in every large block anew:
// a live profile then cost three times the CPU.
namespace allocator_policy {

constexpr int kArenas = 4;

// Bounds the arenas; false where the C library is not glibc or refuses.
bool boundArenas();

}  // namespace allocator_policy
