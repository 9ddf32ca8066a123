// The once-per-library decision about glActiveTexture, at the seam where a
// context's version and extension answers come in: no OpenGL needed.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "TextureUnit.h"

namespace {

using textureunit::Decision;

struct Answers {
    const char* name;
    int version;
    const char* extensions;
    Decision decision;
};

void PrintTo(const Answers& answers, std::ostream* out) { *out << answers.name; }

class Decide : public ::testing::TestWithParam<Answers> {};

TEST_P(Decide, FromOneContextsAnswers) {
    EXPECT_EQ(textureunit::Decide(GetParam().version, GetParam().extensions), GetParam().decision);
}

INSTANTIATE_TEST_SUITE_P(
    TextureUnitContexts, Decide,
    ::testing::Values(
        Answers{"NoContext", 0, "GL_ARB_multitexture", Decision::kUndecided},
        Answers{"Version13", 13, nullptr, Decision::kCall},
        Answers{"CoreProfileWithoutExtensionString", 45, nullptr, Decision::kCall},
        Answers{"Version12WithMultitexture", 12, "GL_EXT_bgra GL_ARB_multitexture GL_EXT_abgr",
                Decision::kCall},
        Answers{"MultitextureFirst", 12, "GL_ARB_multitexture GL_EXT_bgra", Decision::kCall},
        Answers{"MultitextureLast", 11, "GL_EXT_bgra GL_ARB_multitexture", Decision::kCall},
        Answers{"MultitextureAlone", 10, "GL_ARB_multitexture", Decision::kCall},
        Answers{"Version12WithoutMultitexture", 12, "GL_EXT_bgra GL_EXT_abgr", Decision::kSkip},
        Answers{"EmptyExtensionString", 12, "", Decision::kSkip},
        Answers{"OnlyALongerName", 12, "GL_ARB_multitexture_extra GL_XGL_ARB_multitexture",
                Decision::kSkip},
        Answers{"LongerNameBeforeTheRealOne", 12, "GL_ARB_multitexture2 GL_ARB_multitexture",
                Decision::kCall},
        Answers{"UnreadableExtensions", 12, nullptr, Decision::kUndecided}),
    [](const ::testing::TestParamInfo<Answers>& info) { return info.param.name; });

// A scripted loader: each Select takes the next context's answers.
struct ScriptedContext {
    int version;
    const char* extensions;
};

std::vector<ScriptedContext> script;
std::size_t nextContext = 0;
std::vector<std::string> loaderCalls;

int ScriptedVersion() {
    loaderCalls.push_back("version");
    return script[nextContext].version;
}
const char* ScriptedExtensions() {
    loaderCalls.push_back("extensions");
    return script[nextContext].extensions;
}
void RecordActiveTexture(unsigned unit) { loaderCalls.push_back("active " + std::to_string(unit)); }

// Runs one Select per scripted context; answers the loader calls of each.
std::vector<std::vector<std::string>> SelectInEach(textureunit::UnitZeroSelector& selector,
                                                   std::vector<ScriptedContext> contexts) {
    script = std::move(contexts);
    std::vector<std::vector<std::string>> callsPerFrame;
    for (nextContext = 0; nextContext < script.size(); ++nextContext) {
        loaderCalls.clear();
        selector.Select();
        callsPerFrame.push_back(loaderCalls);
    }
    return callsPerFrame;
}

const std::vector<std::string> kAsked{"version"};
const std::vector<std::string> kAskedBoth{"version", "extensions"};
const std::vector<std::string> kCalled{"active 33984"};  // GL_TEXTURE0
const std::vector<std::string> kNothing{};

textureunit::UnitZeroSelector ScriptedSelector() {
    return textureunit::UnitZeroSelector({ScriptedVersion, ScriptedExtensions, RecordActiveTexture});
}

TEST(TextureUnitSelector, AsksAgainUntilAContextAnswersThenCallsWithoutAsking) {
    textureunit::UnitZeroSelector selector = ScriptedSelector();
    const auto calls = SelectInEach(selector, {{0, nullptr}, {12, nullptr}, {13, nullptr}, {0, nullptr}});
    EXPECT_EQ(calls[0], kAsked);       // no context: nothing called
    EXPECT_EQ(calls[1], kAskedBoth);   // 1.2 without a readable extension string
    EXPECT_EQ(calls[2], (std::vector<std::string>{"version", "active 33984"}));
    EXPECT_EQ(calls[3], kCalled);      // decided: never asked again
    EXPECT_EQ(selector.decision(), Decision::kCall);
}

TEST(TextureUnitSelector, ASkipIsFinalEvenForALaterCapableContext) {
    textureunit::UnitZeroSelector selector = ScriptedSelector();
    const auto calls = SelectInEach(selector, {{12, "GL_EXT_bgra"}, {45, nullptr}, {13, nullptr}});
    EXPECT_EQ(calls[0], kAskedBoth);
    EXPECT_EQ(calls[1], kNothing);
    EXPECT_EQ(calls[2], kNothing);
    EXPECT_EQ(selector.decision(), Decision::kSkip);
}

TEST(TextureUnitSelector, MultitextureOnAnOldVersionIsACall) {
    textureunit::UnitZeroSelector selector = ScriptedSelector();
    const auto calls = SelectInEach(selector, {{11, "GL_ARB_multitexture"}, {0, nullptr}});
    EXPECT_EQ(calls[0], (std::vector<std::string>{"version", "extensions", "active 33984"}));
    EXPECT_EQ(calls[1], kCalled);
}

}  // namespace
