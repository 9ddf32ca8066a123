// The texture-unit decision in real OpenGL contexts, through plugMain. The
// host here leaves a texture unit active before each frame and reads which
// unit is active after it: from unit 1, unit 0 afterwards shows that the
// plug-in called glActiveTexture, unit 1 that it skipped the call. libepoxy
// would abort the process if the plug-in called it where the context
// cannot provide it, so a frame that returns at all has not done that.
//
// The decision is taken once per loaded library, and Mesa reads its version
// and extension overrides when the process makes its first context: each
// case needs a process of its own. CTest runs every case alone; a case that
// finds another one before it in its process skips.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "GlTest.h"
#include "PluginHost.h"

namespace {

using tests::Frame;
using tests::Picture;

constexpr int kWidth = 640;
constexpr int kHeight = 360;

bool processTaken = false;  // a case has run in this process

bool ListsName(const char* list, const std::string& name) {
    const std::string padded = " " + std::string(list != nullptr ? list : "") + " ";
    return padded.find(" " + name + " ") != std::string::npos;
}

// Sets a Mesa override for the process's first context, or clears it.
void Override(const char* variable, const char* value) {
    if (value != nullptr) {
        ASSERT_EQ(setenv(variable, value, 1), 0) << variable;
    } else {
        ASSERT_EQ(unsetenv(variable), 0) << variable;
    }
}

const char* ContextString(GLenum name) { return reinterpret_cast<const char*>(glGetString(name)); }

int ActiveUnit() {
    GLint active = -1;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    return active - GL_TEXTURE0;
}

void ClearErrors() {
    while (glGetError() != GL_NO_ERROR) {
    }
}

// What one frame answered, and the texture unit active after it.
struct Outcome {
    std::uint32_t answer;
    int activeUnit;
};

class GlUnitDecision : public ::testing::Test {
protected:
    void SetUp() override {
        if (processTaken)
            GTEST_SKIP() << "needs a process of its own: run it through ctest, or alone with "
                            "--gtest_filter";
        processTaken = true;
    }

    // Sets Mesa's version and extension overrides (null: none), makes the
    // process's first context, a compatibility one with a framebuffer of
    // kWidth x kHeight, and an instance of Varnelo4.
    void Start(const char* versionOverride, const char* extensionOverride) {
        ASSERT_NO_FATAL_FAILURE(Override("MESA_GL_VERSION_OVERRIDE", versionOverride));
        ASSERT_NO_FATAL_FAILURE(Override("MESA_EXTENSION_OVERRIDE", extensionOverride));
        hostkit::EglContext::Made made = hostkit::EglContext::Create(kWidth, kHeight);
        if (made.noDisplay) GTEST_SKIP() << "no EGL display for OpenGL tests: " << made.reason;
        ASSERT_NE(made.context, nullptr) << made.reason;
        context = std::move(made.context);
        activeTexture = tests::Entry<PFNGLACTIVETEXTUREPROC>("glActiveTexture");
        ASSERT_NE(activeTexture, nullptr);
        std::string error;
        library = hostkit::PluginLibrary::Load(VARNELO4_PATH, &error);
        ASSERT_NE(library, nullptr) << error;
        instance = std::make_unique<hostkit::PluginInstance>(*library);
        ASSERT_TRUE(instance->Valid());
    }

    // The picture in a texture of the current context, as a frame's input.
    std::unique_ptr<Frame> InputFrame() const {
        const unsigned texture = hostkit::MakeTexture(1024, 512, picture.texels);
        EXPECT_NE(texture, 0u) << "the picture's texture could not be made";
        return std::make_unique<Frame>(tests::RecordFor(picture, texture));
    }

    // One frame from a host that leaves `unit` active before it, drawn
    // over a blue framebuffer.
    Outcome FrameFrom(int unit, const Frame& frame) const {
        activeTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
        glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        const std::uint32_t answer = instance->ProcessFrame(frame.record);
        return {answer, ActiveUnit()};
    }

    ::testing::AssertionResult Shows(const std::vector<std::uint32_t>& expected) const {
        return tests::SamePixels(expected, context->ReadPixels(), kWidth);
    }

    const Picture picture = tests::MakePicture(kWidth, kHeight, 1024, 512);
    std::unique_ptr<hostkit::EglContext> context;
    PFNGLACTIVETEXTUREPROC activeTexture = nullptr;
    std::unique_ptr<hostkit::PluginLibrary> library;
    std::unique_ptr<hostkit::PluginInstance> instance;
};

TEST_F(GlUnitDecision, CompatibilityContextOfVersion13OrLaterCallsIt) {
    Start(nullptr, nullptr);
    if (IsSkipped() || HasFatalFailure()) return;
    const char* const version = ContextString(GL_VERSION);
    ASSERT_NE(version, nullptr);
    ASSERT_GE(std::atof(version), 1.3) << version;
    ASSERT_NE(ContextString(GL_EXTENSIONS), nullptr);
    const std::unique_ptr<Frame> frame = InputFrame();

    for (int frameNumber = 1; frameNumber <= 2; ++frameNumber) {
        const Outcome outcome = FrameFrom(1, *frame);
        EXPECT_EQ(outcome.answer, ffgl::kSuccess) << "frame " << frameNumber;
        EXPECT_EQ(outcome.activeUnit, 0) << "frame " << frameNumber;
        EXPECT_TRUE(Shows(picture.expected)) << "frame " << frameNumber;
    }
}

// OpenGL 1.2 contexts, with and without GL_ARB_multitexture in the
// extension string: below 1.3 the call is skipped either way.
struct OldContext {
    const char* name;
    const char* extensionOverride;
    bool listsMultitexture;
};

void PrintTo(const OldContext& old, std::ostream* out) { *out << old.name; }

class GlOldVersion : public GlUnitDecision, public ::testing::WithParamInterface<OldContext> {};

// From unit 1 the quad is drawn on unit 1. glTexCoord sets unit 0's
// coordinates only, so unit 1 samples at its own current coordinates,
// (0, 0), everywhere: the framebuffer shows the picture's first pixel all
// over. From unit 0, as a host of such a context has it, the picture
// arrives unchanged.
TEST_P(GlOldVersion, SkipsItAndDrawsOnTheActiveUnit) {
    Start("1.2", GetParam().extensionOverride);
    if (IsSkipped() || HasFatalFailure()) return;
    const char* const version = ContextString(GL_VERSION);
    ASSERT_NE(version, nullptr);
    ASSERT_EQ(std::strncmp(version, "1.2 ", 4), 0)
        << "Mesa ignored the version override: " << version;
    ASSERT_EQ(ListsName(ContextString(GL_EXTENSIONS), "GL_ARB_multitexture"),
              GetParam().listsMultitexture)
        << "Mesa did not follow the extension override";
    const std::unique_ptr<Frame> frame = InputFrame();
    const std::vector<std::uint32_t> firstPixelAllOver(picture.expected.size(),
                                                       picture.expected[0]);

    for (int frameNumber = 1; frameNumber <= 2; ++frameNumber) {
        const Outcome outcome = FrameFrom(1, *frame);
        EXPECT_EQ(outcome.answer, ffgl::kSuccess) << "frame " << frameNumber;
        EXPECT_EQ(outcome.activeUnit, 1) << "frame " << frameNumber;
        EXPECT_TRUE(Shows(firstPixelAllOver)) << "frame " << frameNumber;
    }
    for (int frameNumber = 3; frameNumber <= 4; ++frameNumber) {
        const Outcome outcome = FrameFrom(0, *frame);
        EXPECT_EQ(outcome.answer, ffgl::kSuccess) << "frame " << frameNumber;
        EXPECT_EQ(outcome.activeUnit, 0) << "frame " << frameNumber;
        EXPECT_TRUE(Shows(picture.expected)) << "frame " << frameNumber;
        GLint bound = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(bound, 0);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    }
}

INSTANTIATE_TEST_SUITE_P(
    GlContexts, GlOldVersion,
    ::testing::Values(OldContext{"Version12WithMultitexture", "+GL_ARB_multitexture", true},
                      OldContext{"Version12WithoutMultitexture", "-GL_ARB_multitexture", false}),
    [](const ::testing::TestParamInfo<OldContext>& info) { return info.param.name; });

// A core profile has no readable extension string: its frames skip the
// call and leave the loader uninitialised. It has no immediate mode either,
// so its quads only raise OpenGL errors. The first frame in a compatibility
// context initialises the loader and calls glActiveTexture; from then on
// the core profile's frames call it too, without being asked again.
TEST_F(GlUnitDecision, CoreProfileSkipsUntilACompatibilityContextInitialises) {
    Start(nullptr, nullptr);
    if (IsSkipped() || HasFatalFailure()) return;
    const std::unique_ptr<Frame> compatibilityFrame = InputFrame();
    hostkit::EglContext::Made made =
        hostkit::EglContext::Create(kWidth, kHeight, hostkit::EglContext::Profile::kCore);
    ASSERT_NE(made.context, nullptr) << made.reason;
    const std::unique_ptr<hostkit::EglContext> core = std::move(made.context);
    const std::unique_ptr<Frame> coreFrame = InputFrame();
    ASSERT_EQ(ContextString(GL_EXTENSIONS), nullptr) << "the core profile lists its extensions";
    ClearErrors();

    for (int frameNumber = 1; frameNumber <= 2; ++frameNumber) {
        const Outcome outcome = FrameFrom(1, *coreFrame);
        EXPECT_EQ(outcome.answer, ffgl::kSuccess) << "core frame " << frameNumber;
        EXPECT_EQ(outcome.activeUnit, 1) << "core frame " << frameNumber;
        ClearErrors();
    }

    ASSERT_TRUE(context->MakeCurrent());
    const Outcome initialising = FrameFrom(1, *compatibilityFrame);
    EXPECT_EQ(initialising.answer, ffgl::kSuccess);
    EXPECT_EQ(initialising.activeUnit, 0);
    EXPECT_TRUE(Shows(picture.expected));

    ASSERT_TRUE(core->MakeCurrent());
    const Outcome decided = FrameFrom(1, *coreFrame);
    EXPECT_EQ(decided.answer, ffgl::kSuccess);
    EXPECT_EQ(decided.activeUnit, 0);
    ClearErrors();
}

}  // namespace
