// Replaces every form of the global operator new and delete so that the benchmarks can
// tell the peak memory of an operation. Sizes are taken from the allocator itself
// (malloc_usable_size), so a delete without size is counted as exactly as a sized one.
#include "bench/HeapPeak.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include <malloc.h>

namespace bench {
namespace {

std::atomic<std::size_t> live{0};
std::atomic<std::size_t> peak{0};
std::atomic<std::size_t> markLevel{0};

void Added(void* block) {
    const std::size_t now = live.fetch_add(malloc_usable_size(block)) + malloc_usable_size(block);
    std::size_t seen = peak.load(std::memory_order_relaxed);
    while (now > seen && !peak.compare_exchange_weak(seen, now, std::memory_order_relaxed)) {
    }
}

void* Allocate(std::size_t size, std::size_t alignment) {
    void* block = nullptr;
    if (alignment <= alignof(std::max_align_t))
        block = std::malloc(size == 0 ? 1 : size);
    else if (posix_memalign(&block, alignment, size == 0 ? 1 : size) != 0)
        block = nullptr;
    if (block)
        Added(block);
    return block;
}

void Release(void* block) noexcept {
    if (!block)
        return;
    live.fetch_sub(malloc_usable_size(block));
    std::free(block);
}

void* AllocateOrThrow(std::size_t size, std::size_t alignment) {
    void* block = Allocate(size, alignment);
    if (!block)
        throw std::bad_alloc();
    return block;
}

} // namespace

void HeapPeak::Mark() {
    markLevel = live.load();
    peak = markLevel.load();
}

std::size_t HeapPeak::PeakSinceMark() {
    return peak.load() - markLevel.load();
}

std::size_t HeapPeak::Live() {
    return live.load();
}

} // namespace bench

using bench::AllocateOrThrow;

void* operator new(std::size_t size) {
    return AllocateOrThrow(size, 0);
}
void* operator new[](std::size_t size) {
    return AllocateOrThrow(size, 0);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return bench::Allocate(size, 0);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return bench::Allocate(size, 0);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return bench::Allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return bench::Allocate(size, static_cast<std::size_t>(alignment));
}

void operator delete(void* block) noexcept {
    bench::Release(block);
}
void operator delete[](void* block) noexcept {
    bench::Release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    bench::Release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    bench::Release(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
    bench::Release(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
    bench::Release(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
    bench::Release(block);
}
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept {
    bench::Release(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    bench::Release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    bench::Release(block);
}
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    bench::Release(block);
}
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    bench::Release(block);
}
