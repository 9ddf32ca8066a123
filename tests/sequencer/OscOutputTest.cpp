// What reaches the wire: the exact bytes of messages and bundles, and the
// value scaling of each kind of command.
#include <cmath>
#include <cstring>
#include <limits>

#include "SequencerFixture.h"

namespace {

using tests::Bytes;
using tests::OscBundle;
using tests::OscMessage;

class OscOutput : public SequencerFixture, public ::testing::Test {
protected:
    void SetUp() override { Start(4); }
};

TEST_F(OscOutput, MessageAndBundleBytes) {
    instance->Set(kCommand, "/a f[10:20]");
    const Bytes message = {0x2F, 0x61, 0, 0, 0x2C, 0x66, 0, 0, 0x41, 0x70, 0, 0};
    EXPECT_EQ(SendStepValue(0.5f), message);
    instance->Set(Bundle(), true);
    Bytes bundle = {0x23, 0x62, 0x75, 0x6E, 0x64, 0x6C, 0x65, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0x0C};
    bundle.insert(bundle.end(), message.begin(), message.end());
    EXPECT_EQ(SendStepValue(0.0f), OscBundle(OscMessage("/a", 10.0f)));
    EXPECT_EQ(SendStepValue(0.5f), bundle);
}

TEST_F(OscOutput, AddressSizes) {
    // Four characters take eight bytes: the address and four zeros.
    instance->Set(kCommand, "/abc i");
    EXPECT_EQ(SendStepValue(1.0f), OscMessage("/abc", std::int32_t{1}));
    EXPECT_EQ(OscMessage("/abc", std::int32_t{1}).size(), 16u);

    // The empty address is four zero bytes.
    instance->Set(kCommand, " f");  // a blank first: the whole text is the address...
    instance->Set(kCommand, "");    // ...and back to the empty command
    const Bytes empty = SendStepValue(0.25f);
    ASSERT_EQ(empty.size(), 12u);
    EXPECT_EQ(Bytes(empty.begin(), empty.begin() + 4), Bytes(4, 0));
    EXPECT_EQ(empty, OscMessage("", 0.25f));

    // The longest address: a command of 2047 characters without a blank.
    const std::string longest = "/" + std::string(2046, 'x');
    instance->Set(kCommand, longest.c_str());
    EXPECT_EQ(SendStepValue(0.5f), OscMessage(longest, 0.5f));
    EXPECT_EQ(OscMessage(longest, 0.5f).size(), 2056u);
    instance->Set(Bundle(), true);
    EXPECT_EQ(SendStepValue(0.75f).size(), 2076u);

    // Longer texts are cut to 2047 characters.
    const std::string longer = longest + "yyyy f[0:10]";
    instance->Set(Bundle(), false);
    instance->Set(kCommand, longer.c_str());
    EXPECT_EQ(std::strlen(instance->GetText(kCommand)), 2047u);
    EXPECT_EQ(SendStepValue(0.25f), OscMessage(longest, 0.25f));
}

TEST_F(OscOutput, ValuesAreScaledIntoTheCommandsRange) {
    struct Case {
        const char* command;
        float stepValue;
        float sent;
    } const cases[] = {
        {"/a f[10:20]", 0.5f, 15.0f},  {"/a f[-1:1]", 0.25f, -0.5f}, {"/a f[5:]", 0.2f, 4.0f},
        {"/a f[:10]", 0.3f, 0.3f},     {"/a f[0:10]", 1.5f, 15.0f},  {"/a f[2:1]", 0.0f, 2.0f},
        {"/fader f[0:255]", 0.8f, 204.0f},
        // (max - min) * x + min, each step rounded to float, never fused.
        {"/a f[0.1:0.7]", 0.3f, (0.7f - 0.1f) * 0.3f + 0.1f},
        // A max that C reads as +inf: every step value above 0 sends +inf.
        {"/a f[0:0x1p2147482625]", 0.5f, std::numeric_limits<float>::infinity()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        instance->Set(kCommand, c.command);
        instance->Set(Step(1), -1.0f);  // make the next value a change
        ExpectNothing();
        instance->Set(kStepFollow, true);
        instance->Set(Step(1), c.stepValue);
        EXPECT_EQ(NextFloat(), c.sent);
        instance->Set(kStepFollow, false);
    }
}

TEST_F(OscOutput, IntegersRoundToNearestEvenAndSaturateToTheLowestInt) {
    struct Case {
        const char* command;
        float stepValue;
        std::int32_t sent;
    } const cases[] = {
        {"/a i", 0.5f, 0},           {"/a i", 0.75f, 1},
        {"/a i[0:10]", 0.25f, 2},    {"/a i[0:10]", 0.35f, 4},
        {"/a i[0:1e10]", 0.5f, INT32_MIN},
        {"/a i[-1e10:0]", 0.0f, INT32_MIN},
        {"/a i[1:12]", 1.0f, 12},    {"/a i[0:2147483520]", 1.0f, 2147483520},
        {"/a i[0:10]", std::nanf(""), INT32_MIN},
        {"/a i[0:1]", -0.4f, 0},
    };
    instance->Set(kStepFollow, true);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " " + std::to_string(c.stepValue));
        instance->Set(kCommand, c.command);
        instance->Set(Step(2), c.stepValue);
        EXPECT_EQ(NextInt(), c.sent);
        instance->Set(Step(2), 99.0f);
        NextInt();
    }
}

TEST_F(OscOutput, UnreadableTextAddressIsIgnored) {
    instance->Set(kCommand, "/kept f[0:2]");
    EXPECT_EQ(instance->SetWord(kCommand, 1), ffgl::kSuccess);  // a switch's value
    EXPECT_EQ(instance->SetWord(kCommand, 0), ffgl::kSuccess);
    EXPECT_STREQ(instance->GetText(kCommand), "/kept f[0:2]");
    EXPECT_EQ(SendStepValue(0.5f), OscMessage("/kept", 1.0f));
}

// Through plugMain, on every variant: one datagram per step entered, with
// that step's value, and "Run" displaying the step it stands in.
class EveryVariant : public SequencerFixture, public ::testing::TestWithParam<std::uint32_t> {
protected:
    void SetUp() override {
        Start(GetParam());
        instance->Set(kCommand, "/step f");
    }
};

INSTANTIATE_TEST_SUITE_P(Variants, EveryVariant, ::testing::Values(4u, 8u, 16u, 32u),
                         [](const auto& info) { return "N" + std::to_string(info.param); });

TEST_P(EveryVariant, OneDatagramPerStepEntered) {
    const float n = static_cast<float>(stepCount);
    ExpectNothing();  // instantiation sends nothing
    EXPECT_EQ(instance->Display(kRun), "Step " + std::to_string(stepCount / 2 + 1));
    for (std::uint32_t step = 1; step <= stepCount; ++step) {
        const float start = static_cast<float>(step - 1) / n;
        instance->Set(kRun, start);
        instance->Set(kRun, start + 0.5f / n);  // within the step: nothing more
        EXPECT_EQ(NextFloat(), static_cast<float>(step - 1) * (1.0f / n)) << "step " << step;
        EXPECT_EQ(instance->Display(kRun), "Step " + std::to_string(step));
    }
    ExpectNothing();
    instance->Set(kRun, 1.0f);
    EXPECT_EQ(NextFloat(), 1.0f);  // "Loop end"
    EXPECT_EQ(instance->Display(kRun), "Step " + std::to_string(stepCount + 1));
}

TEST_P(EveryVariant, BundleSwitchWrapsEachSend) {
    instance->Set(Bundle(), true);
    instance->Set(kRun, 0.0f);
    const auto datagram = Next();
    EXPECT_TRUE(datagram.bundle);
    EXPECT_EQ(datagram.address, "/step");
    instance->Set(Bundle(), false);
    instance->Set(kRun, 0.99f);
    EXPECT_FALSE(Next().bundle);
}

TEST(OscDestination, ReceiverStartingLaterGetsTheLaterValues) {
    std::string error;
    auto library = hostkit::PluginLibrary::Load(tests::VariantWithSteps(4).path, &error);
    ASSERT_NE(library, nullptr) << error;
    hostkit::PluginInstance instance(*library);
    ASSERT_TRUE(instance.Valid());
    instance.Set(0, "/late");
    // Nobody listens: these go nowhere, and nothing breaks.
    for (float run : {0.1f, 0.3f, 0.6f, 0.9f, 0.1f}) EXPECT_EQ(instance.Set(1, run), 0u);

    tests::UdpReceiver receiver{7000};
    ASSERT_TRUE(receiver.Bound());
    instance.Set(1, 0.3f);
    auto datagram = receiver.Receive(2000);
    ASSERT_TRUE(datagram.has_value());
    EXPECT_EQ(*datagram, OscMessage("/late", 0.25f));
    EXPECT_FALSE(receiver.Receive(50).has_value());
}

}  // namespace
