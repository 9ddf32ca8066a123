// Each built library, loaded with dlopen and driven through plugMain the way
// a FreeFrame GL host drives it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "FreeFrameGL.h"
#include "PluginHost.h"
#include "Plugins.h"

namespace {

using hostkit::PluginInstance;
using hostkit::PluginLibrary;
using tests::Variant;

class LibraryTest : public ::testing::TestWithParam<Variant> {
protected:
    void SetUp() override {
        std::string error;
        library = PluginLibrary::Load(GetParam().path, &error);
        ASSERT_NE(library, nullptr) << error;
    }

    std::uint32_t N() const { return GetParam().stepCount; }
    std::uint32_t Step(std::uint32_t step) const { return GetParam().Index().Step(step); }
    std::uint32_t LoopEnd() const { return GetParam().Index().LoopEnd(); }
    std::uint32_t Bundle() const { return GetParam().Index().Bundle(); }
    std::uint32_t Count() const { return GetParam().Index().Count(); }

    std::unique_ptr<PluginLibrary> library;
};

INSTANTIATE_TEST_SUITE_P(AllVariants, LibraryTest, ::testing::ValuesIn(tests::AllVariants()),
                         [](const auto& info) { return "N" + std::to_string(info.param.stepCount); });

template <typename T>
T ReadAt(const void* base, std::size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const std::uint8_t*>(base) + offset, sizeof value);
    return value;
}

std::string TwoDigits(std::uint32_t n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// The host reads both records by address; the extended one is the first
// one's address plus 32, even before any other call.
TEST_P(LibraryTest, IdentityRecordsHoldTheirBytesAtTheirOffsets) {
    const auto extended = library->Call(ffgl::kGetExtendedInfo);
    const auto info = library->Call(ffgl::kGetInfo);
    ASSERT_NE(info, 0u);
    EXPECT_EQ(extended, info + 32);

    const void* record = ffgl::AddressOf<const void>(info);
    EXPECT_EQ(ReadAt<std::uint32_t>(record, 0), 1u);  // API 1.0
    EXPECT_EQ(ReadAt<std::uint32_t>(record, 4), 0u);
    EXPECT_EQ(std::string(static_cast<const char*>(record) + 8, 4), "VN" + TwoDigits(N()));
    char expectedName[16] = {};
    const std::string name = "Varnelo " + std::to_string(N());
    std::memcpy(expectedName, name.data(), name.size());
    EXPECT_EQ(std::memcmp(static_cast<const char*>(record) + 12, expectedName, 16), 0);
    EXPECT_EQ(ReadAt<std::uint32_t>(record, 28), ffgl::kPluginTypeEffect);
    EXPECT_EQ(ReadAt<std::uint32_t>(record, 32), 1u);  // plug-in version 1.0
    EXPECT_EQ(ReadAt<std::uint32_t>(record, 36), 0u);
    EXPECT_STREQ(ReadAt<const char*>(record, 40), "Varnelo version 1.1");
    const char* about = ReadAt<const char*>(record, 48);
    ASSERT_NE(about, nullptr);
    EXPECT_NE(std::string(about).find("http"), std::string::npos) << about;
    EXPECT_EQ(ReadAt<std::uint32_t>(record, 56), 0u);
    EXPECT_EQ(ReadAt<void*>(record, 64), nullptr);
}

TEST_P(LibraryTest, ParameterTableListsNamesTypesAndDefaults) {
    // Code 4 before code 1 makes the prototype by itself.
    ASSERT_EQ(library->Call32(ffgl::kGetNumParameters), Count());
    const auto parameters = library->Parameters();
    ASSERT_EQ(parameters.size(), Count());

    struct Row {
        std::uint32_t index;
        std::string name;
        std::int32_t type;
        float defaultValue;
    };
    std::vector<Row> expected = {
        {1, "Run", ffgl::kTypeStandard, 0.5f},
        {2, "Smooth", ffgl::kTypeBoolean, 0.0f},
        {3, "Step follow", ffgl::kTypeBoolean, 0.0f},
        {LoopEnd(), "Loop end", ffgl::kTypeStandard, 1.0f},
        {Bundle(), "OSC Bundle", ffgl::kTypeBoolean, 0.0f},
    };
    for (std::uint32_t step = 1; step <= N(); ++step) {
        const float stepDefault = static_cast<float>(step - 1) * (1.0f / static_cast<float>(N()));
        expected.push_back({Step(step), "Step " + std::to_string(step), ffgl::kTypeStandard, stepDefault});
    }
    EXPECT_EQ(parameters[0].name, "OSC command");
    EXPECT_EQ(parameters[0].type, ffgl::kTypeText);
    EXPECT_EQ(parameters[0].defaultText, "");
    for (const Row& row : expected) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(parameters[row.index].name, row.name);
        EXPECT_EQ(parameters[row.index].type, row.type);
        EXPECT_EQ(parameters[row.index].defaultValue, row.defaultValue);
    }

    // The name field is 16 bytes, zero after the name.
    const char* name = ffgl::AddressOf<const char>(library->Call(ffgl::kGetParameterName, 3));
    EXPECT_EQ(std::memcmp(name, "Step follow\0\0\0\0\0", 16), 0);
    // Every parameter: extra A is 1, extra B is 0.
    for (std::uint32_t index = 0; index < Count(); ++index) {
        EXPECT_EQ(library->Call32(ffgl::kGetParameterExtraA, index), 1u);
        EXPECT_EQ(library->Call32(ffgl::kGetParameterExtraB, index), 0u);
    }
}

TEST_P(LibraryTest, UnregisteredIndicesAnswerNullOrFailure) {
    for (const std::uint32_t index : {Count(), Count() + 1, 0xFFFFFFFFu}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(library->Call(ffgl::kGetParameterName, index), 0u);
        EXPECT_EQ(library->Call32(ffgl::kGetParameterType, index), ffgl::kFailure);
        EXPECT_EQ(library->Call32(ffgl::kGetParameterDefault, index), ffgl::kFailure);
        EXPECT_EQ(library->Call32(ffgl::kGetParameterExtraA, index), ffgl::kFailure);
        EXPECT_EQ(library->Call32(ffgl::kGetParameterExtraB, index), ffgl::kFailure);
    }
}

TEST_P(LibraryTest, CapabilitiesAnswerOneInputAndNoTime) {
    const std::pair<std::uint32_t, std::uint32_t> answers[] = {
        {ffgl::kCapProcessOpenGL, 1}, {ffgl::kCapSetTime, 0}, {ffgl::kCapMinInputFrames, 1},
        {ffgl::kCapMaxInputFrames, 1}, {0, 0}, {12, 0}, {0xFFFFFFFFu, 0},
    };
    for (const auto& [capability, answer] : answers) {
        EXPECT_EQ(library->Capability(capability), answer) << "capability " << capability;
    }
}

TEST_P(LibraryTest, CodesWithoutARowFail) {
    for (std::uint32_t code : {3u, 11u, 12u, 14u, 24u, 27u, 30u, 34u, 100u, 0xFFFFFFFFu}) {
        EXPECT_EQ(library->Call32(code), ffgl::kFailure) << "code " << code;
    }
}

TEST_P(LibraryTest, PrototypeLivesFromFirstNeedUntilDeinitialise) {
    EXPECT_EQ(library->Call32(ffgl::kDeinitialise), ffgl::kSuccess);  // none yet
    EXPECT_EQ(library->Call32(ffgl::kInitialise), ffgl::kSuccess);
    EXPECT_EQ(library->Call32(ffgl::kDeinitialise), ffgl::kSuccess);
    EXPECT_EQ(library->Call32(ffgl::kDeinitialise), ffgl::kSuccess);  // twice in a row
    // Made again on the next need.
    EXPECT_EQ(library->Call32(ffgl::kGetNumParameters), Count());
    EXPECT_EQ(library->Call(ffgl::kGetPrototypeValue), 0u);
    EXPECT_EQ(library->Call32(ffgl::kDeinitialise), ffgl::kSuccess);
}

TEST_P(LibraryTest, PerInstanceCodesFailWithoutAnInstance) {
    ffgl::SetParameterRecord set{1, 0, ffgl::WordFromFloat(0.9f)};
    ffgl::ProcessOpenGLRecord frame{};
    double time = 1.0;
    EXPECT_EQ(library->Call(ffgl::kGetParameterDisplay, 1), ffgl::kAllOnes);
    EXPECT_EQ(library->Call32(ffgl::kSetParameter, ffgl::WordFromAddress(&set)), ffgl::kFailure);
    EXPECT_EQ(library->Call32(ffgl::kGetParameter, 1), ffgl::kFailure);
    EXPECT_EQ(library->Call32(ffgl::kGetInputStatus, 0), ffgl::kFailure);
    EXPECT_EQ(library->Call32(ffgl::kProcessOpenGL, ffgl::WordFromAddress(&frame)), ffgl::kFailure);
    EXPECT_EQ(library->Call32(ffgl::kDeinstantiate), ffgl::kFailure);
    EXPECT_EQ(library->Call32(ffgl::kSetTime, ffgl::WordFromAddress(&time)), ffgl::kFailure);
    EXPECT_EQ(library->Call32(ffgl::kConnect), ffgl::kFailure);
    EXPECT_EQ(library->Call32(ffgl::kDisconnect), ffgl::kFailure);
    EXPECT_EQ(library->Call32(ffgl::kResize), ffgl::kFailure);
}

TEST_P(LibraryTest, InstantiateWithoutViewportMakesNothing) {
    EXPECT_EQ(library->Call(ffgl::kInstantiate, 0), ffgl::kAllOnes);
    // Not even the prototype: a later code 2 still has nothing to delete,
    // and code 4 still answers.
    EXPECT_EQ(library->Call32(ffgl::kGetNumParameters), Count());
}

TEST_P(LibraryTest, NewInstanceHoldsEveryDefault) {
    PluginInstance instance(*library);
    ASSERT_TRUE(instance.Valid());
    EXPECT_STREQ(instance.GetText(0), "");
    EXPECT_EQ(instance.GetFloat(1), 0.5f);
    for (std::uint32_t index : {2u, 3u, Bundle()}) EXPECT_EQ(instance.GetNumber(index), 0u);
    for (std::uint32_t step = 1; step <= N(); ++step) {
        EXPECT_EQ(instance.GetFloat(Step(step)),
                  static_cast<float>(step - 1) * (1.0f / static_cast<float>(N())));
    }
    EXPECT_EQ(instance.GetFloat(LoopEnd()), 1.0f);
}

TEST_P(LibraryTest, EveryParameterReadsBackWhatWasSet) {
    PluginInstance instance(*library);
    ASSERT_TRUE(instance.Valid());

    EXPECT_EQ(instance.Set(0, "/fader f[0:255]"), ffgl::kSuccess);
    EXPECT_STREQ(instance.GetText(0), "/fader f[0:255]");
    EXPECT_EQ(instance.Display(0), "/fader f[0:255]");

    EXPECT_EQ(instance.Set(1, 0.9f), ffgl::kSuccess);
    EXPECT_EQ(instance.GetFloat(1), 0.9f);

    for (std::uint32_t index = 4; index <= LoopEnd(); ++index) {
        const float value = 0.001f * static_cast<float>(index);
        EXPECT_EQ(instance.Set(index, value), ffgl::kSuccess);
        EXPECT_EQ(instance.GetFloat(index), value) << "index " << index;
    }
    EXPECT_EQ(instance.Display(4), "0.004000");

    for (std::uint32_t index : {2u, 3u, Bundle()}) {
        SCOPED_TRACE(index);
        // Any non-zero low half is true; code 9 answers exactly 1 or 0.
        EXPECT_EQ(instance.SetWord(index, 0x100u), ffgl::kSuccess);
        EXPECT_EQ(instance.Get(index) & 0xFFFFFFFFu, 1u);
        // A display of a switch is the float display of 0.
        EXPECT_EQ(instance.Display(index), "0.000000");
        EXPECT_EQ(instance.SetWord(index, 0xFFFFFFFF00000000u), ffgl::kSuccess);
        EXPECT_EQ(instance.Get(index) & 0xFFFFFFFFu, 0u);
    }
}

TEST_P(LibraryTest, UnregisteredIndicesAreIgnoredOnAnInstance) {
    PluginInstance instance(*library);
    ASSERT_TRUE(instance.Valid());
    EXPECT_EQ(instance.Set(Count(), 0.7f), ffgl::kSuccess);
    EXPECT_EQ(instance.GetFloat(Count()), 0.0f);
    EXPECT_EQ(instance.Display(Count()), "");  // null
    EXPECT_EQ(library->Call32(ffgl::kSetParameter, 0, instance.Handle()), ffgl::kFailure);  // no record
}

TEST_P(LibraryTest, InstanceCodesAnswerTheirDefaults) {
    PluginInstance instance(*library);
    ASSERT_TRUE(instance.Valid());
    void* handle = instance.Handle();
    double time = 2.5;
    ffgl::ViewportRecord viewport{0, 0, 320, 200};
    EXPECT_EQ(library->Call32(ffgl::kGetInputStatus, 0, handle), 1u);
    EXPECT_EQ(library->Call32(ffgl::kGetInputStatus, 1, handle), ffgl::kFailure);
    EXPECT_EQ(library->Call32(ffgl::kGetInputStatus, 0xFFFFFFFFu, handle), ffgl::kFailure);
    EXPECT_EQ(library->Call32(ffgl::kSetTime, ffgl::WordFromAddress(&time), handle), ffgl::kFailure);
    EXPECT_EQ(library->Call32(ffgl::kSetTime, 0, handle), ffgl::kFailure);
    EXPECT_EQ(library->Call32(ffgl::kConnect, 0, handle), ffgl::kSuccess);
    EXPECT_EQ(library->Call32(ffgl::kDisconnect, 0, handle), ffgl::kSuccess);
    EXPECT_EQ(library->Call32(ffgl::kResize, ffgl::WordFromAddress(&viewport), handle), ffgl::kSuccess);
    EXPECT_EQ(library->Call32(ffgl::kConnect, 0, handle), ffgl::kSuccess);
    // De-instantiating a connected instance still answers success.
    EXPECT_EQ(instance.Release(), ffgl::kSuccess);
}

TEST_P(LibraryTest, InstancesKeepTheirOwnValues) {
    PluginInstance first(*library);
    PluginInstance second(*library);
    ASSERT_TRUE(first.Valid() && second.Valid());
    first.Set(0, "/first");
    second.Set(0, "/second");
    first.Set(Step(1), 0.125f);
    EXPECT_STREQ(first.GetText(0), "/first");
    EXPECT_STREQ(second.GetText(0), "/second");
    EXPECT_EQ(second.GetFloat(Step(1)), 0.0f);
}

}  // namespace
