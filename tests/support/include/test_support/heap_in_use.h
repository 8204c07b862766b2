#pragma once

// How much of the heap the process holds, for tests that bound what an object costs.

#include <cstddef>

namespace miral::testing {

/// Bytes allocated with malloc and operator new and not yet freed (large blocks included).
size_t heapBytesInUse();

} // namespace miral::testing
