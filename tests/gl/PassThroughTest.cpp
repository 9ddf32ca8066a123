// The pass-through in a real OpenGL context, through plugMain as a host
// calls it: what reaches the framebuffer, what OpenGL state a frame leaves,
// and frames drawn with no context or without a usable input.
#include <dlfcn.h>

#include <array>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "GlTest.h"
#include "PluginHost.h"

namespace {

using tests::Frame;
using tests::GlTest;
using tests::Picture;

std::unique_ptr<hostkit::PluginLibrary> LoadLibrary(const char* path) {
    std::string error;
    std::unique_ptr<hostkit::PluginLibrary> library = hostkit::PluginLibrary::Load(path, &error);
    EXPECT_NE(library, nullptr) << error;
    return library;
}

struct Sizes {
    std::uint32_t hardwareWidth;
    std::uint32_t hardwareHeight;
};

void PrintTo(const Sizes& sizes, std::ostream* out) {
    *out << sizes.hardwareWidth << " x " << sizes.hardwareHeight;
}

class PassThrough : public GlTest, public ::testing::WithParamInterface<Sizes> {};

// The picture always has the framebuffer's size, so each output pixel
// samples one texel at its centre: linear filtering must give it exactly.
TEST_P(PassThrough, DrawsThePictureUnchangedAndUnflipped) {
    const std::unique_ptr<hostkit::PluginLibrary> library = LoadLibrary(VARNELO4_PATH);
    ASSERT_NE(library, nullptr);
    hostkit::PluginInstance instance(*library);
    ASSERT_TRUE(instance.Valid());
    const Picture picture = tests::MakePicture(kWidth, kHeight, GetParam().hardwareWidth,
                                                GetParam().hardwareHeight);
    const Frame frame(tests::RecordFor(picture, Texture(picture)));
    ClearTo(0.0f, 0.0f, 1.0f);

    EXPECT_EQ(instance.ProcessFrame(frame.record), ffgl::kSuccess);
    EXPECT_TRUE(tests::SamePixels(picture.expected, context->ReadPixels(), kWidth));
}

INSTANTIATE_TEST_SUITE_P(GlTextures, PassThrough,
                         ::testing::Values(Sizes{1024, 512},  // s 0.625, t 0.703125
                                           Sizes{640, 360},   // the picture fills its texture
                                           Sizes{640, 512},   // s 1 only
                                           Sizes{1024, 360}),  // t 1 only
                         [](const ::testing::TestParamInfo<Sizes>& info) {
                             return std::to_string(info.param.hardwareWidth) + "x" +
                                    std::to_string(info.param.hardwareHeight);
                         });

// What a host might have set before the frame, on the units and elsewhere.
class GlFrameState : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        activeTexture = tests::Entry<PFNGLACTIVETEXTUREPROC>("glActiveTexture");
        ASSERT_NE(activeTexture, nullptr);
    }

    PFNGLACTIVETEXTUREPROC activeTexture = nullptr;
};

GLint Integer(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

std::array<GLfloat, 16> Matrix(GLenum name) {
    std::array<GLfloat, 16> matrix{};
    glGetFloatv(name, matrix.data());
    return matrix;
}

TEST_F(GlFrameState, LeavesUnitZeroActiveEmptyAndDisabledAndTheRestAsItWas) {
    const std::unique_ptr<hostkit::PluginLibrary> library = LoadLibrary(VARNELO4_PATH);
    ASSERT_NE(library, nullptr);
    hostkit::PluginInstance instance(*library);
    const Picture input = tests::MakePicture(kWidth, kHeight, 1024, 512);
    const Picture hostsOwn = tests::MakePicture(16, 16, 16, 16, 7);
    const unsigned inputTexture = Texture(input);
    const unsigned hostOnUnitZero = Texture(hostsOwn);
    const unsigned hostOnUnitOne = Texture(hostsOwn);
    const Frame frame(tests::RecordFor(input, inputTexture));

    // The host's state: its own textures bound and enabled on units 0 and
    // 1 with unit 1 active, and matrices, viewport, blending, colour and
    // texture environment of its own.
    activeTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, hostOnUnitZero);
    glEnable(GL_TEXTURE_2D);
    activeTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, hostOnUnitOne);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
    glMatrixMode(GL_PROJECTION);
    glOrtho(-2, 2, -2, 2, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(0.25f, 0.0f, 0.0f);
    glViewport(10, 20, 300, 200);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.5f, 0.25f, 0.125f, 0.75f);
    const auto projection = Matrix(GL_PROJECTION_MATRIX);
    const auto modelview = Matrix(GL_MODELVIEW_MATRIX);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    EXPECT_EQ(instance.ProcessFrame(frame.record), ffgl::kSuccess);

    EXPECT_EQ(Integer(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    activeTexture(GL_TEXTURE1);
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(hostOnUnitOne));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint environmentMode = -1;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environmentMode);
    EXPECT_EQ(environmentMode, GL_ADD);
    EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(Matrix(GL_PROJECTION_MATRIX), projection);
    EXPECT_EQ(Matrix(GL_MODELVIEW_MATRIX), modelview);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::to_string(viewport[0]) + " " + std::to_string(viewport[1]) + " " +
                  std::to_string(viewport[2]) + " " + std::to_string(viewport[3]),
              "10 20 300 200");
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(Integer(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(Integer(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    std::array<GLfloat, 4> colour{};
    glGetFloatv(GL_CURRENT_COLOR, colour.data());
    EXPECT_EQ(colour, (std::array<GLfloat, 4>{0.5f, 0.25f, 0.125f, 0.75f}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The probe library is Varnelo4 with Connect counted.
int ProbeConnectCalls() {
    void* const handle = dlopen(VARNELO_GL_PROBE_PATH, RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) return -1;
    const auto connectCalls = reinterpret_cast<int (*)()>(dlsym(handle, "ConnectCalls"));
    const int calls = connectCalls != nullptr ? connectCalls() : -1;
    dlclose(handle);
    return calls;
}

TEST_F(GlTest, FirstFrameConnectsOnceAndEveryFrameDraws) {
    const std::unique_ptr<hostkit::PluginLibrary> library = LoadLibrary(VARNELO_GL_PROBE_PATH);
    ASSERT_NE(library, nullptr);
    hostkit::PluginInstance instance(*library);
    ASSERT_TRUE(instance.Valid());
    const Picture picture = tests::MakePicture(kWidth, kHeight, 1024, 512);
    const Frame frame(tests::RecordFor(picture, Texture(picture)));
    EXPECT_EQ(ProbeConnectCalls(), 0);

    for (int frameNumber = 1; frameNumber <= 3; ++frameNumber) {
        ClearTo(0.0f, 0.0f, 1.0f);
        EXPECT_EQ(instance.ProcessFrame(frame.record), ffgl::kSuccess);
        EXPECT_EQ(ProbeConnectCalls(), 1) << "after frame " << frameNumber;
        EXPECT_TRUE(tests::SamePixels(picture.expected, context->ReadPixels(), kWidth))
            << "frame " << frameNumber;
    }
}

// Two instances of one library and instances of two libraries take turns
// in one context; each draws its own picture.
TEST_F(GlTest, InstancesOfOneAndOfTwoLibrariesEachDraw) {
    const std::unique_ptr<hostkit::PluginLibrary> four = LoadLibrary(VARNELO4_PATH);
    const std::unique_ptr<hostkit::PluginLibrary> eight = LoadLibrary(VARNELO8_PATH);
    ASSERT_NE(four, nullptr);
    ASSERT_NE(eight, nullptr);
    const hostkit::PluginInstance instances[] = {hostkit::PluginInstance(*four),
                                                 hostkit::PluginInstance(*four),
                                                 hostkit::PluginInstance(*eight)};
    std::vector<Picture> pictures;
    std::vector<std::unique_ptr<Frame>> frames;
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        pictures.push_back(tests::MakePicture(kWidth, kHeight, 1024, 512, seed * 40));
        frames.push_back(std::make_unique<Frame>(tests::RecordFor(pictures.back(), Texture(pictures.back()))));
    }

    for (int round = 0; round < 2; ++round) {
        for (std::size_t i = 0; i < 3; ++i) {
            ClearTo(0.0f, 0.0f, 1.0f);
            EXPECT_EQ(instances[i].ProcessFrame(frames[i]->record), ffgl::kSuccess);
            EXPECT_TRUE(tests::SamePixels(pictures[i].expected, context->ReadPixels(), kWidth))
                << "instance " << i << ", round " << round;
        }
    }
}

// Frames with no context current: before any context existed in the
// process (the loader has resolved nothing yet), and after drawing in one.
// Neither may abort; the first context that answers afterwards decides.
TEST(GlNoContext, FrameBeforeAnyContextDoesNotAbortAndTheNextContextDecides) {
    const std::unique_ptr<hostkit::PluginLibrary> library = LoadLibrary(VARNELO4_PATH);
    ASSERT_NE(library, nullptr);
    hostkit::PluginInstance instance(*library);
    ffgl::TextureRecord nothingYet{640, 360, 1024, 512, 1};
    const Frame early(nothingYet);
    EXPECT_EQ(instance.ProcessFrame(early.record), ffgl::kSuccess);

    hostkit::EglContext::Made made = hostkit::EglContext::Create(640, 360);
    if (made.noDisplay) GTEST_SKIP() << "no EGL display for OpenGL tests: " << made.reason;
    ASSERT_NE(made.context, nullptr) << made.reason;
    const auto activeTexture = tests::Entry<PFNGLACTIVETEXTUREPROC>("glActiveTexture");
    const Picture picture = tests::MakePicture(640, 360, 1024, 512);
    const unsigned texture = hostkit::MakeTexture(1024, 512, picture.texels);
    const Frame frame(tests::RecordFor(picture, texture));
    activeTexture(GL_TEXTURE1);

    EXPECT_EQ(instance.ProcessFrame(frame.record), ffgl::kSuccess);
    EXPECT_EQ(Integer(GL_ACTIVE_TEXTURE), GL_TEXTURE0) << "the first answering context decides";
    EXPECT_TRUE(tests::SamePixels(picture.expected, made.context->ReadPixels(), 640));
}

TEST_F(GlTest, FrameAfterTheContextWasReleasedDoesNotAbort) {
    const std::unique_ptr<hostkit::PluginLibrary> library = LoadLibrary(VARNELO4_PATH);
    ASSERT_NE(library, nullptr);
    hostkit::PluginInstance instance(*library);
    const Picture picture = tests::MakePicture(kWidth, kHeight, 1024, 512);
    const Frame frame(tests::RecordFor(picture, Texture(picture)));
    ASSERT_EQ(instance.ProcessFrame(frame.record), ffgl::kSuccess);

    hostkit::EglContext::ReleaseCurrent();
    EXPECT_EQ(instance.ProcessFrame(frame.record), ffgl::kSuccess);

    ASSERT_TRUE(context->MakeCurrent());
    ClearTo(0.0f, 0.0f, 1.0f);
    EXPECT_EQ(instance.ProcessFrame(frame.record), ffgl::kSuccess);
    EXPECT_TRUE(tests::SamePixels(picture.expected, context->ReadPixels(), kWidth));
}

// Frames a host should not send to a plug-in that takes one input. Each
// answers failure and leaves the framebuffer and the OpenGL state alone:
// no address is read that could be null, nothing is divided by zero.
struct BadFrame {
    const char* name;
    std::uint32_t count;
    bool nullArray;
    bool nullFirstRecord;
    std::uint32_t hardwareWidth;
    std::uint32_t hardwareHeight;
};

void PrintTo(const BadFrame& frame, std::ostream* out) { *out << frame.name; }

class BadFrames : public GlTest, public ::testing::WithParamInterface<BadFrame> {};

TEST_P(BadFrames, AnswerFailureAndDrawNothing) {
    const std::unique_ptr<hostkit::PluginLibrary> library = LoadLibrary(VARNELO4_PATH);
    ASSERT_NE(library, nullptr);
    hostkit::PluginInstance instance(*library);
    const Picture picture = tests::MakePicture(kWidth, kHeight, 1024, 512);
    const BadFrame& bad = GetParam();
    ffgl::TextureRecord texture = tests::RecordFor(picture, Texture(picture));
    texture.hardwareWidth = bad.hardwareWidth;
    texture.hardwareHeight = bad.hardwareHeight;
    ffgl::TextureRecord* inputs[1] = {bad.nullFirstRecord ? nullptr : &texture};
    const ffgl::ProcessOpenGLRecord record{bad.count, 0, bad.nullArray ? nullptr : inputs};
    const auto activeTexture = tests::Entry<PFNGLACTIVETEXTUREPROC>("glActiveTexture");
    activeTexture(GL_TEXTURE1);
    ClearTo(0.0f, 0.0f, 1.0f);
    const std::vector<std::uint32_t> before = context->ReadPixels();

    EXPECT_EQ(instance.ProcessFrame(record), ffgl::kFailure);
    EXPECT_TRUE(tests::SamePixels(before, context->ReadPixels(), kWidth));
    EXPECT_EQ(Integer(GL_ACTIVE_TEXTURE), GL_TEXTURE1);
}

INSTANTIATE_TEST_SUITE_P(
    GlHostFaults, BadFrames,
    ::testing::Values(BadFrame{"NoTextureCounted", 0, false, false, 1024, 512},
                      BadFrame{"NullArray", 1, true, false, 1024, 512},
                      BadFrame{"NullFirstRecord", 1, false, true, 1024, 512},
                      BadFrame{"ZeroHardwareWidth", 1, false, false, 0, 512},
                      BadFrame{"ZeroHardwareHeight", 1, false, false, 1024, 0},
                      BadFrame{"ZeroHardwareSize", 1, false, false, 0, 0}),
    [](const ::testing::TestParamInfo<BadFrame>& info) { return info.param.name; });

}  // namespace
