// What the OpenGL tests share: a headless context per test, patterned
// pictures in textures larger than themselves, and frames that point at
// them as a host's process-OpenGL record does.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "EglContext.h"
#include "FreeFrameGL.h"

namespace tests {

// A picture of width x height inside a texture of hardwareWidth x
// hardwareHeight. Every picture pixel differs from every other (and from
// its mirror images); the texels beyond the picture are a colour no picture
// pixel has, so any of them that reaches the output shows.
struct Picture {
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t hardwareWidth;
    std::uint32_t hardwareHeight;
    std::vector<std::uint32_t> texels;    // hardwareWidth x hardwareHeight
    std::vector<std::uint32_t> expected;  // width x height, as ReadPixels gives it
};

constexpr std::uint32_t kOutsideColour = 0xFF00FF00u;  // opaque green: no picture has it

inline std::uint32_t PixelAt(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
    const std::uint32_t red = x & 0xFFu;
    const std::uint32_t green = ((y & 0x3Fu) << 2) | 0x1u;  // odd: never the outside colour
    const std::uint32_t blue = (((x >> 8) & 0x0Fu) | ((y >> 6) << 4)) ^ (seed & 0xFFu);
    return 0xFF000000u | (blue << 16) | (green << 8) | red;
}

inline Picture MakePicture(std::uint32_t width, std::uint32_t height, std::uint32_t hardwareWidth,
                           std::uint32_t hardwareHeight, std::uint32_t seed = 0) {
    Picture picture{width, height, hardwareWidth, hardwareHeight,
                    std::vector<std::uint32_t>(std::size_t{hardwareWidth} * hardwareHeight, kOutsideColour),
                    std::vector<std::uint32_t>(std::size_t{width} * height)};
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t pixel = PixelAt(x, y, seed);
            picture.texels[std::size_t{y} * hardwareWidth + x] = pixel;
            picture.expected[std::size_t{y} * width + x] = pixel;
        }
    }
    return picture;
}

// A texture record and the one-entry array and record that point at it.
// Not copyable: the records hold addresses of each other.
struct Frame {
    explicit Frame(ffgl::TextureRecord record) : texture(record) {}
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    ffgl::TextureRecord texture;
    ffgl::TextureRecord* inputs[1] = {&texture};
    ffgl::ProcessOpenGLRecord record{1, 0, inputs};
};

inline ffgl::TextureRecord RecordFor(const Picture& picture, unsigned textureName) {
    return {picture.width, picture.height, picture.hardwareWidth, picture.hardwareHeight,
            textureName};
}

// The number of pixels that differ, and the first of them, for a message.
inline ::testing::AssertionResult SamePixels(const std::vector<std::uint32_t>& expected,
                                             const std::vector<std::uint32_t>& actual,
                                             std::uint32_t width) {
    if (expected.size() != actual.size())
        return ::testing::AssertionFailure() << "sizes " << expected.size() << " and " << actual.size();
    std::size_t differing = 0;
    std::size_t first = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] != actual[i] && differing++ == 0) first = i;
    }
    if (differing == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << differing << " pixels differ; the first at x " << first % width << ", y "
           << first / width << ": expected 0x" << std::hex << expected[first] << ", read 0x"
           << actual[first];
}

template <typename Function>
Function Entry(const char* name) {
    return reinterpret_cast<Function>(hostkit::EglContext::ProcAddress(name));
}

// A test with a current headless context of kWidth x kHeight; skipped with
// the reason when the machine has no EGL display at all.
class GlTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 360;

    void SetUp() override { MakeContext(kWidth, kHeight); }

    void MakeContext(int width, int height) {
        hostkit::EglContext::Made made = hostkit::EglContext::Create(width, height);
        if (made.noDisplay) GTEST_SKIP() << "no EGL display for OpenGL tests: " << made.reason;
        ASSERT_NE(made.context, nullptr) << made.reason;
        context = std::move(made.context);
    }

    unsigned Texture(const Picture& picture) {
        const unsigned name = hostkit::MakeTexture(static_cast<int>(picture.hardwareWidth),
                                               static_cast<int>(picture.hardwareHeight),
                                               picture.texels);
        EXPECT_NE(name, 0u) << "the picture's texture could not be made";
        return name;
    }

    static void ClearTo(float red, float green, float blue) {
        glClearColor(red, green, blue, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    std::unique_ptr<hostkit::EglContext> context;
};

}  // namespace tests
