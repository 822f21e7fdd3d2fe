#include "app/allocator_policy.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace allocator_policy {

bool keepLargeBlocksReturnable() {
#if defined(__GLIBC__)
    // Setting the threshold also turns glibc's raising of both thresholds off.
    return mallopt(M_MMAP_THRESHOLD, static_cast<int>(kMappedFromBytes)) == 1;
#else
    return false;
#endif
}

}  // namespace allocator_policy
