// Heap allocations made by the whole process, on every thread, counted by
// the benchmark's own malloc, calloc, realloc and aligned allocators (which
// pass on to glibc's). C++ new arrives here through malloc; so do the
// plug-in's and the OpenGL driver's allocations.
#pragma once

#include <cstdint>

namespace allocations {

// Allocations so far on all threads, and on the calling thread alone (the
// host's thread, which calls plugMain; the driver's rasteriser threads
// allocate on their own timing).
std::uint64_t Count();
std::uint64_t CountOnThisThread();

}  // namespace allocations
