#include "test_support/heap_in_use.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's own count (its header ships with clang only).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace miral::testing {

size_t heapBytesInUse() {
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer's allocator replaces the C library's and keeps its own count.
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd; // the arena's blocks in use and the mapped ones
#endif
}

} // namespace miral::testing
