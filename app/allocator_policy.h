#pragma once
// How many arenas the C library's allocator keeps, set once as the program
// starts (before its threads).
//
// glibc gives a thread that finds no arena free an arena of its own, up to
// eight per core, and an arena keeps a freed block at its top resident up to
// twice the size of the largest mapped block freed so far (glibc raises that
// threshold as blocks are freed, up to 32 MB). The program frees blocks of
// megabytes many times a second (the debug stream behind every live profile,
// a batch's buffers), and its acquisition threads and the trigger's job
// thread come and go at every mode switch and press: whenever more of them
// than ever before ran at once, another arena was made and kept its
// megabytes, and a soak of batches and live profiles grew by some 40 MB over
// ten minutes before the arenas stopped multiplying.
//
// Two arenas bound what is kept that way (the soak held within 1 % after its
// warm-up; with four it still stepped up by 5 % over ten minutes), and the
// frame pool's throughput stays what it was. Fixing the mapping threshold
// instead bounds it too, but maps and faults in every large block anew: a
// live profile then cost three times the CPU.
namespace allocator_policy {

constexpr int kArenas = 2;

// Bounds the arenas; false where the C library is not glibc or refuses.
bool boundArenas();

}  // namespace allocator_policy
