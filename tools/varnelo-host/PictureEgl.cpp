// --frames in a headless EGL context: a test picture in a texture larger
// than itself, drawn through the plug-in into a framebuffer of the
// picture's size and read back.
#include <GL/gl.h>

#include <cstdio>

#include "EglContext.h"
#include "Picture.h"

namespace varnelohost {

namespace {

// Texels beyond the picture: opaque green, which no picture pixel is (their
// green byte is odd and below 0xFF), so any that reaches the output shows.
constexpr std::uint32_t kOutsideColour = 0xFF00FF00u;

// A pixel of the picture as 0xAABBGGRR. Each pixel of a picture up to
// 4096 x 1024 differs from every other, so a shifted, flipped or scaled
// copy shows.
std::uint32_t PixelAt(std::uint32_t x, std::uint32_t y) {
    const std::uint32_t red = x & 0xFFu;
    const std::uint32_t green = ((y & 0x3Fu) << 2) | 0x1u;
    const std::uint32_t blue = ((x >> 8) & 0x0Fu) | (((y >> 6) & 0x0Fu) << 4);
    return 0xFF000000u | (blue << 16) | (green << 8) | red;
}

std::uint32_t PowerOfTwoAtLeast(std::uint32_t size) {
    std::uint32_t power = 1;
    while (power < size) power <<= 1;
    return power;
}

class EglPictureCheck : public PictureCheck {
public:
    EglPictureCheck(std::unique_ptr<hostkit::EglContext> made, std::uint32_t width,
                    std::uint32_t height)
        : context(std::move(made)),
          inputTexture{width, height, PowerOfTwoAtLeast(width), PowerOfTwoAtLeast(height), 0} {}

    ~EglPictureCheck() override {
        if (inputTexture.textureName != 0 && context->MakeCurrent())
            hostkit::DeleteTexture(inputTexture.textureName);
    }

    bool MakePicture() {
        std::vector<std::uint32_t> texels(
            std::size_t{inputTexture.hardwareWidth} * inputTexture.hardwareHeight, kOutsideColour);
        expected.resize(std::size_t{inputTexture.width} * inputTexture.height);
        for (std::uint32_t y = 0; y < inputTexture.height; ++y) {
            for (std::uint32_t x = 0; x < inputTexture.width; ++x) {
                texels[std::size_t{y} * inputTexture.hardwareWidth + x] = PixelAt(x, y);
                expected[std::size_t{y} * inputTexture.width + x] = PixelAt(x, y);
            }
        }
        inputTexture.textureName =
            hostkit::MakeTexture(static_cast<int>(inputTexture.hardwareWidth),
                                 static_cast<int>(inputTexture.hardwareHeight), texels);
        return inputTexture.textureName != 0;
    }

    std::optional<std::string> Draw(const hostkit::PluginInstance& instance) override {
        // Opaque black: no picture pixel, so a frame the plug-in leaves undrawn shows.
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        const std::uint32_t status = instance.ProcessFrame(frameRecord);
        if (status != ffgl::kSuccess) {
            char text[64];
            std::snprintf(text, sizeof text, "status=0x%08X", status);
            return std::string(text);
        }
        return Compare(context->ReadPixels());
    }

private:
    std::optional<std::string> Compare(const std::vector<std::uint32_t>& actual) const {
        std::size_t differing = 0;
        std::size_t first = 0;
        for (std::size_t at = 0; at < expected.size(); ++at) {
            if (expected[at] != actual[at] && differing++ == 0) first = at;
        }
        if (differing == 0) return std::nullopt;
        char text[160];
        std::snprintf(text, sizeof text, "pixels=%zu first=%zu,%zu sent=0x%08X read=0x%08X",
                      differing, first % inputTexture.width, first / inputTexture.width,
                      expected[first], actual[first]);
        return std::string(text);
    }

    std::unique_ptr<hostkit::EglContext> context;
    ffgl::TextureRecord inputTexture;
    ffgl::TextureRecord* inputs[1] = {&inputTexture};
    ffgl::ProcessOpenGLRecord frameRecord{1, 0, inputs};
    std::vector<std::uint32_t> expected;  // width x height, rows from the bottom
};

}  // namespace

std::unique_ptr<PictureCheck> PictureCheck::Create(std::uint32_t width, std::uint32_t height,
                                                   std::string* error) {
    hostkit::EglContext::Made made =
        hostkit::EglContext::Create(static_cast<int>(width), static_cast<int>(height));
    if (made.context == nullptr) {
        *error = std::string(made.noDisplay ? "--frames: no EGL display on this machine: "
                                            : "--frames: no headless OpenGL context: ") +
                 made.reason;
        return nullptr;
    }
    auto check = std::make_unique<EglPictureCheck>(std::move(made.context), width, height);
    if (!check->MakePicture()) {
        *error = "--frames: the test picture's texture cannot be made";
        return nullptr;
    }
    return check;
}

}  // namespace varnelohost
