#include "AllocationCount.h"

#include <malloc.h>
#include <stdlib.h>

#include <atomic>
#include <cerrno>
#include <cstddef>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}

namespace {

std::atomic<std::uint64_t> allocationCount{0};
// Plain and zero-initialised: static thread-local storage, which needs no
// allocation of its own.
thread_local std::uint64_t threadAllocationCount = 0;

void CountOne() {
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    ++threadAllocationCount;
}

}  // namespace

namespace allocations {

std::uint64_t Count() { return allocationCount.load(std::memory_order_relaxed); }
std::uint64_t CountOnThisThread() { return threadAllocationCount; }

}  // namespace allocations

// These replace glibc's for the whole process; free stays glibc's, which
// takes every block these hand out.
extern "C" {

void* malloc(std::size_t size) noexcept {
    CountOne();
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) noexcept {
    CountOne();
    return __libc_calloc(count, size);
}

void* realloc(void* block, std::size_t size) noexcept {
    CountOne();
    return __libc_realloc(block, size);
}

void* memalign(std::size_t alignment, std::size_t size) noexcept {
    CountOne();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    CountOne();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** block, std::size_t alignment, std::size_t size) noexcept {
    CountOne();
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* const made = __libc_memalign(alignment, size);
    if (made == nullptr) return ENOMEM;
    *block = made;
    return 0;
}

}  // extern "C"
