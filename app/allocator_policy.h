#pragma once
// How the C library's allocator treats large blocks, set once as the program
// starts (before its threads).
//
// glibc raises its mapping threshold to the size of the largest mapped block
// freed so far (up to 32 MB), and the threshold above which an arena gives a
// free top back to twice that. The program frees blocks of megabytes many
// times a second (the debug stream behind every live profile, the buffers of
// a batch), so after the first such free every later one is carved from the
// arena of the thread that asks for it. The acquisition threads and the
// trigger's job thread are started anew at every mode switch and press, and
// land on different arenas; each arena then keeps up to twice the raised
// threshold of freed memory resident, and the program grows by tens of
// megabytes over its first quarter hour until every arena holds its share.
//
// A fixed threshold ends the raising: blocks from kMappedFromBytes on are
// mapped and given back as they are freed, and the arenas give back a free
// top beyond glibc's default of 128 kB. The cost is a mapping and its page
// faults per large block, a few a second.
#include <cstddef>

namespace allocator_policy {

constexpr std::size_t kMappedFromBytes = 256 * 1024;

// Fixes the thresholds; false where the C library is not glibc or refuses.
bool keepLargeBlocksReturnable();

}  // namespace allocator_policy
