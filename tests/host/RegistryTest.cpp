// The parameter registry and the base class's defaults, from inside.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "FreeFrameGLPlugin.h"
#include "PluginManager.h"

namespace {

std::string NameField(const ffgl::CFFGLPluginManager& registry, std::uint32_t index) {
    const char* name = registry.GetParamName(index);
    return name != nullptr ? std::string(name, 16) : std::string("<null>");
}

TEST(Registry, NamesKeepAtMostSixteenCharacters) {
    ffgl::CFFGLPluginManager registry;
    registry.AddFloatParameter(0, "abc", ffgl::kTypeStandard, 0.0f);
    registry.AddFloatParameter(1, "sixteen chars ok", ffgl::kTypeStandard, 0.0f);
    registry.AddFloatParameter(2, "twenty characters!!!", ffgl::kTypeStandard, 0.0f);
    EXPECT_EQ(NameField(registry, 0), std::string("abc") + std::string(13, '\0'));
    EXPECT_EQ(NameField(registry, 1), "sixteen chars ok");  // no terminator in the field
    EXPECT_EQ(NameField(registry, 2), "twenty character");
}

TEST(Registry, FloatDefaultsAreClampedIntoTheUnitRange) {
    const std::pair<float, float> cases[] = {
        {1.5f, 1.0f}, {-0.2f, 0.0f}, {0.3f, 0.3f}, {1.0f, 1.0f}, {-0.0f, -0.0f},
    };
    ffgl::CFFGLPluginManager registry;
    std::uint32_t index = 0;
    for (const auto& [given, stored] : cases) {
        registry.AddFloatParameter(index, "f", ffgl::kTypeStandard, given);
        EXPECT_EQ(registry.GetParamDefault(index), ffgl::WordFromFloat(stored)) << given;
        ++index;
    }
}

TEST(Registry, BooleanAndTextDefaults) {
    ffgl::CFFGLPluginManager registry;
    char text[] = "hello";
    registry.AddBoolParameter(0, "on", ffgl::kTypeBoolean, true);
    registry.AddBoolParameter(1, "off", ffgl::kTypeBoolean, false);
    registry.AddTextParameter(2, "text", ffgl::kTypeText, text);
    text[0] = 'J';  // the registry kept its own copy

    EXPECT_EQ(ffgl::NumberOf(registry.GetParamDefault(0)), ffgl::NumberOf(ffgl::WordFromFloat(1.0f)));
    EXPECT_EQ(ffgl::NumberOf(registry.GetParamDefault(1)), 0u);
    const char* copy = ffgl::AddressOf<const char>(registry.GetParamDefault(2));
    EXPECT_STREQ(copy, "hello");
    EXPECT_NE(copy, text);
    for (std::uint32_t index = 0; index < 3; ++index) {
        EXPECT_EQ(registry.GetParamExtraA(index), 1);
        EXPECT_EQ(registry.GetParamExtraB(index), 0);
    }
}

TEST(Registry, LookupsTakeTheFirstRecordOfAnIndex) {
    ffgl::CFFGLPluginManager registry;
    registry.AddFloatParameter(7, "first", ffgl::kTypeStandard, 0.25f);
    registry.AddBoolParameter(7, "second", ffgl::kTypeBoolean, true);
    EXPECT_EQ(registry.GetNumParams(), 2u);  // both counted
    EXPECT_STREQ(registry.GetParamName(7), "first");
    EXPECT_EQ(registry.GetParamType(7), ffgl::kTypeStandard);
    EXPECT_EQ(registry.GetParamDefault(7), ffgl::WordFromFloat(0.25f));
}

TEST(Registry, UnregisteredIndexAnswersNullOrMinusOne) {
    ffgl::CFFGLPluginManager registry;
    registry.AddFloatParameter(0, "only", ffgl::kTypeStandard, 0.5f);
    EXPECT_EQ(registry.GetParamName(1), nullptr);
    EXPECT_EQ(registry.GetParamType(1), -1);
    EXPECT_EQ(registry.GetParamExtraA(1), -1);
    EXPECT_EQ(registry.GetParamExtraB(1), -1);
    EXPECT_EQ(ffgl::NumberOf(registry.GetParamDefault(1)), 0xFFFFFFFFu);
}

// A plug-in that only stores one float, for the base class's display.
class FloatPlugin : public ffgl::CFreeFrameGLPlugin {
public:
    FloatPlugin() {
        AddFloatParameter(0, "value", ffgl::kTypeStandard, 0.0f);
        AddBoolParameter(1, "switch", ffgl::kTypeBoolean, true);
        AddTextParameter(2, "text", ffgl::kTypeText, "");
        SetMaxInputs(1);
        selfRegistry = this;
    }
    std::uint32_t SetFloatParameter(std::uint32_t, float v) override { value = v; return 0; }
    float GetFloatParameter(std::uint32_t index) override { return index == 0 ? value : 0.0f; }
    char* GetTextParameter(std::uint32_t) override { return text; }
    float value = 0.0f;
    char text[8] = "shown";
};

TEST(BaseClass, DefaultDisplayFormatsFloatsAndPassesTextsOn) {
    FloatPlugin plugin;
    plugin.SetFloatParameter(0, 0.25f);
    EXPECT_STREQ(plugin.GetParameterDisplay(0), "0.250000");
    EXPECT_STREQ(plugin.GetParameterDisplay(1), "0.000000");  // asks GetFloatParameter
    EXPECT_EQ(plugin.GetParameterDisplay(2), plugin.text);
    EXPECT_EQ(plugin.GetParameterDisplay(3), nullptr);
    // The longest "%f" text of a float fits the shared buffer.
    plugin.SetFloatParameter(0, -3.4028235e38f);
    EXPECT_EQ(std::strlen(plugin.GetParameterDisplay(0)), 47u);
}

TEST(BaseClass, DefaultOperationsAnswerTheirDefaults) {
    FloatPlugin plugin;
    ffgl::CFreeFrameGLPlugin& base = plugin;
    EXPECT_EQ(base.InitGL(nullptr), 0u);
    EXPECT_EQ(base.DeInitGL(), 0u);
    EXPECT_EQ(base.SetBoolParameter(0, true), ffgl::kFailure);
    EXPECT_FALSE(base.GetBoolParameter(0));
    EXPECT_EQ(base.SetTextParameter(0, "x"), ffgl::kFailure);
    EXPECT_EQ(base.ffgl::CFreeFrameGLPlugin::GetTextParameter(0), ffgl::AddressOf<char>(ffgl::kAllOnes));
    EXPECT_EQ(base.ProcessOpenGL(nullptr), ffgl::kFailure);
    EXPECT_EQ(base.SetTime(1.0), ffgl::kFailure);
    EXPECT_EQ(base.GetInputStatus(0), 1u);
    EXPECT_EQ(base.GetInputStatus(1), ffgl::kFailure);
    EXPECT_EQ(base.GetInputStatus(0xFFFFFFFFu), ffgl::kFailure);
    EXPECT_EQ(base.GetPrototypeValue(), 0u);
    EXPECT_EQ(base.Connect(), 0u);
    EXPECT_EQ(base.Disconnect(), 0u);
    EXPECT_EQ(base.Resize(nullptr), 0u);
    EXPECT_FALSE(base.connected);
}

}  // namespace
