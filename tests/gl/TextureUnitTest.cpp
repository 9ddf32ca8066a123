// The once-per-library decision about glActiveTexture, at the seam where a
// context's extension string and version come in: no OpenGL needed.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "TextureUnit.h"

namespace {

using sequencer::UnitZeroDecision;

struct Answers {
    const char* name;
    int version;
    const char* extensions;
    UnitZeroDecision decision;
};

void PrintTo(const Answers& answers, std::ostream* out) { *out << answers.name; }

class UnitZeroDecisionTable : public ::testing::TestWithParam<Answers> {};

TEST_P(UnitZeroDecisionTable, FromOneContextsAnswers) {
    EXPECT_EQ(sequencer::DecideUnitZero(GetParam().version, GetParam().extensions), GetParam().decision);
}

INSTANTIATE_TEST_SUITE_P(
    TextureUnitContexts, UnitZeroDecisionTable,
    ::testing::Values(
        Answers{"NoContext", 0, nullptr, UnitZeroDecision::kUndecided},
        Answers{"Version13", 13, "GL_EXT_bgra", UnitZeroDecision::kCall},
        Answers{"Version13EmptyExtensionString", 13, "", UnitZeroDecision::kCall},
        Answers{"Version13UnreadableExtensions", 13, nullptr, UnitZeroDecision::kUndecided},
        Answers{"CompatibilityProfile45", 45, "GL_ARB_multitexture GL_EXT_bgra", UnitZeroDecision::kCall},
        Answers{"CoreProfileWithoutExtensionString", 45, nullptr, UnitZeroDecision::kUndecided},
        Answers{"UnreadableVersion", 0, "GL_ARB_multitexture", UnitZeroDecision::kSkip},
        Answers{"Version12WithMultitexture", 12, "GL_EXT_bgra GL_ARB_multitexture GL_EXT_abgr",
                UnitZeroDecision::kSkip},
        Answers{"MultitextureFirst", 12, "GL_ARB_multitexture GL_EXT_bgra", UnitZeroDecision::kSkip},
        Answers{"MultitextureLast", 11, "GL_EXT_bgra GL_ARB_multitexture", UnitZeroDecision::kSkip},
        Answers{"MultitextureAlone", 10, "GL_ARB_multitexture", UnitZeroDecision::kSkip},
        Answers{"Version12WithoutMultitexture", 12, "GL_EXT_bgra GL_EXT_abgr", UnitZeroDecision::kSkip},
        Answers{"EmptyExtensionString", 12, "", UnitZeroDecision::kSkip},
        Answers{"OnlyALongerName", 12, "GL_ARB_multitexture_extra GL_XGL_ARB_multitexture",
                UnitZeroDecision::kSkip},
        Answers{"LongerNameBeforeTheRealOne", 12, "GL_ARB_multitexture2 GL_ARB_multitexture",
                UnitZeroDecision::kSkip},
        Answers{"UnreadableExtensions", 12, nullptr, UnitZeroDecision::kUndecided}),
    [](const ::testing::TestParamInfo<Answers>& info) { return info.param.name; });

// A scripted loader: each Select takes the next context's answers. The
// entry point resolves unless the context says otherwise.
struct ScriptedContext {
    int version;
    const char* extensions;
    bool resolves = true;
};

std::vector<ScriptedContext> script;
std::size_t nextContext = 0;
std::vector<std::string> loaderCalls;

const char* ScriptedExtensions() {
    loaderCalls.push_back("extensions");
    return script[nextContext].extensions;
}
int ScriptedVersion() {
    loaderCalls.push_back("version");
    return script[nextContext].version;
}
bool ScriptedResolve() {
    loaderCalls.push_back("resolve");
    return script[nextContext].resolves;
}
void RecordActiveTexture(unsigned unit) { loaderCalls.push_back("active " + std::to_string(unit)); }

// Runs one Select per scripted context; answers the loader calls of each.
std::vector<std::vector<std::string>> SelectInEach(sequencer::UnitZeroSelector& selector,
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

const std::vector<std::string> kAskedExtensions{"extensions"};
const std::vector<std::string> kAskedBoth{"extensions", "version"};
const std::vector<std::string> kInitialisedAndCalled{"extensions", "version", "resolve",
                                                     "active 33984"};  // GL_TEXTURE0
const std::vector<std::string> kCalled{"active 33984"};
const std::vector<std::string> kNothing{};

sequencer::UnitZeroSelector ScriptedSelector() {
    return sequencer::UnitZeroSelector(
        {ScriptedExtensions, ScriptedVersion, ScriptedResolve, RecordActiveTexture});
}

// A core profile answers null for its extensions whatever its version: the
// frame skips and the loader stays uninitialised. The first readable
// extension string initialises it; later contexts are not asked again.
TEST(TextureUnitSelector, SkipsUntilAnExtensionStringIsReadableThenCallsWithoutAsking) {
    sequencer::UnitZeroSelector selector = ScriptedSelector();
    const auto calls = SelectInEach(selector, {{45, nullptr},
                                               {0, nullptr},
                                               {45, nullptr},
                                               {45, "GL_EXT_bgra"},
                                               {12, "GL_EXT_bgra"},
                                               {45, nullptr}});
    EXPECT_EQ(calls[0], kAskedExtensions);  // core profile: skipped, undecided
    EXPECT_EQ(calls[1], kAskedExtensions);  // no context
    EXPECT_EQ(calls[2], kAskedExtensions);  // core profile again
    EXPECT_EQ(calls[3], kInitialisedAndCalled);
    EXPECT_EQ(calls[4], kCalled);  // decided: an older context is not asked
    EXPECT_EQ(calls[5], kCalled);
    EXPECT_EQ(selector.CurrentDecision(), UnitZeroDecision::kCall);
}

TEST(TextureUnitSelector, ASkipIsFinalEvenForALaterCapableContext) {
    sequencer::UnitZeroSelector selector = ScriptedSelector();
    const auto calls = SelectInEach(selector, {{12, "GL_EXT_bgra"}, {45, nullptr}, {13, nullptr}});
    EXPECT_EQ(calls[0], kAskedBoth);
    EXPECT_EQ(calls[1], kNothing);
    EXPECT_EQ(calls[2], kNothing);
    EXPECT_EQ(selector.CurrentDecision(), UnitZeroDecision::kSkip);
}

TEST(TextureUnitSelector, MultitextureOnAnOldVersionIsASkip) {
    sequencer::UnitZeroSelector selector = ScriptedSelector();
    const auto calls = SelectInEach(selector, {{11, "GL_ARB_multitexture"}, {0, nullptr}});
    EXPECT_EQ(calls[0], kAskedBoth);
    EXPECT_EQ(calls[1], kNothing);
    EXPECT_EQ(selector.CurrentDecision(), UnitZeroDecision::kSkip);
}

// A driver that reports 1.3 or later without offering the entry point.
TEST(TextureUnitSelector, AnEntryPointThatDoesNotResolveIsAFinalSkip) {
    sequencer::UnitZeroSelector selector = ScriptedSelector();
    const auto calls = SelectInEach(selector, {{13, "GL_EXT_bgra", false}, {45, "GL_EXT_bgra"}});
    EXPECT_EQ(calls[0], (std::vector<std::string>{"extensions", "version", "resolve"}));
    EXPECT_EQ(calls[1], kNothing);
    EXPECT_EQ(selector.CurrentDecision(), UnitZeroDecision::kSkip);
}

}  // namespace
