// What differs between the platforms the plug-in is built for: how the
// entry point is exported, how a host's text address is tested before it
// is read, and how numbers are read whatever locale the host has set.
// Implemented in PlatformPosix.cpp and PlatformWindows.cpp.
#pragma once

#if defined(_WIN32)
#define VARNELO_EXPORT extern "C" __declspec(dllexport)
#else
#define VARNELO_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace platform {

// True when the byte at `address` can be read by this process without a
// fault. Null is never readable. Tests one byte only; called when a host
// hands over a text, never per frame.
bool IsReadableByte(const void* address);

// The standard text-to-double conversion (leading blanks, sign, decimal,
// exponent, hexadecimal, infinity and not-a-number forms) with "." as the
// decimal point whatever locale the host has set. Returns 0 when no prefix
// of `text` forms a number.
double ParseDouble(const char* text);

}  // namespace platform
