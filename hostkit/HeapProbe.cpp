#include "HeapProbe.h"

#include <malloc.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>

// VARNELO_ASAN: AddressSanitizer owns malloc in this build (clang and gcc
// say so differently).
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VARNELO_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(VARNELO_ASAN)
#define VARNELO_ASAN 1
#endif

#if defined(VARNELO_ASAN)
#include <sanitizer/allocator_interface.h>
#else
// glibc's own allocator under its exported names, behind the probed
// malloc, calloc and realloc at the end of this file. The C library's names
// and parameter names are not ours to choose.
// NOLINTBEGIN(readability-identifier-naming)
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void __libc_free(void* block);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}
// NOLINTEND(readability-identifier-naming)
#endif

namespace {

// Constant-initialised, so allocations made during static initialisation
// are counted too. Relaxed atomics: a driver's threads allocate as well.
std::atomic<std::uint64_t> allocationCount{0};
// Static thread-local storage, which needs no allocation of its own.
thread_local std::uint64_t threadAllocationCount = 0;
std::atomic<long> liveNewBlocks{0};
std::atomic<long> allocationsToSkip{-1};  // -1: no failure pending
std::atomic<bool> fired{false};

void CountOne() {
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    ++threadAllocationCount;
}

// True for the allocation that is to fail.
bool FailThisOne() {
    if (allocationsToSkip.load(std::memory_order_relaxed) < 0) return false;
    if (allocationsToSkip.fetch_sub(1, std::memory_order_relaxed) > 0) return false;
    allocationsToSkip.store(-1, std::memory_order_relaxed);
    fired.store(true, std::memory_order_relaxed);
    return true;
}

#if !defined(VARNELO_ASAN)
// Usable bytes of the blocks handed out and not yet freed.
std::atomic<std::size_t> liveMallocBytes{0};

// Counts a block that glibc handed out, if it did.
void* Counted(void* block) {
    if (block != nullptr) {
        CountOne();
        liveMallocBytes.fetch_add(malloc_usable_size(block), std::memory_order_relaxed);
    }
    return block;
}

void Uncount(void* block) {
    liveMallocBytes.fetch_sub(malloc_usable_size(block), std::memory_order_relaxed);
}
#endif

// The allocations behind operator new, which counts its own failure.
void* RawAllocate(std::size_t size) {
#if defined(VARNELO_ASAN)
    CountOne();
    return std::malloc(size);
#else
    return Counted(__libc_malloc(size));
#endif
}

void* RawAllocateAligned(std::size_t alignment, std::size_t size) {
#if defined(VARNELO_ASAN)
    CountOne();
    void* block = nullptr;
    return posix_memalign(&block, alignment, size) == 0 ? block : nullptr;
#else
    return Counted(__libc_memalign(alignment, size));
#endif
}

void* NewBlock(std::size_t size) {
    if (FailThisOne()) return nullptr;
    void* const block = RawAllocate(size != 0 ? size : 1);
    if (block != nullptr) liveNewBlocks.fetch_add(1, std::memory_order_relaxed);
    return block;
}

void* NewAlignedBlock(std::size_t size, std::align_val_t alignment) {
    if (FailThisOne()) return nullptr;
    const auto bytes = static_cast<std::size_t>(alignment);
    void* const block =
        RawAllocateAligned(bytes < sizeof(void*) ? sizeof(void*) : bytes, size != 0 ? size : 1);
    if (block != nullptr) liveNewBlocks.fetch_add(1, std::memory_order_relaxed);
    return block;
}

void DeleteBlock(void* block) noexcept {
    if (block == nullptr) return;
    liveNewBlocks.fetch_sub(1, std::memory_order_relaxed);
    std::free(block);
}

}  // namespace

namespace hostkit {

bool HeapProbe::ProbesMalloc() {
#if defined(VARNELO_ASAN)
    return false;
#else
    return true;
#endif
}

std::uint64_t HeapProbe::Allocations() { return allocationCount.load(std::memory_order_relaxed); }

std::uint64_t HeapProbe::AllocationsOnThisThread() { return threadAllocationCount; }

std::size_t HeapProbe::BytesInUse() {
#if defined(VARNELO_ASAN)
    return __sanitizer_get_current_allocated_bytes();
#else
    return liveMallocBytes.load(std::memory_order_relaxed);
#endif
}

long HeapProbe::LiveNewBlocks() { return liveNewBlocks.load(std::memory_order_relaxed); }

void HeapProbe::FailAfter(long skip) {
    fired.store(false, std::memory_order_relaxed);
    allocationsToSkip.store(skip, std::memory_order_relaxed);
}

void HeapProbe::Disarm() { allocationsToSkip.store(-1, std::memory_order_relaxed); }

bool HeapProbe::Fired() { return fired.load(std::memory_order_relaxed); }

}  // namespace hostkit

void* operator new(std::size_t size) {
    void* const block = NewBlock(size);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return NewBlock(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return NewBlock(size); }
void* operator new(std::size_t size, std::align_val_t alignment) {
    void* const block = NewAlignedBlock(size, alignment);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return operator new(size, alignment);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return NewAlignedBlock(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return NewAlignedBlock(size, alignment);
}

void operator delete(void* block) noexcept { DeleteBlock(block); }
void operator delete[](void* block) noexcept { DeleteBlock(block); }
void operator delete(void* block, std::size_t) noexcept { DeleteBlock(block); }
void operator delete[](void* block, std::size_t) noexcept { DeleteBlock(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { DeleteBlock(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { DeleteBlock(block); }
void operator delete(void* block, std::align_val_t) noexcept { DeleteBlock(block); }
void operator delete[](void* block, std::align_val_t) noexcept { DeleteBlock(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { DeleteBlock(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { DeleteBlock(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    DeleteBlock(block);
}
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    DeleteBlock(block);
}

#if !defined(VARNELO_ASAN)
// Every library's calls to malloc and its relatives, and glibc's own,
// arrive here.
namespace {

void* Aligned(std::size_t alignment, std::size_t size) {
    return FailThisOne() ? nullptr : Counted(__libc_memalign(alignment, size));
}

}  // namespace

// NOLINTBEGIN(readability-inconsistent-declaration-parameter-name)
extern "C" {
void* malloc(std::size_t size) noexcept {
    return FailThisOne() ? nullptr : Counted(__libc_malloc(size));
}
void* calloc(std::size_t count, std::size_t size) noexcept {
    return FailThisOne() ? nullptr : Counted(__libc_calloc(count, size));
}
void* realloc(void* block, std::size_t size) noexcept {
    if (FailThisOne()) return nullptr;
    const std::size_t old = block != nullptr ? malloc_usable_size(block) : 0;
    void* const moved = __libc_realloc(block, size);
    if (moved == nullptr && size != 0) return nullptr;  // the old block stays
    liveMallocBytes.fetch_sub(old, std::memory_order_relaxed);
    return Counted(moved);
}
void free(void* block) noexcept {
    if (block == nullptr) return;
    Uncount(block);
    __libc_free(block);
}
void* memalign(std::size_t alignment, std::size_t size) noexcept { return Aligned(alignment, size); }
void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    return Aligned(alignment, size);
}
int posix_memalign(void** block, std::size_t alignment, std::size_t size) noexcept {
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* const made = Aligned(alignment, size);
    if (made == nullptr) return ENOMEM;
    *block = made;
    return 0;
}
void* valloc(std::size_t size) noexcept { return Aligned(4096, size); }
void* pvalloc(std::size_t size) noexcept { return Aligned(4096, (size + 4095) / 4096 * 4096); }
}
// NOLINTEND(readability-inconsistent-declaration-parameter-name)
#endif
