// A desktop OpenGL core profile context for the tests, made on the EGL
// display of the context current when it is created (the host kit's
// surfaceless display). It has no framebuffer: what is drawn there goes
// nowhere, which is all a test of what a frame decides needs. A core
// profile answers glGetString(GL_EXTENSIONS) with null.
#pragma once

#include <memory>
#include <string>

namespace gltest {

class CoreProfileContext {
public:
    // A core profile context of version 3.2 or later, not yet current, or
    // null with the reason. Needs a current EGL context for its display.
    static std::unique_ptr<CoreProfileContext> Create(std::string* reason);
    // Destroys the context; the display stays as the host kit keeps it.
    ~CoreProfileContext();
    CoreProfileContext(const CoreProfileContext&) = delete;
    CoreProfileContext& operator=(const CoreProfileContext&) = delete;

    bool MakeCurrent();

private:
    CoreProfileContext(void* display, void* context) : display_(display), context_(context) {}

    void* display_;
    void* context_;
};

}  // namespace gltest
