// What the pass-through needs of the platform's OpenGL loader. Each
// function acts on the OpenGL context current on the calling thread.
#pragma once

namespace platform {

// The current context's extension string, or null when it cannot be read:
// no context is current, or a core profile context, which answers
// glGetString(GL_EXTENSIONS) with null.
const char* ContextExtensions();

// The current context's OpenGL version as major * 10 + minor (13 for 1.3),
// or 0 when no context is current or its version string cannot be read.
int ContextVersion();

// Resolves glActiveTexture in the current context and keeps the entry point
// for the life of the loaded library. Call it once, and only in a context
// whose version is 1.3 or later. True when the entry point is there.
bool ResolveActiveTexture();

// glActiveTexture(unit) through the entry point resolved. Call it only
// after ResolveActiveTexture answered true.
void ActiveTexture(unsigned unit);

}  // namespace platform
