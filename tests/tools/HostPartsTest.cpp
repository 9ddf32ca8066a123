// The host's parts on their own: where "Run" stands at each frame, how a
// datagram reads, the plug-in's step rule as the host mirrors it, how the
// plug-in reads its command, where the host listens, which plug-in name was
// meant, how text reaches the terminal, and which step the live view marks.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "CommandReport.h"
#include "Listening.h"
#include "OscListener.h"
#include "Output.h"
#include "PluginFinder.h"
#include "Schedule.h"
#include "StepMirror.h"
#include "Text.h"
#include "UdpReceiver.h"

namespace {

using varnelohost::Schedule;

// ---- clip positions ------------------------------------------------------

TEST(Schedule, TwoLoopsOfTwoSecondsAt60FramesPerSecond) {
    const Schedule schedule = Schedule::Timed(2.0, 60.0, 4.0);
    EXPECT_EQ(schedule.FrameCount(), 240u);
    EXPECT_EQ(schedule.LoopCount(), 2u);
    EXPECT_EQ(schedule.PositionAt(0), 0.0f);
    EXPECT_EQ(schedule.PositionAt(30), 0.25f);
    EXPECT_EQ(schedule.PositionAt(119), static_cast<float>(119.0 / 120.0));
    EXPECT_EQ(schedule.PositionAt(120), 0.0f);
    EXPECT_EQ(schedule.LoopOf(119), 0u);
    EXPECT_EQ(schedule.LoopOf(120), 1u);
    EXPECT_DOUBLE_EQ(schedule.SecondsAt(120), 2.0);
}

// Over many loop lengths and rates: every position lies in 0..1 without
// reaching 1 ("Loop end" is no part of a looping clip), it only ever falls
// when a new loop begins, and a new loop begins within its first frame.
TEST(Schedule, PositionsWrapOnlyAtLoopStarts) {
    const double loops[] = {0.5, 1.0, 1.1, 1.875, 2.0, 3.3};
    const double rates[] = {24.0, 25.0, 29.97, 30.0, 50.0, 59.94, 60.0};
    for (const double loopSeconds : loops) {
        for (const double rate : rates) {
            SCOPED_TRACE(std::to_string(loopSeconds) + " s at " + std::to_string(rate) + " fps");
            const Schedule schedule = Schedule::Timed(loopSeconds, rate, 4.0 * loopSeconds);
            const double framesPerLoop = loopSeconds * rate;
            for (std::uint64_t frame = 1; frame < schedule.FrameCount(); ++frame) {
                const float position = schedule.PositionAt(frame);
                ASSERT_GE(position, 0.0f);
                ASSERT_LT(position, 1.0f);
                const bool newLoop = schedule.LoopOf(frame) != schedule.LoopOf(frame - 1);
                ASSERT_EQ(newLoop, position < schedule.PositionAt(frame - 1)) << "frame " << frame;
                if (newLoop) {
                    ASSERT_LT(position, 1.0 / framesPerLoop + 1e-6) << "frame " << frame;
                }
            }
        }
    }
}

// 1.1 s at 50 fps is 55.00000000000001 frames a loop: frame 55 lies a hair
// below the loop's end by division, yet it opens the second loop.
TEST(Schedule, AFrameOnALoopBoundaryOpensTheNextLoop) {
    const Schedule schedule = Schedule::Timed(1.1, 50.0, 2.2);
    ASSERT_EQ(schedule.FrameCount(), 110u);
    EXPECT_EQ(schedule.LoopOf(55), 1u);
    EXPECT_EQ(schedule.PositionAt(55), 0.0f);
    EXPECT_EQ(schedule.LoopCount(), 2u);
}

TEST(Schedule, AFixedListPlaysAsGivenOneAFrame) {
    const Schedule schedule = Schedule::Fixed({0.49f, 1.0f, 0.0f}, 60.0);
    EXPECT_EQ(schedule.FrameCount(), 3u);
    EXPECT_EQ(schedule.PositionAt(0), 0.49f);
    EXPECT_EQ(schedule.PositionAt(1), 1.0f) << "a list may stand on \"Loop end\"";
    EXPECT_EQ(schedule.LoopCount(), 1u);
}

// ---- datagram lines ------------------------------------------------------

std::string LineOf(const tests::Bytes& bytes) {
    return varnelohost::DatagramLine(varnelohost::DecodeDatagram(bytes.data(), bytes.size()));
}

TEST(DatagramLine, ReadsWhatThePlugInSends) {
    using tests::OscBundle;
    using tests::OscMessage;
    EXPECT_EQ(LineOf(OscMessage("/a", 15.0f)), "/a ,f 15");
    EXPECT_EQ(LineOf(OscMessage("/fader", 191.25f)), "/fader ,f 191.25");
    EXPECT_EQ(LineOf(OscMessage("/a", 0.1f)), "/a ,f 0.1") << "the shortest text that reads back";
    EXPECT_EQ(LineOf(OscMessage("/scene", std::int32_t{-2147483647 - 1})), "/scene ,i -2147483648");
    EXPECT_EQ(LineOf(OscBundle(OscMessage("/a", 15.0f))), "bundle immediate /a ,f 15");
    EXPECT_EQ(LineOf(OscMessage("", 0.5f)),
              "invalid 12 bytes: address does not begin with \"/\": \"\" ,f 0.5")
        << "an empty address stays visible";
    EXPECT_EQ(LineOf(OscMessage("/a b", 1.0f)), "\"/a b\" ,f 1") << "a blank would split the line";
    const std::string longAddress(2047, 'x');
    EXPECT_EQ(LineOf(OscMessage(longAddress, 1.0f)),
              "invalid 2056 bytes: address does not begin with \"/\": " + longAddress + " ,f 1");
}

TEST(DatagramLine, ReadsABundleOfSeveralMessagesAndNamesWhatIsNotOsc) {
    // Two elements after the header and the time tag: size, then message.
    tests::Bytes bundle = {'#', 'b', 'u', 'n', 'd', 'l', 'e', 0, 0, 0, 0, 1, 0, 0, 0, 2};
    for (const tests::Bytes& message :
         {tests::OscMessage("/a", 1.0f), tests::OscMessage("/b", std::int32_t{2})}) {
        bundle.insert(bundle.end(), {0, 0, 0, static_cast<std::uint8_t>(message.size())});
        bundle.insert(bundle.end(), message.begin(), message.end());
    }
    EXPECT_EQ(LineOf(bundle), "bundle 00000001.00000002 /a ,f 1 ; /b ,i 2");

    tests::Bytes cut = tests::OscMessage("/fader", 1.0f);
    cut.resize(cut.size() - 2);
    EXPECT_EQ(LineOf(cut).rfind("invalid 14 bytes: ", 0), 0u) << LineOf(cut);
    tests::Bytes oversized = tests::OscBundle(tests::OscMessage("/a", 1.0f));
    oversized[19] = 0x40;  // the element claims more bytes than follow
    EXPECT_EQ(LineOf(oversized), "invalid 32 bytes: bundle element larger than the datagram");
    EXPECT_EQ(LineOf({'/', 'a'}), "invalid 2 bytes: no terminated address");
}

// OSC 1.0 addresses begin with "/": one that does not, the empty one of an
// empty command included, makes the datagram invalid, yet it is shown whole.
TEST(DatagramLine, AnAddressWithoutALeadingSlashIsInvalidAndShownWhole) {
    using tests::OscBundle;
    using tests::OscMessage;
    struct Case {
        tests::Bytes bytes;
        std::string line;
        bool badAddress;
    };
    const Case cases[] = {
        {OscMessage("fader", 1.0f),
         "invalid 16 bytes: address does not begin with \"/\": fader ,f 1", true},
        {OscMessage(" /a", 1.0f),
         "invalid 12 bytes: address does not begin with \"/\": \" /a\" ,f 1", true},
        {OscBundle(OscMessage("", std::int32_t{3})),
         "invalid 32 bytes: address does not begin with \"/\": bundle immediate \"\" ,i 3", true},
        {OscMessage("/", 1.0f), "/ ,f 1", false},
        {OscMessage("/" + std::string(2046, 'x'), 1.0f), "/" + std::string(2046, 'x') + " ,f 1",
         false},
        {{'/', 'a'}, "invalid 2 bytes: no terminated address", false},
    };
    for (const Case& test : cases) {
        const varnelohost::ReceivedDatagram datagram =
            varnelohost::DecodeDatagram(test.bytes.data(), test.bytes.size());
        EXPECT_EQ(varnelohost::DatagramLine(datagram), test.line);
        EXPECT_EQ(datagram.badAddress, test.badAddress) << test.line;
        const std::string hint = varnelohost::InvalidHint(datagram);
        EXPECT_EQ(hint.empty(), datagram.error.empty()) << test.line;
        EXPECT_EQ(hint.find("does not begin with \"/\"") != std::string::npos, test.badAddress)
            << hint;
    }
}

// ---- the step rule, mirrored ------------------------------------------------

// The mirror is the plug-in's own rule for the step count the host finds;
// what it answers is tested with the rule itself (tests/sequencer). Here:
// that each count gets its own, and "Loop end" lies after the last step.
TEST(StepMirror, TakesTheStepCountOfEachBuild) {
    for (const std::uint32_t steps : {4u, 8u, 16u, 32u}) {
        SCOPED_TRACE(steps);
        std::optional<varnelohost::StepMirror> mirror = varnelohost::StepMirror::ForSteps(steps);
        ASSERT_TRUE(mirror.has_value());
        EXPECT_EQ(mirror->StepCount(), steps);
        // From Run 0 into the last step, then onto "Loop end" (slot N, 1.0).
        EXPECT_EQ(mirror->SetRun(1.0f - 0.5f / static_cast<float>(steps)),
                  static_cast<float>(steps - 1) / static_cast<float>(steps));
        EXPECT_EQ(mirror->CurrentStep(), static_cast<std::int32_t>(steps - 1));
        EXPECT_EQ(mirror->SetRun(1.0f), 1.0f);
        EXPECT_EQ(mirror->CurrentStep(), static_cast<std::int32_t>(steps));
        EXPECT_EQ(mirror->SetStep(steps, 0.5f), std::nullopt) << "Loop end never sends";
        mirror->SetStepFollow(true);
        EXPECT_EQ(mirror->SetStep(0, 0.5f), 0.5f);
    }
    for (const std::uint32_t steps : {0u, 1u, 5u, 64u})
        EXPECT_FALSE(varnelohost::StepMirror::ForSteps(steps).has_value()) << steps;
}

// ---- how the plug-in reads the command -------------------------------------

constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

bool SameFloat(float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }

struct CommandCase {
    std::string command;
    std::string address;
    bool integer;
    bool hasRange;
    float min;
    float max;
    std::vector<std::string> warnings;  // a distinctive part of each, in order
};

void PrintTo(const CommandCase& test, std::ostream* out) { *out << "\"" << test.command << "\""; }

const std::vector<CommandCase>& CommandCases() {
    static const std::vector<CommandCase> cases = {
        {"/fader f[0:255]", "/fader", false, true, 0.0f, 255.0f, {}},
        {"/scene i[1:12]", "/scene", true, true, 1.0f, 12.0f, {}},
        {"/layer1/opacity f", "/layer1/opacity", false, false, 0.0f, 1.0f, {}},
        {"/fader", "/fader", false, false, 0.0f, 1.0f, {}},
        {"/a f[ -1e3 : 0x10 ]", "/a", false, true, -1000.0f, 16.0f, {}},
        {"/a f[0:255", "/a", false, true, 0.0f, 255.0f, {"\"[0:255\" has no closing \"]\""}},
        {"/a f[0:255]  ", "/a", false, true, 0.0f, 255.0f, {}},
        {"/a f[0:255] extra",
         "/a",
         false,
         true,
         0.0f,
         255.0f,
         {"goes on after its range with \"extra\", which the plug-in ignores"}},
        {"", "", false, false, 0.0f, 1.0f, {"the OSC command is empty"}},
        {"fader f[0:255]",
         "fader",
         false,
         true,
         0.0f,
         255.0f,
         {"\"fader\" does not begin with \"/\""}},
        {" /a f[0:9]", " /a f[0:9]", false, false, 0.0f, 1.0f, {"begins with a blank"}},
        {"/a f[0,5:1]", "/a", false, true, 0.0f, 1.0f, {"min \"0,5\" is not wholly a number"}},
        {"/a f[abc:10]", "/a", false, true, 0.0f, 10.0f, {"min \"abc\" is not a number"}},
        {"/a f[0:x]", "/a", false, true, 0.0f, 0.0f, {"max \"x\" is not a number"}},
        {"/a f[0:]", "/a", false, true, 0.0f, 0.0f, {"max is empty"}},
        {"/a f[0:1,5]", "/a", false, true, 0.0f, 1.0f, {"max \"1,5\" is not wholly"}},
        {"/a f[:10]", "/a", false, false, 0.0f, 1.0f, {"\"[:10]\" has nothing before its \":\""}},
        {"/a f[0,255]", "/a", false, false, 0.0f, 1.0f, {"\"[0,255]\" has no \":\""}},
        {"/fader[0:255]", "/fader[0:255]", false, false, 0.0f, 1.0f, {"\"/fader f[0:255]\""}},
        {"/a[1] f[0:10]", "/a[1]", false, true, 1.0f, 10.0f, {"the address holds a \"[\""}},
        // Values that are not finite: every value sent is not one either.
        {"/a f[nan:1]", "/a", false, true, kNaN, 1.0f, {"min \"nan\" is not a finite number"}},
        {"/a i[0:inf]",
         "/a",
         true,
         true,
         0.0f,
         kInfinity,
         {"max \"inf\" is not a finite number: every value the plug-in sends is -2147483648"}},
        {"/a f[0:1e39]", "/a", false, true, 0.0f, kInfinity, {"max \"1e39\" lies beyond float32"}},
        // int32 arguments: a min or max beyond int32 as float32 reads it.
        {"/a i[0:1e10]",
         "/a",
         true,
         true,
         0.0f,
         1e10f,
         {"max \"1e10\" (10000000000 as float32) lies beyond int32"}},
        {"/a i[-2147483648:2147483647]",
         "/a",
         true,
         true,
         -2147483648.0f,
         2147483648.0f,
         {"max \"2147483647\" (2147483648 as float32) lies beyond int32"}},
        {"/a i[-1000000:1000000]", "/a", true, true, -1000000.0f, 1000000.0f, {}},
        {"/a f[0:1e10]", "/a", false, true, 0.0f, 1e10f, {}},
        // The letter after the blank.
        {"/a x[0:1]",
         "/a",
         false,
         true,
         0.0f,
         1.0f,
         {"the type letter \"x\" is neither i (int32) nor f (float32)"}},
        {"/a I[0:1]", "/a", false, true, 0.0f, 1.0f, {"\"I\" is upper-case"}},
        {"/a [0:1]", "/a", false, true, 0.0f, 1.0f, {"without a type letter"}},
        // A tab where the blank belongs: the hint puts the blank there.
        {"/a\tf[0:1]", "/a\tf[0:1]", false, false, 0.0f, 1.0f, {"\"\\t\" where a blank belongs"}},
        {"/a \tf[0:1]", "/a", false, true, 0.0f, 1.0f, {"the type letter \"\\t\""}},
        // A URL the plug-in refuses: that alone, as nothing is sent at all.
        {"osc.tcp://1.2.3.4:9/a x[nan:1]",
         "/a",
         false,
         true,
         kNaN,
         1.0f,
         {"\"osc.tcp://1.2.3.4:9\" is refused, as its protocol is not osc.udp: the plug-in sends "
          "nothing at all"}},
        {"osc.udp://lights.local:9000/a",
         "/a",
         false,
         false,
         0.0f,
         1.0f,
         {"as its host is neither an IPv4 address"}},
        {"osc.udp://1.2.3.4:0/a", "/a", false, false, 0.0f, 1.0f, {"as it has no port"}},
        {"osc.udp://1.2.3.4:9000",
         "",
         false,
         false,
         0.0f,
         1.0f,
         {"no OSC address beginning with \"/\" follows its port"}},
        {"osc.udp://127.0.0.1:9000/a f[0:1]", "/a", false, true, 0.0f, 1.0f, {}},
        {"a i[x:y]",
         "a",
         true,
         true,
         0.0f,
         0.0f,
         {"does not begin with \"/\"", "min \"x\" is not a number", "max \"y\" is not a number"}},
    };
    return cases;
}

class ExplainCommandTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(ExplainCommandTest, ReadsAsThePlugInReadsAndWarnsOfLikelyMistakes) {
    const CommandCase& test = GetParam();
    const varnelohost::CommandReport report = varnelohost::ExplainCommand(test.command, false);
    EXPECT_EQ(report.kept, test.command);
    EXPECT_EQ(report.address, test.address);
    EXPECT_EQ(report.integer, test.integer);
    EXPECT_EQ(report.hasRange, test.hasRange);
    EXPECT_TRUE(SameFloat(report.rangeMin, test.min)) << report.rangeMin;
    EXPECT_TRUE(SameFloat(report.rangeMax, test.max)) << report.rangeMax;
    ASSERT_EQ(report.warnings.size(), test.warnings.size())
        << ::testing::PrintToString(report.warnings);
    for (std::size_t at = 0; at < test.warnings.size(); ++at) {
        EXPECT_NE(report.warnings[at].find(test.warnings[at]), std::string::npos)
            << report.warnings[at];
        EXPECT_EQ(report.warnings[at].find('\n'), std::string::npos);
        EXPECT_NE(report.warnings[at].find("; "), std::string::npos) << "a hint follows";
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, ExplainCommandTest, ::testing::ValuesIn(CommandCases()));

// The plug-in keeps the first 2047 characters: a longer command is read as
// cut, and says so; one of exactly that length is not cut.
TEST(ExplainCommand, ALongerCommandIsReadAsThePlugInKeepsIt) {
    const std::size_t most = varnelohost::MaxCommandLength();
    ASSERT_EQ(most, 2047u);
    const std::string address = "/" + std::string(most - 1, 'a');
    const varnelohost::CommandReport whole = varnelohost::ExplainCommand(address, false);
    EXPECT_EQ(whole.kept, address);
    EXPECT_TRUE(whole.warnings.empty());

    const std::string cut = address + " i[1:12]";
    const varnelohost::CommandReport report = varnelohost::ExplainCommand(cut, false);
    EXPECT_EQ(report.given, cut);
    EXPECT_EQ(report.kept, address);
    EXPECT_EQ(report.address, address);
    EXPECT_FALSE(report.integer) << "the type went with the cut";
    EXPECT_FALSE(report.hasRange);
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_NE(report.warnings[0].find("has 2055 characters"), std::string::npos)
        << report.warnings[0];
}

// A tab where the blank belongs: one warning, whose example puts the
// blank there (not a blank and a type letter after the tab).
TEST(ExplainCommand, ATabWhereTheBlankBelongsGetsTheBlankInItsPlace) {
    const varnelohost::CommandReport report = varnelohost::ExplainCommand("/a\tf[0:1]", false);
    ASSERT_EQ(report.warnings.size(), 1u) << ::testing::PrintToString(report.warnings);
    EXPECT_NE(report.warnings[0].find("put a blank in its place, e.g. \"/a f[0:1]\""),
              std::string::npos)
        << report.warnings[0];
}

// Where the plug-in sends, as its parser reads the URL.
TEST(ExplainCommand, NamesWhereThePlugInSends) {
    using varnelohost::Target;
    const struct {
        const char* command;
        Target target;
        std::string url;
    } cases[] = {
        {"/a f[0:1]", Target::kBuiltIn, ""},
        {"osc.udp://127.0.0.1:9000/a", Target::kUrl, "osc.udp://127.0.0.1:9000"},
        {"osc.udp://LocalHost:09000/a", Target::kUrl, "osc.udp://127.0.0.1:9000"},
        {"osc.udp://192.168.001.020:8000/fader f[0:255]", Target::kUrl,
         "osc.udp://192.168.1.20:8000"},
        {"osc.udp://1.2.3.4:65536/a", Target::kNowhere, ""},
        {"http://1.2.3.4:80/a", Target::kBuiltIn, ""},
    };
    for (const auto& test : cases) {
        const varnelohost::CommandReport report = varnelohost::ExplainCommand(test.command, false);
        EXPECT_EQ(report.target, test.target) << test.command;
        EXPECT_EQ(report.TargetUrl(), test.url) << test.command;
    }
}

TEST(CommandLines, StableLinesForScripts) {
    varnelohost::CommandReport defaulted = varnelohost::ExplainCommand("/fader f[0:255]", true);
    EXPECT_EQ(
        varnelohost::CommandLines(defaulted),
        (std::vector<std::string>{
            "command default \"/fader f[0:255]\" (no --set \"OSC command=...\" given)",
            "command address \"/fader\" float32 range 0 255", "command destination built-in"}));
    EXPECT_EQ(varnelohost::CommandLines(
                  varnelohost::ExplainCommand("osc.udp://localhost:9000/s i[-1.5:1e3]", false)),
              (std::vector<std::string>{"command address \"/s\" int32 range -1.5 1000",
                                        "command destination osc.udp://127.0.0.1:9000"}));
    const std::vector<std::string> refused =
        varnelohost::CommandLines(varnelohost::ExplainCommand("osc.udp://x:1/a", false));
    ASSERT_EQ(refused.size(), 3u);
    EXPECT_EQ(refused[1], "command destination refused");
    EXPECT_EQ(refused[2].rfind("warning the destination URL \"osc.udp://x:1\" is refused", 0), 0u)
        << refused[2];
    const std::vector<std::string> empty =
        varnelohost::CommandLines(varnelohost::ExplainCommand("", false));
    ASSERT_EQ(empty.size(), 3u);
    EXPECT_EQ(empty[0], "command address \"\" float32 range 0 1 (no range: 0..1 applies)");
    EXPECT_EQ(empty[2].rfind("warning the OSC command is empty", 0), 0u) << empty[2];
}

// ---- where the host listens --------------------------------------------------

TEST(DecideListening, ListensWhereThePlugInSendsWhenThatIsThisMachine) {
    using varnelohost::BuiltInDestination;
    using varnelohost::ListenRequest;
    const varnelohost::CommandReport plain = varnelohost::ExplainCommand("/a f", false);
    const varnelohost::CommandReport here =
        varnelohost::ExplainCommand("osc.udp://localhost:9000/a f", false);
    const varnelohost::CommandReport there =
        varnelohost::ExplainCommand("osc.udp://10.0.0.2:9000/a f", false);
    const varnelohost::CommandReport refused =
        varnelohost::ExplainCommand("osc.tcp://127.0.0.1:9000/a f", false);
    const BuiltInDestination loopback{"127.0.0.1", 7000};
    const BuiltInDestination desk{"192.168.1.20", 8000};
    const BuiltInDestination localName{"LOCALHOST", 9100};
    const struct {
        const char* what;
        ListenRequest request;
        const varnelohost::CommandReport* command;
        BuiltInDestination builtIn;
        std::optional<std::uint16_t> port;
        std::string note;   // a part of it; "" for none
        std::string error;  // a part of it; "" for none
    } cases[] = {
        {"the built-in destination", {}, &plain, loopback, 7000, "", ""},
        {"no OSC command", {}, nullptr, loopback, 7000, "", ""},
        {"a build for localhost:9100", {}, &plain, localName, 9100, "", ""},
        {"--listen", {true, 8000}, &plain, loopback, 8000, "", ""},
        {"--no-listen", {false, {}}, &plain, loopback, std::nullopt, "", ""},
        {"a URL to this machine", {}, &here, loopback, 9000, "", ""},
        {"a URL to this machine, --no-listen", {false, {}}, &here, loopback, std::nullopt, "", ""},
        {"a URL elsewhere",
         {},
         &there,
         loopback,
         std::nullopt,
         "sends to osc.udp://10.0.0.2:9000",
         ""},
        {"a refused URL", {}, &refused, loopback, std::nullopt, "", ""},
        {"a build for another machine",
         {},
         &plain,
         desk,
         std::nullopt,
         "this build send to 192.168.1.20:8000",
         ""},
        {"a build for another machine, --listen", {true, 8000}, &plain, desk, 8000, "", ""},
        {"--listen with a URL",
         {true, 8000},
         &here,
         loopback,
         std::nullopt,
         "",
         "the command names its own: osc.udp://127.0.0.1:9000"},
        {"--listen with a refused URL",
         {true, 8000},
         &refused,
         loopback,
         std::nullopt,
         "",
         "a refused URL"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        const varnelohost::Listening listening =
            varnelohost::DecideListening(test.request, test.command, test.builtIn);
        EXPECT_EQ(listening.port, test.port);
        EXPECT_EQ(listening.note.empty(), test.note.empty()) << listening.note;
        EXPECT_NE(listening.note.find(test.note), std::string::npos) << listening.note;
        EXPECT_EQ(listening.error.empty(), test.error.empty()) << listening.error;
        EXPECT_NE(listening.error.find(test.error), std::string::npos) << listening.error;
    }
}

// This build's plug-ins send to 127.0.0.1:7000 unless it names another.
TEST(DecideListening, ThisBuildsDestinationIsTheOneItsPlugInsWereBuiltFor) {
    const varnelohost::BuiltInDestination builtIn = varnelohost::ThisBuildsDestination();
    EXPECT_EQ(builtIn.host, VARNELO_TEST_OSC_HOST);
    EXPECT_EQ(builtIn.port, VARNELO_TEST_OSC_PORT);
}

TEST(SilenceHint, SaysNothingArrivedAndWhereItMoreLikelyWent) {
    const varnelohost::CommandReport plain = varnelohost::ExplainCommand("/a f", false);
    const varnelohost::CommandReport url =
        varnelohost::ExplainCommand("osc.udp://127.0.0.1:9000/a f", false);
    const std::string builtIn = varnelohost::SilenceHint(7000, 4, &plain);
    EXPECT_EQ(builtIn.rfind("nothing arrived at 127.0.0.1:7000, though the plug-in was due to "
                            "send 4 values: a plug-in built for another destination sends there",
                            0),
              0u)
        << builtIn;
    EXPECT_NE(builtIn.find("give --listen PORT"), std::string::npos) << builtIn;
    EXPECT_NE(varnelohost::SilenceHint(7000, 1, nullptr).find("due to send 1 value:"),
              std::string::npos);
    EXPECT_NE(varnelohost::SilenceHint(9000, 2, &url).find("reads no destination URL"),
              std::string::npos);
    EXPECT_EQ(varnelohost::SilenceHint(7000, std::nullopt, &plain)
                  .rfind("nothing arrived at 127.0.0.1:7000: ", 0),
              0u)
        << "without a count";
    EXPECT_EQ(varnelohost::SilenceHint(7000, 0, &plain), "") << "nothing was due";
}

// ---- text for the terminal ---------------------------------------------------

// What would act on a terminal is written out; every other character,
// UTF-8 included, stays as it is.
TEST(Printable, WritesOutWhatATerminalWouldActOn) {
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"Varnelo 8", "Varnelo 8"},
        {"\x1b[2J\x1b]0;title\x07", "\\x1B[2J\\x1B]0;title\\x07"},
        {"a\tb\nc\rd\x7F", "a\\x09b\\x0Ac\\x0Dd\\x7F"},
        {"\xC3\xA9t\xC3\xA9 \xE2\x9C\x93", "\xC3\xA9t\xC3\xA9 \xE2\x9C\x93"},
        {"\xC2\x9B"
         "31m",
         "\\xC2\\x9B"
         "31m"},  // CSI as a C1 control
        {"\xFF\xC3", "\\xFF\\xC3"},
        {std::string("a\0b", 3), "a\\x00b"},
    };
    for (const auto& test : cases) EXPECT_EQ(varnelohost::Printable(test.text), test.shown);
}

// ---- plug-in names ---------------------------------------------------------

TEST(NearestPluginName, SuggestsTheNameMostLikelyMeant) {
    const struct {
        const char* argument;
        const char* nearest;
    } cases[] = {
        {"varnelo8", "Varnelo8"},
        {"VARNELO16.SO", "Varnelo16"},
        {"/no/such/varnelo32.so", "Varnelo32"},
        {"Varnelo5", "Varnelo4"},
        {"Varnelo6", "Varnelo4"},
        {"Varnelo12", "Varnelo8"},
        {"Varnelo64", "Varnelo32"},
        {"Varnel08", "Varnelo8"},
        {"Vanrelo16", "Varnelo16"},
        {"Varnelo 5", "Varnelo4"},
        {"varnelo 16", "Varnelo16"},
        {"Varnelo", ""},
        {"fader", ""},
        {"", ""},
    };
    for (const auto& test : cases)
        EXPECT_EQ(varnelohost::NearestPluginName(test.argument), test.nearest) << test.argument;
}

// ---- the live view -------------------------------------------------------

// The display column of the first occurrence of `text` in a panel line.
int ColumnOf(const std::string& line, const std::string& text) {
    const std::size_t at = line.find(text);
    if (at == std::string::npos) return -1;
    int column = 0;
    for (std::size_t index = 0; index < at; ++index) {
        if (line[index] == '\x1b') {
            index = line.find('m', index);
            continue;
        }
        if ((static_cast<unsigned char>(line[index]) & 0xC0) != 0x80) ++column;
    }
    return column;
}

varnelohost::PanelState Panel(std::size_t steps, std::int32_t currentStep) {
    varnelohost::PanelState panel;
    panel.pluginName = "Varnelo " + std::to_string(steps);
    panel.currentStep = currentStep;
    for (std::size_t slot = 0; slot < steps; ++slot)
        panel.steps.push_back(static_cast<float>(slot) / steps);
    panel.loopEnd = 1.0f;
    return panel;
}

// The marker stands under the label of the current step (0-based); step N
// (Run 1.0) is "Loop end", labelled E.
TEST(LiveView, MarksTheCurrentStep) {
    struct Case {
        std::size_t steps;
        std::int32_t current;
        std::string label;
    };
    for (const Case& mark : {Case{4, 2, "3"}, Case{4, 0, "1"}, Case{4, 4, "E"}, Case{8, 7, "8"},
                             Case{16, 15, "16"}, Case{32, 16, "17"}, Case{32, 32, "E"}}) {
        SCOPED_TRACE(std::to_string(mark.current) + " of " + std::to_string(mark.steps));
        for (const bool utf8 : {true, false}) {
            const std::vector<std::string> lines =
                varnelohost::RenderPanel(Panel(mark.steps, mark.current), utf8, 200);
            ASSERT_GE(lines.size(), 4u);
            const std::string& markers = lines[lines.size() - 3];
            const std::string& labels = lines[lines.size() - 2];
            EXPECT_EQ(ColumnOf(markers, utf8 ? "▲" : "^"),
                      ColumnOf(labels, " " + mark.label + " ") + 1)
                << markers << "\n"
                << labels;
        }
    }
}

TEST(LiveView, StaysWithinTheTerminalWidth) {
    for (const int width : {20, 40, 80}) {
        for (const std::string& line : varnelohost::RenderPanel(Panel(32, 6), true, width)) {
            int columns = 0;
            for (std::size_t index = 0; index < line.size(); ++index) {
                if (line[index] == '\x1b') {
                    index = line.find('m', index);
                    continue;
                }
                if ((static_cast<unsigned char>(line[index]) & 0xC0) != 0x80) ++columns;
            }
            EXPECT_LT(columns, width) << line;
        }
    }
}

}  // namespace
