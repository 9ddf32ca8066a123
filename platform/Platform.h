// What differs between the platforms the plug-in is built for: how a
// host's text address is tested before it is read. How the entry point is
// exported is in Export.h, the OpenGL entry points in GlLoader.h.
//
// Implemented once in ReadableText.cpp, and per platform in
// ReadableByteLinux.cpp (the kernel copies the byte for us) and
// ReadableByteWindows.cpp (IsBadReadPtr).
#pragma once

#include <cstddef>

namespace platform {

// True when the byte at `address` can be read by this process without a
// fault. Null is never readable. Tests one byte only; called when a host
// hands over a text, never per frame.
bool IsReadableByte(const void* address);

// True when `text` can be read as far as a reader that stops at its
// terminator or after `maxLength` characters would read it: its first
// byte is readable and, where it runs on unterminated into the next page,
// so is that page's first byte. `maxLength` is at most one page (4 KiB),
// so such a text crosses at most one page boundary.
bool IsReadableText(const char* text, std::size_t maxLength);

}  // namespace platform
