// Plays a byte string as a sequence of host calls against one library's
// plugMain: instantiate, set any parameter index to any 32-bit value or any
// command text up to 4 KB (also null, on an unreadable page, or without a
// terminator before an unreadable page), get, display, connect, disconnect,
// resize, input status, frames without a drawable input, de-instantiate,
// and codes sent without an instance. Used by the libFuzzer target and by
// the test that replays the corpus and every crash found.
//
// Only calls a correct host could make are played: handles are ones code 18
// returned and not yet released, record addresses point at real records.
// The plug-in must answer every one of them without a fault or a leak.
#pragma once

#include <cstddef>
#include <cstdint>

#include "FreeFrameGL.h"

namespace tests {

// Reading a string as calls: each call starts with one byte, Operation
// modulo kOperationCount, followed by the bytes its operation reads; a
// string that ends early reads as zeros. At the end every live instance
// is de-instantiated and the library de-initialised, so one string leaves
// the library as it found it.
enum Operation : std::uint8_t {
    kInstantiate,
    kDeinstantiate,
    kSetWord,      // slot, index, 32-bit value
    kSetText,      // slot, placement, length (2 bytes), text bytes
    kSetRun,       // slot, float bits
    kSetSwitch,    // slot, which switch, value
    kGet,          // slot, index
    kDisplay,      // slot, index
    kInstanceCode, // slot, code choice, index
    kFrame,        // slot, kind of undrawable frame
    kCodeWithoutInstance,  // code (4 bytes), input word (4 bytes)
    kDeinitialise,
    kOperationCount,
};

void Play(PlugMainFunction plugMain, const std::uint8_t* data, std::size_t size);

}  // namespace tests
