#include "PassThrough.h"

#if defined(_WIN32)
#include <windows.h>

#include <GL/gl.h>
#else
#include <epoxy/gl.h>
#endif

#include "TextureUnit.h"

namespace sequencer {

namespace {

// The frame's first input texture when it can be drawn: the record lists at
// least one texture, the array and its first entry are there, and the
// allocated size has no zero side. Null otherwise.
const ffgl::TextureRecord* DrawableInput(const ffgl::ProcessOpenGLRecord& frame) {
    if (frame.inputTextureCount == 0 || frame.inputTextures == nullptr) return nullptr;
    const ffgl::TextureRecord* const input = frame.inputTextures[0];
    if (input == nullptr || input->hardwareWidth == 0 || input->hardwareHeight == 0) return nullptr;
    return input;
}

// One quad over normalised device coordinates -1 .. 1, texture coordinate
// (0, 0) at the lower left, so the picture appears as stored. `s` and `t`
// are the picture's share of the allocated texture in each direction.
void DrawQuad(double s, double t) {
    glBegin(GL_QUADS);
    glTexCoord2d(0.0, 0.0);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2d(0.0, t);
    glVertex2f(-1.0f, 1.0f);
    glTexCoord2d(s, t);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2d(s, 0.0);
    glVertex2f(1.0f, -1.0f);
    glEnd();
}

}  // namespace

std::uint32_t DrawPassThrough(const ffgl::ProcessOpenGLRecord* frame) {
    const ffgl::TextureRecord* const input = frame != nullptr ? DrawableInput(*frame) : nullptr;
    if (input == nullptr) return ffgl::kFailure;

    sequencer::SelectUnitZero();
    glBindTexture(GL_TEXTURE_2D, input->textureName);
    glEnable(GL_TEXTURE_2D);
    // Each u32 converts exactly to double; the hardware sizes are not zero.
    DrawQuad(static_cast<double>(input->width) / static_cast<double>(input->hardwareWidth),
             static_cast<double>(input->height) / static_cast<double>(input->hardwareHeight));
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    return ffgl::kSuccess;
}

}  // namespace sequencer
