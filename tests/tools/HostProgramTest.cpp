// varnelo-host as a user and a script run it: its listing of each built
// library, the datagrams that arrive for a --run list or a timed play,
// how it reads the command before playing, the errors, what --no-listen
// played, the --plot picture, and --frames.
#include <gtest/gtest.h>

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "HostProcess.h"
#include "Plugins.h"
#include "UdpReceiver.h"
#include "XmlChecker.h"

namespace {

using tests::HostRun;
using tests::RunHost;
using tests::AllVariants;
using tests::Variant;
using tests::VariantWithSteps;

std::vector<std::string> Concat(std::vector<std::string> first,
                                const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// The key=value fields of the summary line.
std::string SummaryField(const HostRun& run, const std::string& key) {
    const std::vector<std::string> summaries = run.LinesAfter("summary");
    if (summaries.size() != 1) return "<" + std::to_string(summaries.size()) + " summary lines>";
    const std::string& summary = summaries[0];
    const std::size_t at = (" " + summary).find(" " + key + "=");
    if (at == std::string::npos) return "<no " + key + ">";
    const std::size_t start = at + key.size() + 1;
    return summary.substr(start, summary.find(' ', start) - start);
}

// ---- the listing -------------------------------------------------------

struct ExpectedParameter {
    std::string name;
    std::string type;
    std::string defaultText;  // for text and switches
    float defaultValue;       // for standard parameters
};

std::vector<ExpectedParameter> ExpectedTable(std::uint32_t steps) {
    std::vector<ExpectedParameter> table = {
        {"OSC command", "text", "\"\"", 0.0f},
        {"Run", "standard", "", 0.5f},
        {"Smooth", "boolean", "off", 0.0f},
        {"Step follow", "boolean", "off", 0.0f},
    };
    const float width = 1.0f / static_cast<float>(steps);
    for (std::uint32_t step = 1; step <= steps; ++step) {
        table.push_back(
            {"Step " + std::to_string(step), "standard", "", static_cast<float>(step - 1) * width});
    }
    table.push_back({"Loop end", "standard", "", 1.0f});
    table.push_back({"OSC Bundle", "boolean", "off", 0.0f});
    return table;
}

class ListingTest : public ::testing::TestWithParam<Variant> {};

TEST_P(ListingTest, ShowsIdentityCapabilitiesAndEveryParameterAsTheHostGetsThem) {
    const Variant& variant = GetParam();
    const HostRun run = RunHost({variant.path, "--info", "--plain"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "");
    char id[8];
    std::snprintf(id, sizeof id, "VN%02u", variant.stepCount);
    const std::vector<std::string> expectedHeader = {
        "name \"Varnelo " + std::to_string(variant.stepCount) + "\"",
        std::string("id \"") + id + "\"",
        "type effect",
        "api 1.0",
        "version 1.0",
        "description \"Varnelo version 1.1\"",
    };
    const std::vector<std::string> lines = run.Lines();
    ASSERT_GE(lines.size(), expectedHeader.size() + 1);
    EXPECT_EQ(
        std::vector<std::string>(lines.begin() + 1, lines.begin() + 1 + expectedHeader.size()),
        expectedHeader);
    EXPECT_EQ(run.LinesAfter("capability"),
              (std::vector<std::string>{"process-opengl yes", "set-time no", "min-inputs 1",
                                        "max-inputs 1"}));
    EXPECT_EQ(run.LinesAfter("parameters"),
              std::vector<std::string>{std::to_string(variant.Index().Count())});

    const std::vector<ExpectedParameter> table = ExpectedTable(variant.stepCount);
    const std::vector<std::string> params = run.LinesAfter("param");
    ASSERT_EQ(params.size(), table.size());
    for (std::size_t index = 0; index < table.size(); ++index) {
        const ExpectedParameter& expected = table[index];
        const std::string head =
            std::to_string(index) + " \"" + expected.name + "\" " + expected.type + " ";
        ASSERT_EQ(params[index].substr(0, head.size()), head) << params[index];
        const std::string value = params[index].substr(head.size());
        if (expected.type == "standard") {
            // Read back, the default is exactly the float the host gets.
            EXPECT_EQ(std::stof(value), expected.defaultValue) << params[index];
        } else {
            EXPECT_EQ(value, expected.defaultText) << params[index];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryVariant, ListingTest, ::testing::ValuesIn(AllVariants()));

// By file name, or by the name a host's browser shows.
TEST(Listing, FindsTheBuiltLibrariesByName) {
    for (const char* name : {"Varnelo16", "Varnelo16.so", "Varnelo 16"}) {
        const HostRun byName = RunHost({name, "--info", "--plain"});
        ASSERT_EQ(byName.exitStatus, 0) << byName.err;
        EXPECT_EQ(byName.LinesAfter("name"), std::vector<std::string>{"\"Varnelo 16\""});
    }
    const HostRun noName = RunHost({"--info", "--plain"});
    ASSERT_EQ(noName.exitStatus, 0) << noName.err;
    EXPECT_EQ(noName.LinesAfter("name"), std::vector<std::string>{"\"Varnelo 4\""});
}

// ---- what arrives --------------------------------------------------------

// One expected datagram line: everything before the value, and the value,
// compared as the float (or int32) it reads back as.
struct Arrival {
    std::string head;  // "/a ,f" or "bundle immediate /scene ,i"
    float value;
};

// A head that begins with "invalid " stands for a datagram that is not OSC 1.0.
void ExpectArrivals(const HostRun& run, const std::vector<Arrival>& expected) {
    const std::vector<std::string> received = run.LinesAfter("recv");
    ASSERT_EQ(received.size(), expected.size()) << run.out;
    std::size_t invalid = 0;
    for (std::size_t at = 0; at < expected.size(); ++at) {
        const std::size_t blank = received[at].rfind(' ');
        ASSERT_NE(blank, std::string::npos) << received[at];
        EXPECT_EQ(received[at].substr(0, blank), expected[at].head) << "datagram " << at;
        EXPECT_EQ(std::stof(received[at].substr(blank + 1)), expected[at].value)
            << "datagram " << at << ": " << received[at];
        invalid += expected[at].head.rfind("invalid ", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(SummaryField(run, "datagrams"), std::to_string(expected.size()));
    EXPECT_EQ(SummaryField(run, "invalid"), std::to_string(invalid));
}

struct RunCase {
    const char* what;
    std::uint32_t steps;
    std::vector<std::string> arguments;
    std::vector<Arrival> expected;
};

void PrintTo(const RunCase& runCase, std::ostream* out) { *out << runCase.what; }

// The glide of a smooth run on the default steps of a 4-step build:
// (next - base) * (p - k) + base, each step rounded to single precision.
float Glide(float run, float base, float next) {
    volatile float p = run * 4.0f;
    volatile float fraction = p - static_cast<float>(static_cast<int>(p));
    volatile float difference = next - base;
    volatile float product = difference * fraction;
    return product + base;
}

const std::vector<RunCase>& RunCases() {
    static const std::vector<RunCase> cases = {
        // From the default "Run" 0.5 (step 3): 0.49 enters step 2, 0.51 step 3,
        // 0.74 stays in it, 1.0 stands on "Loop end", 0 and 0.25 open steps 1 and 2.
        {"a new step sends, the same step does not",
         4,
         {"--set", "OSC command=/a f[10:20]", "--run", "0.49", "0.51", "0.74", "1.0", "0", "0.25"},
         {{"/a ,f", 12.5f},
          {"/a ,f", 15.0f},
          {"/a ,f", 20.0f},
          {"/a ,f", 10.0f},
          {"/a ,f", 12.5f}}},
        // int32 rounded to nearest, ties to even (6.5 gives 6), in bundles.
        {"integers in bundles",
         4,
         {"--set", "OSC command=/scene i[1:12]", "--set", "OSC Bundle=on", "--run",
          "0,0.25,0.5,0.75,1"},
         {{"bundle immediate /scene ,i", 1},
          {"bundle immediate /scene ,i", 4},
          {"bundle immediate /scene ,i", 6},
          {"bundle immediate /scene ,i", 9},
          {"bundle immediate /scene ,i", 12}}},
        // "Step follow" sends the edited value at once; Run 0.5 is the step the
        // default already stands in and sends nothing; 0.125 enters step 2.
        {"step follow, and the default run position",
         8,
         {"--set", "OSC command=/x f", "--set", "Step follow=on", "--set", "Step 2=0.9", "--run",
          "0.5", "0.125"},
         {{"/x ,f", 0.9f}, {"/x ,f", 0.9f}}},
        // With "Smooth" every set sends, the same position twice included.
        {"smooth glides and repeats",
         4,
         {"--set", "OSC command=/a f", "--set", "Smooth=on", "--run", "0.125", "0.125", "0.9"},
         {{"/a ,f", 0.125f}, {"/a ,f", 0.125f}, {"/a ,f", Glide(0.9f, 0.75f, 1.0f)}}},
        // An empty command sends to the empty address (4 zero bytes): not OSC 1.0.
        {"an empty address arrives too",
         32,
         {"--set", "OSC command=", "--run", "0", "0.999"},
         {{"invalid 12 bytes: address does not begin with \"/\": \"\" ,f", 0.0f},
          {"invalid 12 bytes: address does not begin with \"/\": \"\" ,f", 31.0f / 32.0f}}},
    };
    return cases;
}

class RunListTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunListTest, ExactlyTheDatagramsTheStepEngineSendsArrive) {
    const RunCase& runCase = GetParam();
    const HostRun run = RunHost(
        Concat({VariantWithSteps(runCase.steps).path, "--fast", "--plain"}, runCase.arguments));
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    ExpectArrivals(run, runCase.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, RunListTest, ::testing::ValuesIn(RunCases()));

// What the plug-in puts on the wire when the host leaves the port to another
// receiver: here the test's own socket, byte for byte.
TEST(NoListen, LeavesThePortToAnotherReceiverThatGetsTheExactBytes) {
    tests::UdpReceiver receiver{7000};
    ASSERT_TRUE(receiver.Bound()) << "UDP 127.0.0.1:7000 is taken";
    const HostRun run =
        RunHost({VariantWithSteps(4).path, "--no-listen", "--fast", "--plain", "--set",
                 "OSC command=/a f[10:20]", "--run", "0", "0.25", "1", "--set", "OSC Bundle=off"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.LinesAfter("recv").size(), 0u);
    EXPECT_EQ(SummaryField(run, "listen"), "no");
    const std::vector<tests::Bytes> datagrams = receiver.ReceiveAll();
    EXPECT_EQ(datagrams, (std::vector<tests::Bytes>{tests::OscMessage("/a", 10.0f),
                                                          tests::OscMessage("/a", 12.5f),
                                                          tests::OscMessage("/a", 20.0f)}));

    const HostRun bundles =
        RunHost({VariantWithSteps(4).path, "--no-listen", "--fast", "--plain", "--set",
                 "OSC command=/a i[0:10]", "--set", "OSC Bundle=on", "--run", "0.25"});
    ASSERT_EQ(bundles.exitStatus, 0) << bundles.err;
    // Step 2 holds 0.25: 2.5 rounds to the even 2.
    EXPECT_EQ(receiver.ReceiveAll(), std::vector<tests::Bytes>{tests::OscBundle(
                                         tests::OscMessage("/a", std::int32_t{2}))});
}

// ---- timed play ----------------------------------------------------------

struct TimedCase {
    const char* what;
    std::uint32_t steps;
    std::vector<std::string> arguments;
    std::uint64_t frames;
    std::vector<float> values;  // sent to "/a" as floats
};

void PrintTo(const TimedCase& timedCase, std::ostream* out) { *out << timedCase.what; }

const std::vector<TimedCase>& TimedCases() {
    static const std::vector<TimedCase> cases = {
        // 8 frames a loop on 4 steps: each step entered once per loop, and the
        // second loop starts again at step 1 (Run back to 0, not 1).
        {"two loops",
         4,
         {"--loop", "1", "--fps", "8", "--loops", "2"},
         16,
         {0.0f, 0.25f, 0.5f, 0.75f, 0.0f, 0.25f, 0.5f, 0.75f}},
        {"a loop in beats",
         4,
         {"--beats", "2", "--bpm", "120", "--fps", "8", "--loops", "1"},
         8,
         {0.0f, 0.25f, 0.5f, 0.75f}},
        {"a duration that ends inside a loop",
         8,
         {"--loop", "1", "--fps", "8", "--duration", "1.5"},
         12,
         {0.0f, 0.125f, 0.25f, 0.375f, 0.5f, 0.625f, 0.75f, 0.875f, 0.0f, 0.125f, 0.25f, 0.375f}},
    };
    return cases;
}

class TimedPlayTest : public ::testing::TestWithParam<TimedCase> {};

TEST_P(TimedPlayTest, MovesRunLikeAClipPosition) {
    const TimedCase& timedCase = GetParam();
    const HostRun run = RunHost(Concat(
        {VariantWithSteps(timedCase.steps).path, "--fast", "--plain", "--set", "OSC command=/a f"},
        timedCase.arguments));
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    std::vector<Arrival> expected;
    for (const float value : timedCase.values) expected.push_back({"/a ,f", value});
    ExpectArrivals(run, expected);
    EXPECT_EQ(SummaryField(run, "frames"), std::to_string(timedCase.frames));
}

INSTANTIATE_TEST_SUITE_P(Cases, TimedPlayTest, ::testing::ValuesIn(TimedCases()));

// The README's first command: Varnelo4, "/fader f[0:255]", two loops of two
// seconds at 60 frames per second.
TEST(EmbeddedDefault, SendsTheFourStepsOfTwoLoopsToFader) {
    const HostRun run = RunHost({"--fast", "--plain"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.LinesAfter("set"),
              std::vector<std::string>{"0 \"OSC command\" \"/fader f[0:255]\""});
    const std::vector<std::string> loop = {"/fader ,f 0", "/fader ,f 63.75", "/fader ,f 127.5",
                                           "/fader ,f 191.25"};
    EXPECT_EQ(run.LinesAfter("recv"), Concat(loop, loop));
    EXPECT_EQ(SummaryField(run, "frames"), "240");
}

// ---- what the host tells before playing -------------------------------------

// The index of the first line of `run` that begins with `start`; -1 if none.
int LineIndex(const HostRun& run, const std::string& start) {
    const std::vector<std::string> lines = run.Lines();
    for (std::size_t at = 0; at < lines.size(); ++at) {
        if (lines[at].rfind(start, 0) == 0) return static_cast<int>(at);
    }
    return -1;
}

TEST(CommandReport, TheDefaultCommandIsReadAfterTheSettingsAndBeforePlaying) {
    const HostRun run = RunHost({"--fast", "--plain", "--run", "0"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.LinesAfter("command"),
              (std::vector<std::string>{
                  "default \"/fader f[0:255]\" (no --set \"OSC command=...\" given)",
                  "address \"/fader\" float32 range 0 255"}));
    EXPECT_EQ(run.LinesAfter("warning"), std::vector<std::string>{});
    EXPECT_LT(LineIndex(run, "set "), LineIndex(run, "command default"));
    EXPECT_LT(LineIndex(run, "command address"), LineIndex(run, "play "));
}

// A command the plug-in sends to an address that receivers drop: warned of
// before playing, every datagram counted as invalid, one hint for them all.
TEST(CommandReport, AnAddressReceiversDropIsWarnedOfAndItsDatagramsAreInvalid) {
    struct Case {
        std::vector<std::string> arguments;
        std::string command;  // the "command address" line after its keyword
        std::string warning;  // a part of the one warning
        std::vector<std::string> received;
    };
    const std::string bad = "invalid 12 bytes: address does not begin with \"/\": ";
    const Case cases[] = {
        // The README's command for an empty OSC command, as a VJ types it.
        {{"Varnelo4", "--set", "OSC command=", "--run", "0", "0.5"},
         "address \"\" float32 range 0 1 (no range: 0..1 applies)",
         "the OSC command is empty",
         {bad + "\"\" ,f 0", bad + "\"\" ,f 0.5"}},
        {{"Varnelo8", "--set", "OSC command=scene i[1:12]", "--run", "0", "0.25", "1"},
         "address \"scene\" int32 range 1 12",
         "--set \"OSC command=/scene i[1:12]\"",
         {"invalid 16 bytes: address does not begin with \"/\": scene ,i 1",
          "invalid 16 bytes: address does not begin with \"/\": scene ,i 4",
          "invalid 16 bytes: address does not begin with \"/\": scene ,i 12"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.arguments[2]);
        const HostRun run = RunHost(test.arguments);
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.LinesAfter("command"), std::vector<std::string>{test.command});
        const std::vector<std::string> warnings = run.LinesAfter("warning");
        ASSERT_EQ(warnings.size(), 1u) << run.out;
        EXPECT_NE(warnings[0].find(test.warning), std::string::npos) << warnings[0];
        EXPECT_LT(LineIndex(run, "warning"), LineIndex(run, "play "));
        EXPECT_EQ(run.LinesAfter("recv"), test.received);
        const std::vector<std::string> hints = run.LinesAfter("hint");
        ASSERT_EQ(hints.size(), 1u) << "once a run: " << run.out;
        EXPECT_NE(hints[0].find("does not begin with \"/\""), std::string::npos) << hints[0];
        const std::string count = std::to_string(test.received.size());
        EXPECT_EQ(SummaryField(run, "datagrams"), count);
        EXPECT_EQ(SummaryField(run, "invalid"), count);
        EXPECT_EQ(SummaryField(run, "messages"), "0");
    }
}

// ---- errors ----------------------------------------------------------------

struct ErrorCase {
    const char* what;
    std::vector<std::string> arguments;
    std::string expectedText;  // a part of the one stderr line
};

std::string TextFilePretendingToBeAPlugin() {
    static const std::string path = [] {
        const std::string name =
            ::testing::TempDir() + "/host-test-text-" + std::to_string(getpid()) + ".so";
        std::ofstream(name) << "not a library\n";
        return name;
    }();
    return path;
}

void ExpectOneErrorLine(const HostRun& run, const std::string& expectedText) {
    EXPECT_NE(run.exitStatus, 0);
    EXPECT_EQ(run.out, "") << "nothing may be listed or played before the error";
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
    EXPECT_NE(run.err.find(expectedText), std::string::npos) << run.err;
}

TEST(Errors, OneLineOnStandardErrorAndANonZeroExit) {
    const std::string varnelo4 = VariantWithSteps(4).path;
    const std::vector<ErrorCase> cases = {
        {"a text file", {TextFilePretendingToBeAPlugin()}, "not a plug-in"},
        {"a library without plugMain", {NOT_A_PLUGIN_PATH}, "no plugMain"},
        {"an unknown parameter", {varnelo4, "--set", "Speed=0.5"}, "no parameter named \"Speed\""},
        {"a number for a switch", {varnelo4, "--set", "Smooth=0.5"}, "\"Smooth\" is a switch"},
        {"a word for a number",
         {varnelo4, "--set", "Run=fast"},
         "\"Run\" is standard: give a number from 0 to 1"},
        {"a number beyond 0..1",
         {varnelo4, "--set", "Step 1=1.5"},
         "give a number from 0 to 1, not \"1.5\""},
        {"a run position beyond 0..1",
         {varnelo4, "--run", "0.5", "2"},
         "--run takes positions from 0 to 1"},
        {"an unknown option", {varnelo4, "--tempo", "120"}, "unknown option --tempo"},
        {"a plot in a missing folder",
         {varnelo4, "--plot", "/no/such/folder/loop.svg"},
         "cannot write the plot /no/such/folder/loop.svg"},
        {"a plot without a file", {varnelo4, "--plot"}, "--plot needs a value"},
    };
    for (const ErrorCase& errorCase : cases) {
        SCOPED_TRACE(errorCase.what);
        ExpectOneErrorLine(RunHost(errorCase.arguments), errorCase.expectedText);
    }
}

TEST(Errors, APortInUseSuggestsNoListen) {
    tests::UdpReceiver receiver{7000};  // holds 127.0.0.1:7000
    ASSERT_TRUE(receiver.Bound()) << "UDP 127.0.0.1:7000 is taken";
    const HostRun run = RunHost({"--fast", "--plain", "--run", "0"});
    ExpectOneErrorLine(run, "127.0.0.1:7000");
    EXPECT_NE(run.err.find("--no-listen"), std::string::npos) << run.err;
    EXPECT_EQ(receiver.ReceiveAll(), std::vector<tests::Bytes>{}) << "nothing may be sent";
}

// A name the host cannot find: the first line says so, the name quoted
// (with the nearest name when one is near), then one line per plug-in found
// next to the host: its file name, the name it shows a host, its path.
TEST(Errors, AWrongPlugInNameListsThePlugInsFoundAndSuggestsTheNearest) {
    const std::string varnelo4 = VariantWithSteps(4).path;
    const std::string folder = varnelo4.substr(0, varnelo4.rfind('/'));
    const struct {
        std::string argument;
        std::string reason;
        std::string suggestion;  // "" for none
    } cases[] = {
        {"Varnelo5", "\"Varnelo5\": no such file", "Varnelo4"},
        {"varnelo8", "\"varnelo8\": no such file", "Varnelo8"},
        {"Varnelo 5", "\"Varnelo 5\": no such file", "Varnelo4"},
        {"Varnelo\x1b[2J8", "\"Varnelo\\x1B[2J8\": no such file", ""},
        {folder, folder + ": a folder, not a plug-in library", ""},
        {"/no/such/plugin.so", "\"/no/such/plugin.so\": no such file", ""},
    };
    std::vector<std::string> list;
    for (const Variant& variant : AllVariants()) {
        char resolved[PATH_MAX];
        ASSERT_NE(realpath(variant.path.c_str(), resolved), nullptr) << variant.path;
        std::string name = "Varnelo" + std::to_string(variant.stepCount);
        name.resize(9 + 2, ' ');
        std::string shown = "\"Varnelo " + std::to_string(variant.stepCount) + "\"";
        shown.resize(12 + 2, ' ');
        list.push_back("  " + name + shown + resolved);
    }
    for (const auto& test : cases) {
        SCOPED_TRACE(test.argument);
        const HostRun run = RunHost({test.argument, "--plain"});
        EXPECT_NE(run.exitStatus, 0);
        EXPECT_EQ(run.out, "");
        std::vector<std::string> lines;
        std::istringstream err(run.err);
        for (std::string line; std::getline(err, line);) lines.push_back(line);
        ASSERT_EQ(lines.size(), 1 + list.size()) << run.err;
        EXPECT_EQ(lines[0].rfind("varnelo-host: error: " + test.reason, 0), 0u) << lines[0];
        const std::size_t suggested = lines[0].find("did you mean");
        if (test.suggestion.empty()) {
            EXPECT_EQ(suggested, std::string::npos) << lines[0];
        } else {
            EXPECT_NE(lines[0].find("did you mean " + test.suggestion + "?"), std::string::npos)
                << lines[0];
        }
        EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.end()), list);
    }
}

// ---- what --no-listen played -------------------------------------------------

// The summary counts what the plug-in sent while "Run" was played; the
// test's own receiver on port 7000 gets exactly that many datagrams.
TEST(NoListen, TheSummarySaysWhatThePlugInSent) {
    tests::UdpReceiver receiver{7000};
    ASSERT_TRUE(receiver.Bound()) << "UDP 127.0.0.1:7000 is taken";
    const struct {
        const char* what;
        std::uint32_t steps;
        std::vector<std::string> arguments;
        std::string runSets;
        std::string stepsEntered;
        std::string smooth;
        std::string sent;
    } cases[] = {
        // From the default 0.5: 0, 0.3, 0.6 and 1 enter a step each; 0.3 again does not.
        {"a list", 4, {"--run", "0", "0.3", "0.3", "0.6", "1"}, "5", "4", "off", "4"},
        {"a list with Smooth",
         4,
         {"--set", "Smooth=on", "--run", "0", "0.3", "0.3", "0.6", "1"},
         "5",
         "4",
         "on",
         "5"},
        // 8 frames a loop on 8 steps: every frame enters a step.
        {"two timed loops",
         8,
         {"--loop", "1", "--fps", "8", "--loops", "2"},
         "16",
         "16",
         "off",
         "16"},
        {"a timed loop, two frames a step",
         4,
         {"--loop", "1", "--fps", "8", "--loops", "1"},
         "8",
         "4",
         "off",
         "4"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        const HostRun run = RunHost(Concat({VariantWithSteps(test.steps).path, "--no-listen",
                                            "--fast", "--plain", "--set", "OSC command=/a f"},
                                           test.arguments));
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(SummaryField(run, "listen"), "no");
        EXPECT_EQ(SummaryField(run, "frames"), test.runSets);
        EXPECT_EQ(SummaryField(run, "run_sets"), test.runSets);
        EXPECT_EQ(SummaryField(run, "steps_entered"), test.stepsEntered);
        EXPECT_EQ(SummaryField(run, "smooth"), test.smooth);
        EXPECT_EQ(SummaryField(run, "sent"), test.sent);
        EXPECT_EQ(std::to_string(receiver.ReceiveAll().size()), test.sent);
    }
}

// ---- --plot ----------------------------------------------------------------------

// The file read back: well-formed XML with exactly one point per datagram
// the run printed, the invalid ones among them.
TEST(Plot, OnePointPerDatagramTheRunPrinted) {
    const std::string path =
        ::testing::TempDir() + "/host-test-plot-" + std::to_string(getpid()) + ".svg";
    const struct {
        const char* what;
        std::uint32_t steps;
        std::vector<std::string> arguments;
    } cases[] = {
        {"timed loops with Smooth", 8, {"--set", "Smooth=on", "--loop", "0.5", "--fps", "30"}},
        {"a list with step edits",
         4,
         {"--set", "Step follow=on", "--set", "Step 2=0.9", "--run", "0", "0.3", "0.6", "1"}},
        {"an empty command", 4, {"--set", "OSC command=", "--run", "0", "0.5"}},
        {"not listening", 4, {"--no-listen", "--run", "0", "0.3"}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        std::remove(path.c_str());
        const HostRun run =
            RunHost(Concat({VariantWithSteps(test.steps).path, "--fast", "--plain", "--plot", path},
                           test.arguments));
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.LinesAfter("plot"), std::vector<std::string>{"\"" + path + "\""});
        std::ifstream file(path, std::ios::binary);
        ASSERT_TRUE(file.good()) << path;
        std::stringstream svg;
        svg << file.rdbuf();
        tests::XmlChecker checker;
        ASSERT_TRUE(checker.Check(svg.str())) << checker.error();
        const std::vector<const tests::Element*> points =
            tests::DatagramCircles(checker.elements());
        const std::vector<std::string> received = run.LinesAfter("recv");
        EXPECT_EQ(points.size(), received.size());
        std::size_t invalid = 0;
        for (const tests::Element* point : points)
            invalid += point->attributes.at("class") == "invalid" ? 1 : 0;
        std::size_t invalidLines = 0;
        for (const std::string& line : received)
            invalidLines += line.rfind("invalid ", 0) == 0 ? 1 : 0;
        EXPECT_EQ(invalid, invalidLines);
    }
    std::remove(path.c_str());
}

// ---- frames ----------------------------------------------------------------

class FramesTest : public ::testing::TestWithParam<Variant> {};

TEST_P(FramesTest, ThePictureComesBackUnchangedEveryFrame) {
    const HostRun run = RunHost(
        {GetParam().path, "--frames", "--fast", "--plain", "--run", "0", "0.3", "0.6", "1"});
    if (run.err.find("no EGL display") != std::string::npos) GTEST_SKIP() << run.err;
    ASSERT_EQ(run.exitStatus, 0) << run.err << run.out;
    EXPECT_EQ(run.LinesAfter("picture"), std::vector<std::string>{});
    EXPECT_EQ(SummaryField(run, "drawn"), "4");
    EXPECT_EQ(SummaryField(run, "unchanged"), "4");
    EXPECT_EQ(run.LinesAfter("recv").size(), 4u) << "drawing leaves the sending as it is";
}

INSTANTIATE_TEST_SUITE_P(EveryVariant, FramesTest, ::testing::ValuesIn(AllVariants()));

}  // namespace
