// The Windows OpenGL loader: opengl32.dll exports OpenGL 1.1 only, so
// glActiveTexture (OpenGL 1.3) comes from the context's driver through
// wglGetProcAddress. It is resolved at most once: in the context where the
// pass-through first reads an extension string, if that context's version
// is 1.3 or later.
#include "GlLoader.h"

#include <windows.h>

#include <GL/gl.h>

#include <cstdint>

namespace platform {

namespace {

using ActiveTextureFunction = void(APIENTRY*)(GLenum unit);

// Set by ResolveActiveTexture and kept for the life of the loaded library;
// null until then, and when the driver did not offer the entry point.
ActiveTextureFunction activeTexture = nullptr;

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

// The core name only: a driver of version 1.3 or later offers it, and
// libepoxy on Linux takes that name alone in such a context as well. The
// extension's glActiveTextureARB is not asked for, so both builds call
// glActiveTexture in exactly the same contexts.
ActiveTextureFunction LookUpActiveTexture() {
    const PROC entry = wglGetProcAddress("glActiveTexture");
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

// Null with no context current, and in a core profile context.
const char* ContextExtensions() { return ContextString(GL_EXTENSIONS); }

bool ResolveActiveTexture() {
    activeTexture = LookUpActiveTexture();
    return activeTexture != nullptr;
}

void ActiveTexture(unsigned unit) {
    if (activeTexture != nullptr) activeTexture(unit);
}

}  // namespace platform
