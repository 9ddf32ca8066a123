// What the pass-through needs of the platform's OpenGL loader. All three
// act on the OpenGL context current on the calling thread.
#pragma once

namespace glloader {

// The current context's OpenGL version as major * 10 + minor (13 for 1.3),
// or 0 when no context is current or its version string cannot be read.
int ContextVersion();

// The current context's extension string, or null when it cannot be read.
const char* ContextExtensions();

// glActiveTexture(unit) through the loader. Call it only once the current
// context is known to provide it (version 1.3 or GL_ARB_multitexture).
void ActiveTexture(unsigned unit);

}  // namespace glloader
