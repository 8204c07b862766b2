#pragma once

// Work items run on a few threads at once.

#include <cstddef>
#include <functional>

namespace miral::cli {

/// Calls `work(i)` for every i below `count`, on up to `threads` threads at once (0: one per
/// core), and returns when all are done. `work` must not throw.
void runInParallel(size_t count, unsigned threads, const std::function<void(size_t)>& work);

} // namespace miral::cli
