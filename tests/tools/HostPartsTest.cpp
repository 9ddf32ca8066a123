// The host's parts on their own: where "Run" stands at each frame, how a
// datagram reads, what the plug-in sends while playing, how it reads its
// command, which plug-in name was meant, and which step the live view marks.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "CommandReport.h"
#include "OscListener.h"
#include "Output.h"
#include "PluginFinder.h"
#include "Schedule.h"
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

// ---- what the plug-in sends while playing ----------------------------------

// Steps entered as the plug-in decides them, trunc(p * N) in single
// precision: the same step twice sends nothing without Smooth, every set
// sends with it.
TEST(StepCounter, CountsTheStepsEnteredAndWhatIsSent) {
    struct Case {
        const char* what;
        std::uint32_t steps;
        float start;
        std::vector<float> positions;
        std::uint64_t entered;
    };
    const Case cases[] = {
        {"from the default 0.5, each step once", 4, 0.5f, {0.0f, 0.25f, 0.5f, 0.75f}, 4},
        {"the start's own step sends nothing", 4, 0.5f, {0.5f, 0.74f}, 0},
        {"back and forth", 4, 0.5f, {0.49f, 0.51f, 0.74f, 1.0f, 0.0f, 0.25f}, 5},
        {"1.0 is a step of its own, Loop end", 8, 0.99f, {1.0f, 1.0f}, 1},
        {"a hair below a step's start", 4, 0.0f, {0.24999999f, 0.25f}, 1},
        {"no sets", 16, 0.0f, {}, 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        for (const bool smooth : {false, true}) {
            varnelohost::StepCounter counter(test.steps, test.start, smooth);
            for (const float position : test.positions) counter.Set(position);
            EXPECT_EQ(counter.Sets(), test.positions.size());
            EXPECT_EQ(counter.StepsEntered(), test.entered);
            EXPECT_EQ(counter.Sent(), smooth ? test.positions.size() : test.entered);
        }
    }
}

// ---- how the plug-in reads the command -------------------------------------

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
        {"/a f[0:255", "/a", false, true, 0.0f, 255.0f, {}},
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
    EXPECT_EQ(report.rangeMin, test.min);
    EXPECT_EQ(report.rangeMax, test.max);
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

TEST(CommandLines, StableLinesForScripts) {
    varnelohost::CommandReport defaulted = varnelohost::ExplainCommand("/fader f[0:255]", true);
    EXPECT_EQ(varnelohost::CommandLines(defaulted),
              (std::vector<std::string>{
                  "command default \"/fader f[0:255]\" (no --set \"OSC command=...\" given)",
                  "command address \"/fader\" float32 range 0 255"}));
    EXPECT_EQ(varnelohost::CommandLines(varnelohost::ExplainCommand("/s i[-1.5:1e10]", false)),
              std::vector<std::string>{"command address \"/s\" int32 range -1.5 1e+10"});
    const std::vector<std::string> empty =
        varnelohost::CommandLines(varnelohost::ExplainCommand("", false));
    ASSERT_EQ(empty.size(), 2u);
    EXPECT_EQ(empty[0], "command address \"\" float32 range 0 1 (no range: 0..1 applies)");
    EXPECT_EQ(empty[1].rfind("warning the OSC command is empty", 0), 0u) << empty[1];
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

varnelohost::PanelState Panel(std::size_t steps, const std::string& display) {
    varnelohost::PanelState panel;
    panel.pluginName = "Varnelo " + std::to_string(steps);
    panel.runDisplay = display;
    for (std::size_t slot = 0; slot < steps; ++slot)
        panel.steps.push_back(static_cast<float>(slot) / steps);
    panel.loopEnd = 1.0f;
    return panel;
}

// The marker stands under the label of the step the plug-in displays;
// "Step N+1" (Run 1.0) is "Loop end", labelled E.
TEST(LiveView, MarksTheStepThePlugInDisplays) {
    struct Case {
        std::size_t steps;
        std::string display;
        std::string label;
    };
    for (const Case& mark : {Case{4, "Step 3", "3"}, Case{4, "Step 1", "1"}, Case{4, "Step 5", "E"},
                             Case{8, "Step 8", "8"}, Case{16, "Step 16", "16"},
                             Case{32, "Step 17", "17"}, Case{32, "Step 33", "E"}}) {
        SCOPED_TRACE(mark.display + " of " + std::to_string(mark.steps));
        for (const bool utf8 : {true, false}) {
            const std::vector<std::string> lines =
                varnelohost::RenderPanel(Panel(mark.steps, mark.display), utf8, 200);
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
        for (const std::string& line : varnelohost::RenderPanel(Panel(32, "Step 7"), true, width)) {
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
