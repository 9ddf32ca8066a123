// A probe on the process's heap, for programs that check what the plug-ins
// allocate: it counts allocations, tells the bytes in use, and can make one
// allocation fail. Linking it replaces the process's allocator entry points:
// every form of operator new and delete and, where no sanitizer owns the
// allocator, malloc, calloc, realloc, free and the aligned forms, which
// pass on to glibc's own. Plug-in libraries loaded with dlopen allocate
// through these definitions when the program exports them
// (ENABLE_EXPORTS), as C++ new and the C library's own calls do anyway.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hostkit {

// Static functions only: the heap is one per process.
class HeapProbe {
public:
    // True when malloc and its relatives are probed too. Under AddressSanitizer
    // the sanitizer's allocator owns them and only operator new is probed.
    static bool ProbesMalloc();

    // Allocations so far, on every thread and on the calling thread alone (a
    // host's thread, which calls plugMain, beside a driver's own threads).
    static std::uint64_t Allocations();
    static std::uint64_t AllocationsOnThisThread();

    // Bytes held by the heap right now, as its own accounting tells.
    static std::size_t BytesInUse();
    // Blocks made by operator new and not yet deleted.
    static long LiveNewBlocks();

    // Makes the allocation `skip` allocations from now fail (0: the next one),
    // once; every other allocation succeeds. Arm it only while one thread
    // allocates.
    static void FailAfter(long skip);
    // No failure is pending any more.
    static void Disarm();
    // Whether the failure armed last has happened.
    static bool Fired();
};

}  // namespace hostkit
