// The Windows OpenGL loader: opengl32.dll exports OpenGL 1.1 only, so
// glActiveTexture (1.3, or GL_ARB_multitexture's glActiveTextureARB) comes
// from the context's driver through wglGetProcAddress.
#include "GlLoader.h"

#include <windows.h>

#include <GL/gl.h>

#include <cstdint>

namespace glloader {

namespace {

using ActiveTextureFunction = void(APIENTRY*)(GLenum unit);

// Resolved at the first ActiveTexture call, in the context current then,
// and kept for the life of the loaded library; null when the driver
// offered neither name.
ActiveTextureFunction activeTexture = nullptr;
bool activeTextureResolved = false;

const char* ContextString(GLenum name) {
    if (wglGetCurrentContext() == nullptr) return nullptr;
    return reinterpret_cast<const char*>(glGetString(name));
}

// Reads the decimal digits at `text` into `number`, at most three of them
// (every longer number is taken as 999). False when no digit is there.
bool ReadNumber(const char*& text, int& number) {
    if (*text < '0' || *text > '9') return false;
    number = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (number < 999) number = number * 10 + (*text - '0');
    }
    if (number > 999) number = 999;
    return true;
}

// Some drivers answer 1, 2, 3 or -1 instead of null for a name they lack.
bool IsEntryPoint(PROC entry) {
    const auto value = reinterpret_cast<std::intptr_t>(entry);
    return value < -1 || value > 3;
}

ActiveTextureFunction ResolveActiveTexture() {
    PROC entry = wglGetProcAddress("glActiveTexture");
    if (!IsEntryPoint(entry)) entry = wglGetProcAddress("glActiveTextureARB");
    if (!IsEntryPoint(entry)) return nullptr;
    // Through void (*)(), the one function type every other converts to
    // and from without a cast-function-type warning.
    return reinterpret_cast<ActiveTextureFunction>(reinterpret_cast<void (*)()>(entry));
}

}  // namespace

// The version string starts "major.minor", then optionally ".release" and
// vendor text. A minor beyond 9 counts as 9, so that the result still
// orders versions.
int ContextVersion() {
    const char* text = ContextString(GL_VERSION);
    if (text == nullptr) return 0;
    int major = 0;
    int minor = 0;
    if (!ReadNumber(text, major) || *text++ != '.' || !ReadNumber(text, minor)) return 0;
    return major * 10 + (minor > 9 ? 9 : minor);
}

const char* ContextExtensions() { return ContextString(GL_EXTENSIONS); }

void ActiveTexture(unsigned unit) {
    if (!activeTextureResolved) {
        activeTexture = ResolveActiveTexture();
        activeTextureResolved = true;
    }
    if (activeTexture != nullptr) activeTexture(unit);
}

}  // namespace glloader
