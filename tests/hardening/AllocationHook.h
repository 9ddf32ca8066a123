// A test-only hook on the process's allocator: operator new (every form)
// and, where no sanitizer owns the allocator, malloc, calloc and realloc.
// One allocation can be made to fail: the plug-in's libraries, loaded with
// dlopen, allocate through the definitions in this executable.
#pragma once

#include <cstddef>

namespace allocationhook {

// True when malloc, calloc and realloc are hooked too. Under AddressSanitizer
// the sanitizer's allocator owns them and only operator new is hooked.
bool HooksMalloc();

// Makes the allocation `skip` allocations from now fail (0: the next one),
// once; every other allocation succeeds.
void FailAfter(long skip);
// No failure is pending any more.
void Disarm();
// Whether the failure armed last has happened.
bool Fired();

// Bytes held by the heap right now, as its own accounting tells.
std::size_t HeapBytesInUse();
// Blocks made by operator new and not yet deleted.
long LiveNewBlocks();

}  // namespace allocationhook
