#include "CoreProfileContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

namespace gltest {

std::unique_ptr<CoreProfileContext> CoreProfileContext::Create(std::string* reason) {
    const EGLDisplay display = eglGetCurrentDisplay();
    if (display == EGL_NO_DISPLAY) {
        *reason = "no EGL context is current to take the display from";
        return nullptr;
    }
    const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configCount = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &configCount) || configCount < 1) {
        *reason = "no EGL configuration renders desktop OpenGL";
        return nullptr;
    }
    // 3.2 is the first version with profiles.
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                        3,
                                        EGL_CONTEXT_MINOR_VERSION,
                                        2,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                        EGL_NONE};
    if (!eglBindAPI(EGL_OPENGL_API)) {
        *reason = "EGL cannot bind the desktop OpenGL API";
        return nullptr;
    }
    const EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) {
        *reason = "EGL makes no OpenGL 3.2 core profile context";
        return nullptr;
    }
    return std::unique_ptr<CoreProfileContext>(new CoreProfileContext(display, context));
}

CoreProfileContext::~CoreProfileContext() {
    if (eglGetCurrentContext() == context_)
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display_, context_);
}

bool CoreProfileContext::MakeCurrent() {
    return eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_) == EGL_TRUE;
}

}  // namespace gltest
