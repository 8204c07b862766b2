#pragma once

// For test programs that prove code allocates nothing: linking counted_allocations replaces the
// global allocation functions of the whole program (plug-in libraries it loads included) with
// ones that count.

namespace miral::testing {

/// How many allocations the program has made so far.
long allocationCount();

} // namespace miral::testing
