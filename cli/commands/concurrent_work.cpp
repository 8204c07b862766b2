#include "commands/concurrent_work.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace miral::cli {

void runInParallel(size_t count, unsigned threads, const std::function<void(size_t)>& work) {
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    std::atomic<size_t> next{0};
    const auto worker = [&] {
        for (size_t i = next++; i < count; i = next++)
            work(i);
    };
    std::vector<std::jthread> workers;
    for (size_t t = 1; t < std::min<size_t>(threads, count); ++t)
        workers.emplace_back(worker);
    worker();
}

} // namespace miral::cli
