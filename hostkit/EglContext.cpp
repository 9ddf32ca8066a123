#include "EglContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

namespace hostkit {

namespace {

// The display is shared by every context of the process and stays
// initialised until the process ends: Mesa loses a little memory at each
// eglTerminate (which leak checkers report), and a display costs nothing
// while no context uses it.
EGLDisplay sharedDisplay = EGL_NO_DISPLAY;

bool HasName(const char* list, const char* name) {
    if (list == nullptr) return false;
    const std::size_t length = std::strlen(name);
    for (const char* found = std::strstr(list, name); found != nullptr;
         found = std::strstr(found + 1, name)) {
        if ((found == list || found[-1] == ' ') && (found[length] == ' ' || found[length] == '\0'))
            return true;
    }
    return false;
}

EGLDisplay OpenSurfacelessDisplay(std::string* reason) {
    if (sharedDisplay != EGL_NO_DISPLAY) return sharedDisplay;
    const char* const clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!HasName(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        *reason = "EGL offers no surfaceless platform (EGL_MESA_platform_surfaceless)";
        return EGL_NO_DISPLAY;
    }
    EGLDisplay display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA,
                                               EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) {
        *reason = "no surfaceless EGL display";
        return EGL_NO_DISPLAY;
    }
    EGLint major = 0;
    EGLint minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
        *reason = "the surfaceless EGL display does not initialise (no driver?)";
        return EGL_NO_DISPLAY;
    }
    sharedDisplay = display;
    return display;
}

EGLContext MakeContext(EGLDisplay display, EglContext::Profile profile, std::string* reason) {
    if (!eglBindAPI(EGL_OPENGL_API)) {
        *reason = "EGL cannot bind the desktop OpenGL API";
        return EGL_NO_CONTEXT;
    }
    // The surfaceless platform has no window configurations, the default asked for.
    const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configCount = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &configCount) || configCount < 1) {
        *reason = "no EGL configuration renders desktop OpenGL";
        return EGL_NO_CONTEXT;
    }
    const EGLint compatibility[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                    EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    // 3.2 is the first version with profiles.
    const EGLint core[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 2,
                           EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                           EGL_NONE};
    const bool isCore = profile == EglContext::Profile::kCore;
    EGLContext context =
        eglCreateContext(display, config, EGL_NO_CONTEXT, isCore ? core : compatibility);
    if (context == EGL_NO_CONTEXT) {
        *reason = isCore ? "EGL makes no OpenGL 3.2 core profile context"
                         : "EGL makes no OpenGL compatibility context";
    }
    return context;
}

template <typename Function>
Function Entry(const char* name) {
    return reinterpret_cast<Function>(eglGetProcAddress(name));
}

}  // namespace

EglContext::Made EglContext::Create(int width, int height, Profile profile) {
    Made made;
    if (width <= 0 || height <= 0) {
        made.reason = "a framebuffer needs a positive width and height";
        return made;
    }
    const EGLDisplay display = OpenSurfacelessDisplay(&made.reason);
    if (display == EGL_NO_DISPLAY) {
        made.noDisplay = true;
        return made;
    }
    const EGLContext handle = MakeContext(display, profile, &made.reason);
    if (handle == EGL_NO_CONTEXT) return made;
    std::unique_ptr<EglContext> newContext(new EglContext(display, handle, width, height));
    if (!newContext->MakeCurrent()) {
        made.reason = "the OpenGL context cannot be made current without a surface";
        return made;
    }
    if (!newContext->MakeFramebuffer(&made.reason)) return made;
    made.context = std::move(newContext);
    return made;
}

EglContext::~EglContext() {
    if (MakeCurrent()) {
        const auto deleteFramebuffers = Entry<PFNGLDELETEFRAMEBUFFERSPROC>("glDeleteFramebuffers");
        const auto deleteRenderbuffers = Entry<PFNGLDELETERENDERBUFFERSPROC>("glDeleteRenderbuffers");
        if (framebuffer != 0 && deleteFramebuffers != nullptr) deleteFramebuffers(1, &framebuffer);
        if (colourBuffer != 0 && deleteRenderbuffers != nullptr) deleteRenderbuffers(1, &colourBuffer);
    }
    ReleaseCurrent();
    eglDestroyContext(eglDisplay, eglContext);
}

bool EglContext::MakeCurrent() {
    return eglMakeCurrent(eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, eglContext) == EGL_TRUE;
}

void EglContext::ReleaseCurrent() {
    const EGLDisplay display = eglGetCurrentDisplay();
    if (display != EGL_NO_DISPLAY)
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

bool EglContext::MakeFramebuffer(std::string* reason) {
    const auto genFramebuffers = Entry<PFNGLGENFRAMEBUFFERSPROC>("glGenFramebuffers");
    const auto bindFramebuffer = Entry<PFNGLBINDFRAMEBUFFERPROC>("glBindFramebuffer");
    const auto genRenderbuffers = Entry<PFNGLGENRENDERBUFFERSPROC>("glGenRenderbuffers");
    const auto bindRenderbuffer = Entry<PFNGLBINDRENDERBUFFERPROC>("glBindRenderbuffer");
    const auto renderbufferStorage = Entry<PFNGLRENDERBUFFERSTORAGEPROC>("glRenderbufferStorage");
    const auto attachRenderbuffer =
        Entry<PFNGLFRAMEBUFFERRENDERBUFFERPROC>("glFramebufferRenderbuffer");
    const auto checkStatus = Entry<PFNGLCHECKFRAMEBUFFERSTATUSPROC>("glCheckFramebufferStatus");
    if (genFramebuffers == nullptr || bindFramebuffer == nullptr || genRenderbuffers == nullptr ||
        bindRenderbuffer == nullptr || renderbufferStorage == nullptr ||
        attachRenderbuffer == nullptr || checkStatus == nullptr) {
        *reason = "the OpenGL context has no framebuffer objects";
        return false;
    }
    genRenderbuffers(1, &colourBuffer);
    bindRenderbuffer(GL_RENDERBUFFER, colourBuffer);
    renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, pixelWidth, pixelHeight);
    bindRenderbuffer(GL_RENDERBUFFER, 0);
    genFramebuffers(1, &framebuffer);
    bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    attachRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer);
    if (checkStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        *reason = "the framebuffer object is incomplete";
        return false;
    }
    glViewport(0, 0, pixelWidth, pixelHeight);
    if (glGetError() != GL_NO_ERROR) {
        *reason = "OpenGL reported an error while making the framebuffer";
        return false;
    }
    return true;
}

std::vector<std::uint32_t> EglContext::ReadPixels() const {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(pixelWidth) * static_cast<std::size_t>(pixelHeight));
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, pixelWidth, pixelHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void* EglContext::ProcAddress(const char* name) {
    return reinterpret_cast<void*>(eglGetProcAddress(name));
}

unsigned MakeTexture(int hardwareWidth, int hardwareHeight, const std::vector<std::uint32_t>& texels) {
    if (hardwareWidth <= 0 || hardwareHeight <= 0 ||
        texels.size() != static_cast<std::size_t>(hardwareWidth) * static_cast<std::size_t>(hardwareHeight))
        return 0;
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, hardwareWidth, hardwareHeight, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &name);
        return 0;
    }
    return name;
}

void DeleteTexture(unsigned name) {
    const GLuint texture = name;
    glDeleteTextures(1, &texture);
}

}  // namespace hostkit
