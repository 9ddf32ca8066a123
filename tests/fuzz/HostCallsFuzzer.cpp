// libFuzzer target: one library's plugMain, linked in, driven by the host
// calls that each input reads as (see HostCalls.h). Built per step count.
#include <cstddef>
#include <cstdint>

#include "FreeFrameGL.h"
#include "HostCalls.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tests::Play(plugMain, data, size);
    return 0;
}
