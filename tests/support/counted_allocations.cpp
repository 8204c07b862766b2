#include "test_support/counted_allocations.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> allocations{0};

void* countedAllocation(std::size_t bytes, std::size_t alignment) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t size = bytes == 0 ? 1 : bytes;
    void* p = alignment <= alignof(std::max_align_t)
                  ? std::malloc(size)
                  : std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}

} // namespace

long miral::testing::allocationCount() {
    return allocations.load();
}

void* operator new(std::size_t bytes) {
    return countedAllocation(bytes, 0);
}
void* operator new(std::size_t bytes, std::align_val_t alignment) {
    return countedAllocation(bytes, static_cast<std::size_t>(alignment));
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
    try {
        return countedAllocation(bytes, 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void* operator new[](std::size_t bytes) {
    return countedAllocation(bytes, 0);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
