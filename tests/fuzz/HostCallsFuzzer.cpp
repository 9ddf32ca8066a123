// libFuzzer target: one library's plugMain, linked in, driven by the host
// calls that each input reads as (see HostCalls.h). Built per step count.
#include <cstddef>
#include <cstdint>

#include "FreeFrameGL.h"
#include "HostCalls.h"

extern "C" ffgl::HostWord plugMain(std::uint32_t code, ffgl::HostWord input, void* instance);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hostcalls::Play(plugMain, data, size);
    return 0;
}
