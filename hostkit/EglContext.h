// A headless OpenGL context for tests and the command-line host: a desktop
// OpenGL context (compatibility, or a 3.2 core profile for tests of what a
// frame does there) on Mesa's surfaceless EGL platform (llvmpipe
// when there is no GPU), drawing into a framebuffer object of a given size.
// No window system or display server is needed. One thread: the context is
// current on the thread that made it until ReleaseCurrent.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace hostkit {

class EglContext {
public:
    struct Made {
        std::unique_ptr<EglContext> context;  // null on failure
        // True when the failure is that no EGL display can be had at all
        // (no surfaceless platform, no driver): callers skip rather than fail.
        bool noDisplay = false;
        std::string reason;  // one line, set on failure
    };

    enum class Profile {
        kCompatibility,  // immediate mode and all, as VJ hosts draw
        kCore,  // OpenGL 3.2 core: no immediate mode, no extension string
    };

    // Makes the context current with an RGBA8 framebuffer object of
    // width x height texels bound for drawing and reading, the viewport
    // covering it and everything else at OpenGL's defaults.
    static Made Create(int width, int height, Profile profile = Profile::kCompatibility);
    // Releases the context and its framebuffer. The EGL display stays
    // initialised until the process ends, for the next context.
    ~EglContext();
    EglContext(const EglContext&) = delete;
    EglContext& operator=(const EglContext&) = delete;

    int Width() const { return pixelWidth; }
    int Height() const { return pixelHeight; }

    // Makes this context current again (its framebuffer stays bound), or
    // leaves the thread with no context current at all.
    bool MakeCurrent();
    static void ReleaseCurrent();

    // glReadPixels of the whole framebuffer after glFinish: width x height
    // pixels as 0xAABBGGRR words (bytes R, G, B, A in memory), rows from the
    // bottom up as OpenGL numbers them.
    std::vector<std::uint32_t> ReadPixels() const;

    // An entry point of the current context beyond OpenGL 1.1, or null.
    static void* ProcAddress(const char* name);

private:
    EglContext(void* display, void* context, int width, int height)
        : eglDisplay(display), eglContext(context), pixelWidth(width), pixelHeight(height) {}
    bool MakeFramebuffer(std::string* reason);

    void* eglDisplay;
    void* eglContext;
    int pixelWidth;
    int pixelHeight;
    unsigned framebuffer = 0;
    unsigned colourBuffer = 0;
};

// A GL_TEXTURE_2D of hardwareWidth x hardwareHeight RGBA8 texels made in
// the current context, filled from `texels` (hardwareWidth * hardwareHeight
// words as ReadPixels returns them, rows from the bottom up), with linear
// filtering and edge clamping; texture 0 is bound on the active unit
// afterwards. Answers its name, 0 on failure.
unsigned MakeTexture(int hardwareWidth, int hardwareHeight, const std::vector<std::uint32_t>& texels);
void DeleteTexture(unsigned name);

}  // namespace hostkit
