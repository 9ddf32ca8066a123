// The video pass-through: the frame's first input texture drawn unchanged
// over the host's render target, with the host's own matrices, viewport,
// colour, blending and texture environment. The same for every step count.
#pragma once

#include <cstdint>

#include "FreeFrameGL.h"

namespace sequencer {

// One frame, in the host's current OpenGL context. A frame without a
// drawable input (no texture listed, a null array or first entry, a zero
// hardware width or height) touches no OpenGL state and answers
// ffgl::kFailure: there is nothing to pass through. Otherwise the input is
// bound on texture unit 0 when the library's loader has decided to call
// glActiveTexture (TextureUnit.h), and on whatever unit the host left
// active when it has not; that unit is the active one after the frame.
// Answers ffgl::kSuccess. Nothing is allocated or created.
std::uint32_t DrawPassThrough(const ffgl::ProcessOpenGLRecord* frame);

}  // namespace sequencer
