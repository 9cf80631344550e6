#include "heap_meter.hpp"

#include <atomic>
#include <cstdlib>
#include <new>

namespace quorvane::bench {

namespace {

// Each block carries its size in front, in a header that keeps the
// alignment operator new promises.
constexpr std::size_t kHeader = alignof(std::max_align_t);

std::atomic<std::size_t> live{0};
std::atomic<std::size_t> peak{0};

void* allocate(std::size_t size) noexcept {
    void* block = std::malloc(size + kHeader);
    if (!block) return nullptr;
    *static_cast<std::size_t*>(block) = size;
    const std::size_t now = live.fetch_add(size, std::memory_order_relaxed) + size;
    std::size_t high = peak.load(std::memory_order_relaxed);
    while (now > high && !peak.compare_exchange_weak(high, now, std::memory_order_relaxed)) {
    }
    return static_cast<char*>(block) + kHeader;
}

void release(void* pointer) noexcept {
    if (!pointer) return;
    void* block = static_cast<char*>(pointer) - kHeader;
    live.fetch_sub(*static_cast<std::size_t*>(block), std::memory_order_relaxed);
    std::free(block);
}

void* allocateOrThrow(std::size_t size) {
    for (;;) {
        if (void* pointer = allocate(size)) return pointer;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

}  // namespace

std::size_t liveHeapBytes() noexcept { return live.load(std::memory_order_relaxed); }
std::size_t peakHeapBytes() noexcept { return peak.load(std::memory_order_relaxed); }
void resetHeapPeak() noexcept { peak.store(live.load(std::memory_order_relaxed), std::memory_order_relaxed); }

}  // namespace quorvane::bench

// The replaceable forms without an alignment argument; the aligned forms keep
// their own allocator and are not counted (the engine has no over-aligned types).
void* operator new(std::size_t size) { return quorvane::bench::allocateOrThrow(size); }
void* operator new[](std::size_t size) { return quorvane::bench::allocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return quorvane::bench::allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return quorvane::bench::allocate(size); }
void operator delete(void* pointer) noexcept { quorvane::bench::release(pointer); }
void operator delete[](void* pointer) noexcept { quorvane::bench::release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { quorvane::bench::release(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { quorvane::bench::release(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { quorvane::bench::release(pointer); }
void operator delete[](void* pointer, const std::nothrow_t&) noexcept { quorvane::bench::release(pointer); }
