// A context that cannot provide glActiveTexture: OpenGL 1.2 without
// GL_ARB_multitexture, made by Mesa's overrides. libepoxy would abort the
// process if the plug-in called glActiveTexture here, so a frame that
// returns at all has skipped the call. The overrides are read when the
// process makes its first context, so this test runs in a process of its
// own and sets them before that.
#include <cstdlib>
#include <cstring>
#include <string>

#include "GlTest.h"
#include "PluginHost.h"

namespace {

bool ListsName(const char* list, const std::string& name) {
    const std::string padded = " " + std::string(list != nullptr ? list : "") + " ";
    return padded.find(" " + name + " ") != std::string::npos;
}

TEST(GlContextWithoutActiveTexture, StillGetsItsQuadAndAnswersZero) {
    ASSERT_EQ(setenv("MESA_GL_VERSION_OVERRIDE", "1.2", 1), 0);
    ASSERT_EQ(setenv("MESA_EXTENSION_OVERRIDE", "-GL_ARB_multitexture", 1), 0);
    constexpr int kWidth = 640;
    constexpr int kHeight = 360;
    hostkit::EglContext::Made made = hostkit::EglContext::Create(kWidth, kHeight);
    if (made.noDisplay) GTEST_SKIP() << "no EGL display for OpenGL tests: " << made.reason;
    ASSERT_NE(made.context, nullptr) << made.reason;
    const char* const version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const char* const extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    ASSERT_NE(version, nullptr);
    ASSERT_EQ(std::strncmp(version, "1.2 ", 4), 0) << "Mesa ignored the version override: " << version;
    ASSERT_FALSE(ListsName(extensions, "GL_ARB_multitexture"))
        << "Mesa kept GL_ARB_multitexture in the extension string";

    std::string error;
    const auto library = hostkit::PluginLibrary::Load(VARNELO4_PATH, &error);
    ASSERT_NE(library, nullptr) << error;
    hostkit::PluginInstance instance(*library);
    const gltest::Picture picture = gltest::MakePicture(kWidth, kHeight, 1024, 512);
    const gltest::Frame frame(gltest::RecordFor(
        picture, hostkit::MakeTexture(1024, 512, picture.texels)));
    for (int frameNumber = 1; frameNumber <= 2; ++frameNumber) {
        glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        EXPECT_EQ(instance.ProcessFrame(frame.record), ffgl::kSuccess);
        EXPECT_TRUE(gltest::SamePixels(picture.expected, made.context->ReadPixels(), kWidth))
            << "frame " << frameNumber;
        GLint bound = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(bound, 0);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    }
}

}  // namespace
