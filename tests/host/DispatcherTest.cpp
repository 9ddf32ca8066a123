// The dispatcher's life cycle and routing, driven with a test plug-in that
// records what it is asked and can be told to fail.
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "FreeFrameGL.h"
#include "FreeFrameGLPlugin.h"
#include "PluginInfo.h"

namespace {

std::vector<std::string> calls;  // what the test plug-ins were asked, in order

struct Failures {
    bool factory = false;
    bool factoryStoresButFails = false;
    std::int64_t setAtIndex = -1;
    bool initGL = false;
    std::uint32_t disconnectStatus = 0;
    std::uint32_t deInitStatus = 0;
} failures;

class RecordingPlugin : public ffgl::CFreeFrameGLPlugin {
public:
    RecordingPlugin() {
        AddTextParameter(0, "text", ffgl::kTypeText, "start");
        AddBoolParameter(1, "on", ffgl::kTypeBoolean, true);
        AddFloatParameter(2, "level", ffgl::kTypeStandard, 0.75f);
        AddBoolParameter(3, "event", ffgl::kTypeEvent, false);
        SetMinInputs(-1);
        SetMaxInputs(3);
    }
    ~RecordingPlugin() override { calls.push_back("delete"); }

    std::uint32_t InitGL(const ffgl::ViewportRecord*) override {
        calls.push_back("InitGL");
        return failures.initGL ? ffgl::kFailure : 0;
    }
    std::uint32_t DeInitGL() override {
        calls.push_back("DeInitGL");
        return failures.deInitStatus;
    }
    std::uint32_t SetTextParameter(std::uint32_t index, const char* text) override {
        calls.push_back("SetText " + std::to_string(index) + " " + text);
        return Result(index);
    }
    std::uint32_t SetBoolParameter(std::uint32_t index, bool value) override {
        calls.push_back("SetBool " + std::to_string(index) + (value ? " true" : " false"));
        return Result(index);
    }
    std::uint32_t SetFloatParameter(std::uint32_t index, float value) override {
        calls.push_back("SetFloat " + std::to_string(index) + " " + std::to_string(value));
        return index == 99 ? 7u : Result(index);
    }
    bool GetBoolParameter(std::uint32_t) override { return true; }
    float GetFloatParameter(std::uint32_t index) override { return static_cast<float>(index); }
    std::uint32_t Connect() override {
        calls.push_back("Connect");
        return 0;
    }
    std::uint32_t Disconnect() override {
        calls.push_back("Disconnect");
        return failures.disconnectStatus;
    }
    std::uint32_t ProcessOpenGL(const ffgl::ProcessOpenGLRecord*) override {
        calls.push_back("Frame");
        return 0;
    }

private:
    static std::uint32_t Result(std::uint32_t index) {
        return failures.setAtIndex == index ? ffgl::kFailure : 0u;
    }
};

std::uint32_t RecordingFactory(ffgl::CFreeFrameGLPlugin** instance) {
    calls.push_back("factory");
    if (failures.factory) {
        *instance = nullptr;
        return failures.factoryStoresButFails ? 0u : ffgl::kFailure;
    }
    *instance = new RecordingPlugin;
    return 0;
}

ffgl::CPluginInfo testInfo({"TEST", "Recording", "records calls", "about", RecordingFactory});

class Dispatcher : public ::testing::Test {
protected:
    void SetUp() override {
        ffgl::RegisterPluginInfo(&testInfo);
        failures = {};
        calls.clear();
    }
    void TearDown() override {
        plugMain(ffgl::kDeinitialise, 0, nullptr);
        ffgl::RegisterPluginInfo(&testInfo);
    }

    void* Instantiate() {
        const ffgl::HostWord handle = plugMain(ffgl::kInstantiate, ffgl::WordFromAddress(&viewport), nullptr);
        return handle == ffgl::kAllOnes ? nullptr : ffgl::AddressOf<void>(handle);
    }
    std::uint32_t Call(std::uint32_t code, ffgl::HostWord input, void* instance) {
        return ffgl::NumberOf(plugMain(code, input, instance));
    }

    ffgl::ViewportRecord viewport{0, 0, 64, 64};
};

TEST_F(Dispatcher, InstantiationAppliesDefaultsInIndexOrderThenInitGL) {
    void* instance = Instantiate();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "factory",  // the prototype
                         "factory",  // the instance
                         "SetText 0 start",
                         "SetBool 1 true",
                         "SetFloat 2 0.750000",
                         "SetBool 3 false",
                         "InitGL",
                     }));
    calls.clear();
    EXPECT_EQ(Call(ffgl::kDeinstantiate, 0, instance), 0u);
    EXPECT_EQ(calls, (std::vector<std::string>{"DeInitGL", "delete"}));
}

TEST_F(Dispatcher, FailingFactoryMakesNothing) {
    failures.factory = true;
    EXPECT_EQ(Call(ffgl::kInitialise, 0, nullptr), ffgl::kFailure);
    EXPECT_EQ(plugMain(ffgl::kInstantiate, ffgl::WordFromAddress(&viewport), nullptr), ffgl::kAllOnes);
    EXPECT_EQ(Call(ffgl::kGetNumParameters, 0, nullptr), ffgl::kFailure);
    EXPECT_EQ(Call(ffgl::kGetPluginCaps, ffgl::kCapProcessOpenGL, nullptr), ffgl::kFailure);
    EXPECT_EQ(plugMain(ffgl::kGetPrototypeValue, 0, nullptr), 0u);
    // A factory that says success but stores null fails the same way.
    failures.factoryStoresButFails = true;
    EXPECT_EQ(Call(ffgl::kInitialise, 0, nullptr), ffgl::kFailure);
}

TEST_F(Dispatcher, FailingFactoryForTheInstanceKeepsThePrototype) {
    ASSERT_EQ(Call(ffgl::kInitialise, 0, nullptr), 0u);
    failures.factory = true;
    EXPECT_EQ(plugMain(ffgl::kInstantiate, ffgl::WordFromAddress(&viewport), nullptr), ffgl::kAllOnes);
    EXPECT_EQ(Call(ffgl::kGetNumParameters, 0, nullptr), 4u);
}

TEST_F(Dispatcher, FailingDefaultDeletesTheInstanceWithoutDeInitGL) {
    failures.setAtIndex = 2;
    EXPECT_EQ(Instantiate(), nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"factory", "factory", "SetText 0 start",
                                               "SetBool 1 true", "SetFloat 2 0.750000",
                                               "delete"}));
}

TEST_F(Dispatcher, FailingInitGLIsUndone) {
    failures.initGL = true;
    EXPECT_EQ(Instantiate(), nullptr);
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(calls.end() - 3, calls.end()),
              (std::vector<std::string>{"InitGL", "DeInitGL", "delete"}));
}

TEST_F(Dispatcher, WithoutARegisteredRecordNothingIsMade) {
    ffgl::RegisterPluginInfo(nullptr);
    EXPECT_EQ(plugMain(ffgl::kGetInfo, 0, nullptr), 0u);
    EXPECT_EQ(Call(ffgl::kInitialise, 0, nullptr), ffgl::kFailure);
    EXPECT_EQ(Call(ffgl::kGetNumParameters, 0, nullptr), ffgl::kFailure);
    EXPECT_EQ(plugMain(ffgl::kGetParameterName, 0, nullptr), 0u);
    EXPECT_EQ(Call(ffgl::kGetParameterDefault, 0, nullptr), ffgl::kFailure);
    EXPECT_EQ(Call(ffgl::kGetParameterType, 0, nullptr), ffgl::kFailure);
    EXPECT_EQ(plugMain(ffgl::kInstantiate, ffgl::WordFromAddress(&viewport), nullptr), ffgl::kAllOnes);
    EXPECT_EQ(plugMain(ffgl::kGetPrototypeValue, 0, nullptr), 0u);
    EXPECT_TRUE(calls.empty());
}

TEST_F(Dispatcher, SetAndGetRouteByThePrototypesType) {
    void* instance = Instantiate();
    ASSERT_NE(instance, nullptr);
    calls.clear();
    auto set = [&](std::uint32_t index, ffgl::HostWord value) {
        ffgl::SetParameterRecord record{index, 0, value};
        return Call(ffgl::kSetParameter, ffgl::WordFromAddress(&record), instance);
    };
    const char text[] = "routed";
    EXPECT_EQ(set(0, ffgl::WordFromAddress(text)), 0u);
    EXPECT_EQ(set(1, 0xFFFFFFFF00000000u), 0u);  // only the low half counts
    EXPECT_EQ(set(3, 2), 0u);                    // an event is a boolean
    EXPECT_EQ(set(2, ffgl::WordFromFloat(0.5f)), 0u);
    EXPECT_EQ(set(99, ffgl::WordFromFloat(0.5f)), 7u);  // unregistered: float, its status returned
    EXPECT_EQ(calls, (std::vector<std::string>{"SetText 0 routed", "SetBool 1 false",
                                               "SetBool 3 true", "SetFloat 2 0.500000",
                                               "SetFloat 99 0.500000"}));
    // Booleans read back as exactly 1; an event reads as a float.
    EXPECT_EQ(plugMain(ffgl::kGetParameter, 1, instance) & 0xFFFFFFFFu, 1u);
    EXPECT_EQ(ffgl::FloatOf(plugMain(ffgl::kGetParameter, 3, instance)), 3.0f);
    EXPECT_EQ(ffgl::FloatOf(plugMain(ffgl::kGetParameter, 2, instance)), 2.0f);
    Call(ffgl::kDeinstantiate, 0, instance);
}

TEST_F(Dispatcher, CapabilitiesComeFromThePrototypesRegistry) {
    EXPECT_EQ(Call(ffgl::kGetPluginCaps, ffgl::kCapMinInputFrames, nullptr), 0u);  // -1 answers 0
    EXPECT_EQ(Call(ffgl::kGetPluginCaps, ffgl::kCapMaxInputFrames, nullptr), 3u);
    EXPECT_EQ(Call(ffgl::kGetPluginCaps, ffgl::kCapSetTime, nullptr), 0u);
}

TEST_F(Dispatcher, FirstFrameConnectsOnceUntilADisconnect) {
    void* instance = Instantiate();
    ASSERT_NE(instance, nullptr);
    ffgl::ProcessOpenGLRecord frame{};
    const auto frameWord = ffgl::WordFromAddress(&frame);
    calls.clear();
    EXPECT_EQ(Call(ffgl::kProcessOpenGL, 0, instance), ffgl::kFailure);  // no record
    EXPECT_EQ(Call(ffgl::kProcessOpenGL, frameWord, instance), 0u);
    EXPECT_EQ(Call(ffgl::kProcessOpenGL, frameWord, instance), 0u);
    EXPECT_EQ(Call(ffgl::kDisconnect, 0, instance), 0u);
    EXPECT_EQ(Call(ffgl::kProcessOpenGL, frameWord, instance), 0u);
    EXPECT_EQ(calls, (std::vector<std::string>{"Connect", "Frame", "Frame", "Disconnect",
                                               "Connect", "Frame"}));
    // A failed disconnect leaves the instance connected: no new Connect.
    failures.disconnectStatus = ffgl::kFailure;
    calls.clear();
    EXPECT_EQ(Call(ffgl::kDisconnect, 0, instance), ffgl::kFailure);
    EXPECT_EQ(Call(ffgl::kProcessOpenGL, frameWord, instance), 0u);
    EXPECT_EQ(calls, (std::vector<std::string>{"Disconnect", "Frame"}));
    Call(ffgl::kDeinstantiate, 0, instance);
}

TEST_F(Dispatcher, DeinstantiatingAConnectedInstanceIgnoresFailures) {
    void* instance = Instantiate();
    ASSERT_NE(instance, nullptr);
    ASSERT_EQ(Call(ffgl::kConnect, 0, instance), 0u);
    failures.disconnectStatus = ffgl::kFailure;
    failures.deInitStatus = ffgl::kFailure;
    calls.clear();
    EXPECT_EQ(Call(ffgl::kDeinstantiate, 0, instance), 0u);
    EXPECT_EQ(calls, (std::vector<std::string>{"Disconnect", "DeInitGL", "delete"}));
}

TEST_F(Dispatcher, DeinitialiseDeletesOnlyThePrototype) {
    ASSERT_EQ(Call(ffgl::kInitialise, 0, nullptr), 0u);
    calls.clear();
    EXPECT_EQ(Call(ffgl::kDeinitialise, 0, nullptr), 0u);
    EXPECT_EQ(Call(ffgl::kDeinitialise, 0, nullptr), 0u);
    EXPECT_EQ(calls, (std::vector<std::string>{"delete"}));
}

TEST(PluginInfoRecord, CopiesStopAtTheTerminatorOrTheFieldsEnd) {
    const ffgl::CPluginInfo info({"AB", "a name of twenty ch", "d", "a", RecordingFactory});
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(info.info.uniqueId), 4),
              std::string("AB\0\0", 4));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(info.info.name), 16), "a name of twenty");
    ffgl::RegisterPluginInfo(&testInfo);
}

}  // namespace
