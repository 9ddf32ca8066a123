#include "AllocationHook.h"

#include <malloc.h>

#include <cerrno>

#include <cstdlib>
#include <new>

#include "Sanitizer.h"

#if defined(VARNELO_ASAN)
#include <sanitizer/allocator_interface.h>
#endif

#if !defined(VARNELO_ASAN)
// glibc's own allocator under its exported names, behind the hooked
// malloc, calloc and realloc at the end of this file.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void __libc_free(void* block);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}
#endif

namespace {


// Plain globals: zero before any constructor runs, so allocations made
// during static initialisation are counted too. Single-threaded use.
long allocationsToSkip = -1;  // -1: no failure pending
bool fired = false;
long liveNewBlocks = 0;
#if !defined(VARNELO_ASAN)
// Usable bytes of the blocks that malloc, calloc, realloc and the aligned
// forms handed out and free has not taken back.
std::size_t liveMallocBytes = 0;

void* Counted(void* block) {
    if (block != nullptr) liveMallocBytes += malloc_usable_size(block);
    return block;
}
#endif

// Allocations that do not count towards the failure: operator new's own.
void* RawAllocate(std::size_t size) {
#if defined(VARNELO_ASAN)
    return std::malloc(size);
#else
    return Counted(__libc_malloc(size));
#endif
}

void* RawAllocateAligned(std::size_t alignment, std::size_t size) {
#if defined(VARNELO_ASAN)
    void* block = nullptr;
    return posix_memalign(&block, alignment, size) == 0 ? block : nullptr;
#else
    return Counted(__libc_memalign(alignment, size));
#endif
}

// True for the allocation that is to fail.
bool FailThisOne() {
    if (allocationsToSkip < 0) return false;
    if (allocationsToSkip-- > 0) return false;
    fired = true;
    return true;
}

void* NewBlock(std::size_t size) {
    if (FailThisOne()) return nullptr;
    void* const block = RawAllocate(size != 0 ? size : 1);
    if (block != nullptr) ++liveNewBlocks;
    return block;
}

void* NewAlignedBlock(std::size_t size, std::align_val_t alignment) {
    if (FailThisOne()) return nullptr;
    const auto bytes = static_cast<std::size_t>(alignment);
    void* const block = RawAllocateAligned(bytes < sizeof(void*) ? sizeof(void*) : bytes, size != 0 ? size : 1);
    if (block != nullptr) ++liveNewBlocks;
    return block;
}

void DeleteBlock(void* block) noexcept {
    if (block == nullptr) return;
    --liveNewBlocks;
    std::free(block);
}

}  // namespace

namespace allocationhook {

bool HooksMalloc() {
#if defined(VARNELO_ASAN)
    return false;
#else
    return true;
#endif
}

void FailAfter(long skip) {
    fired = false;
    allocationsToSkip = skip;
}

void Disarm() { allocationsToSkip = -1; }

bool Fired() { return fired; }

std::size_t HeapBytesInUse() {
#if defined(VARNELO_ASAN)
    return __sanitizer_get_current_allocated_bytes();
#else
    return liveMallocBytes;
#endif
}

long LiveNewBlocks() { return liveNewBlocks; }

}  // namespace allocationhook

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
    liveMallocBytes -= old;
    return Counted(moved);
}
void free(void* block) noexcept {
    if (block == nullptr) return;
    liveMallocBytes -= malloc_usable_size(block);
    __libc_free(block);
}
void* memalign(std::size_t alignment, std::size_t size) noexcept { return Aligned(alignment, size); }
void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    return Aligned(alignment, size);
}
int posix_memalign(void** block, std::size_t alignment, std::size_t size) noexcept {
    void* const made = Aligned(alignment, size);
    if (made == nullptr) return ENOMEM;
    *block = made;
    return 0;
}
void* valloc(std::size_t size) noexcept { return Aligned(4096, size); }
void* pvalloc(std::size_t size) noexcept { return Aligned(4096, (size + 4095) / 4096 * 4096); }
}
#endif
