#include "app/allocator_policy.h"

#include <cstdlib>  // names the C library (__GLIBC__)

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace allocator_policy {

bool boundArenas() {
#if defined(__GLIBC__)
    return mallopt(M_ARENA_MAX, kArenas) == 1;
#else
    return false;
#endif
}

}  // namespace allocator_policy
