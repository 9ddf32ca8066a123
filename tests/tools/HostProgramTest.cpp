// varnelo-host as a user and a script run it: its listing of each built
// library and of the plug-ins it finds, the datagrams that arrive for a
// --run list or a timed play, what --no-listen leaves to another receiver,
// the errors, the --plot picture, and --frames. Each test that plays uses
// a port of its own: the command names a free port in its destination URL,
// where the host listens (or, with --no-listen, the test's own receiver).
// What needs the plug-ins' built-in destination, 127.0.0.1:7000, is in
// DefaultDestinationTest.cpp.
#include <gtest/gtest.h>

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "HostProcess.h"
#include "Plugins.h"
#include "UdpReceiver.h"
#include "XmlChecker.h"

namespace {

using tests::AllVariants;
using tests::Concat;
using tests::FreePort;
using tests::HostRun;
using tests::RunHost;
using tests::UrlOf;
using tests::Variant;
using tests::VariantWithSteps;

// The --set that makes the plug-in send `command` to 127.0.0.1:`port`.
std::vector<std::string> CommandTo(std::uint16_t port, const std::string& command) {
    return {"--set", "OSC command=" + UrlOf(port) + command};
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

// The plug-ins found next to the host, one line each as the host lists
// them: file name, the name it shows a host quoted, the path; in columns.
std::vector<std::string> FoundLines(const std::string& indent) {
    std::vector<std::string> lines;
    for (const Variant& variant : AllVariants()) {
        char resolved[PATH_MAX];
        if (realpath(variant.path.c_str(), resolved) == nullptr)
            return {"<no " + variant.path + ">"};
        std::string name = "Varnelo" + std::to_string(variant.stepCount);
        name.resize(9 + 2, ' ');
        std::string shown = "\"Varnelo " + std::to_string(variant.stepCount) + "\"";
        shown.resize(12 + 2, ' ');
        lines.push_back(indent + name + shown + resolved);
    }
    return lines;
}

TEST(Listing, ListsThePlugInsFound) {
    const HostRun run = RunHost({"--list"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.Lines(), FoundLines(""));
}

// ---- what arrives --------------------------------------------------------

// One expected datagram line: everything before the value, and the value,
// compared as the float (or int32) it reads back as.
struct Arrival {
    std::string head;  // "/a ,f" or "bundle immediate /scene ,i"
    float value;
};

// The datagrams printed, and the summary's count of them and of the values
// the plug-in was due to send, which here are the same.
void ExpectArrivals(const HostRun& run, const std::vector<Arrival>& expected) {
    const std::vector<std::string> received = run.LinesAfter("recv");
    ASSERT_EQ(received.size(), expected.size()) << run.out;
    for (std::size_t at = 0; at < expected.size(); ++at) {
        const std::size_t blank = received[at].rfind(' ');
        ASSERT_NE(blank, std::string::npos) << received[at];
        EXPECT_EQ(received[at].substr(0, blank), expected[at].head) << "datagram " << at;
        EXPECT_EQ(std::stof(received[at].substr(blank + 1)), expected[at].value)
            << "datagram " << at << ": " << received[at];
    }
    const std::string count = std::to_string(expected.size());
    EXPECT_EQ(run.SummaryField("received"), count);
    EXPECT_EQ(run.SummaryField("invalid"), "0");
    EXPECT_EQ(run.SummaryField("due"), count);
    EXPECT_EQ(run.LinesAfter("hint"), std::vector<std::string>{});
}

struct RunCase {
    const char* what;
    std::uint32_t steps;
    std::string command;  // after the destination URL
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
         "/a f[10:20]",
         {"--run", "0.49", "0.51", "0.74", "1.0", "0", "0.25"},
         {{"/a ,f", 12.5f},
          {"/a ,f", 15.0f},
          {"/a ,f", 20.0f},
          {"/a ,f", 10.0f},
          {"/a ,f", 12.5f}}},
        // int32 rounded to nearest, ties to even (6.5 gives 6), in bundles.
        {"integers in bundles",
         4,
         "/scene i[1:12]",
         {"--set", "OSC Bundle=on", "--run", "0,0.25,0.5,0.75,1"},
         {{"bundle immediate /scene ,i", 1},
          {"bundle immediate /scene ,i", 4},
          {"bundle immediate /scene ,i", 6},
          {"bundle immediate /scene ,i", 9},
          {"bundle immediate /scene ,i", 12}}},
        // "Step follow" sends the edited value at once; Run 0.5 is the step the
        // default already stands in and sends nothing; 0.125 enters step 2.
        {"step follow, and the default run position",
         8,
         "/x f",
         {"--set", "Step follow=on", "--set", "Step 2=0.9", "--run", "0.5", "0.125"},
         {{"/x ,f", 0.9f}, {"/x ,f", 0.9f}}},
        // With "Smooth" every set sends, the same position twice included.
        {"smooth glides and repeats",
         4,
         "/a f",
         {"--set", "Smooth=on", "--run", "0.125", "0.125", "0.9"},
         {{"/a ,f", 0.125f}, {"/a ,f", 0.125f}, {"/a ,f", Glide(0.9f, 0.75f, 1.0f)}}},
    };
    return cases;
}

class RunListTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunListTest, ExactlyTheDatagramsThePlugInWasDueToSendArrive) {
    const RunCase& runCase = GetParam();
    const std::uint16_t port = FreePort();
    const HostRun run =
        RunHost(Concat(Concat({VariantWithSteps(runCase.steps).path, "--fast", "--plain"},
                              CommandTo(port, runCase.command)),
                       runCase.arguments));
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.LinesAfter("command").back(), "destination " + UrlOf(port));
    EXPECT_EQ(run.SummaryField("listen"), "127.0.0.1:" + std::to_string(port));
    ExpectArrivals(run, runCase.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, RunListTest, ::testing::ValuesIn(RunCases()));

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
    const HostRun run =
        RunHost(Concat(Concat({VariantWithSteps(timedCase.steps).path, "--fast", "--plain"},
                              CommandTo(FreePort(), "/a f")),
                       timedCase.arguments));
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    std::vector<Arrival> expected;
    for (const float value : timedCase.values) expected.push_back({"/a ,f", value});
    ExpectArrivals(run, expected);
    EXPECT_EQ(run.SummaryField("frames"), std::to_string(timedCase.frames));
}

INSTANTIATE_TEST_SUITE_P(Cases, TimedPlayTest, ::testing::ValuesIn(TimedCases()));

// ---- what --no-listen leaves to another receiver ---------------------------

// The test's own socket is that receiver: it gets the exact bytes.
TEST(NoListen, LeavesThePortToAnotherReceiverThatGetsTheExactBytes) {
    tests::UdpReceiver receiver;
    ASSERT_TRUE(receiver.Bound());
    const HostRun run = RunHost({VariantWithSteps(4).path, "--no-listen", "--fast", "--plain",
                                 "--set", "OSC command=" + receiver.Url() + "/a f[10:20]", "--run",
                                 "0", "0.25", "1", "--set", "OSC Bundle=off"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.LinesAfter("recv").size(), 0u);
    EXPECT_EQ(run.SummaryField("listen"), "no");
    EXPECT_EQ(receiver.ReceiveAll(), (std::vector<tests::Bytes>{tests::OscMessage("/a", 10.0f),
                                                                tests::OscMessage("/a", 12.5f),
                                                                tests::OscMessage("/a", 20.0f)}));

    const HostRun bundles = RunHost({VariantWithSteps(4).path, "--no-listen", "--fast", "--plain",
                                     "--set", "OSC command=" + receiver.Url() + "/a i[0:10]",
                                     "--set", "OSC Bundle=on", "--run", "0.25"});
    ASSERT_EQ(bundles.exitStatus, 0) << bundles.err;
    // Step 2 holds 0.25: 2.5 rounds to the even 2.
    EXPECT_EQ(
        receiver.ReceiveAll(),
        std::vector<tests::Bytes>{tests::OscBundle(tests::OscMessage("/a", std::int32_t{2}))});
}

// The summary counts the values the plug-in was due to send; the receiver
// gets that many datagrams.
TEST(NoListen, TheSummaryCountsTheValuesDueAndTheyAllArrive) {
    tests::UdpReceiver receiver;
    ASSERT_TRUE(receiver.Bound());
    const struct {
        const char* what;
        std::uint32_t steps;
        std::vector<std::string> arguments;
        std::string frames;
        std::string due;
    } cases[] = {
        // From the default 0.5: 0, 0.3, 0.6 and 1 enter a step each; 0.3 again does not.
        {"a list", 4, {"--run", "0", "0.3", "0.3", "0.6", "1"}, "5", "4"},
        {"a list with Smooth",
         4,
         {"--set", "Smooth=on", "--run", "0", "0.3", "0.3", "0.6", "1"},
         "5",
         "5"},
        // A step edit with Step follow sends before the play.
        {"a step edit with Step follow",
         4,
         {"--set", "Step follow=on", "--set", "Step 2=0.9", "--run", "0.5", "0.3"},
         "2",
         "2"},
        // 8 frames a loop on 8 steps: every frame enters a step.
        {"two timed loops", 8, {"--loop", "1", "--fps", "8", "--loops", "2"}, "16", "16"},
        {"a timed loop, two frames a step",
         4,
         {"--loop", "1", "--fps", "8", "--loops", "1"},
         "8",
         "4"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        const HostRun run =
            RunHost(Concat({VariantWithSteps(test.steps).path, "--no-listen", "--fast", "--plain",
                            "--set", "OSC command=" + receiver.Url() + "/a f"},
                           test.arguments));
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.SummaryField("listen"), "no");
        EXPECT_EQ(run.SummaryField("frames"), test.frames);
        EXPECT_EQ(run.SummaryField("due"), test.due);
        EXPECT_EQ(std::to_string(receiver.ReceiveAll().size()), test.due);
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
        {"an unknown option", {varnelo4, "--tempo", "120"}, "unknown option \"--tempo\""},
        {"an option with an escape sequence",
         {varnelo4, "--\x1b[2Jtempo"},
         "unknown option \"--\\x1B[2Jtempo\""},
        {"a plot in a missing folder",
         {varnelo4, "--plot", "/no/such/folder/loop.svg"},
         "cannot write the plot /no/such/folder/loop.svg"},
        {"a plot without a file", {varnelo4, "--plot"}, "--plot needs a value"},
        {"a port beyond 65535",
         {varnelo4, "--listen", "70000"},
         "--listen takes a port from 1 to 65535, not \"70000\""},
        {"--listen and --no-listen", {varnelo4, "--listen", "9000", "--no-listen"}, "contradict"},
        {"--listen for a command with its own destination",
         {varnelo4, "--listen", "9000", "--set", "OSC command=osc.udp://127.0.0.1:9001/a"},
         "the command names its own: osc.udp://127.0.0.1:9001"},
    };
    for (const ErrorCase& errorCase : cases) {
        SCOPED_TRACE(errorCase.what);
        ExpectOneErrorLine(RunHost(errorCase.arguments), errorCase.expectedText);
    }
}

// Another receiver holds the port where the command sends.
TEST(Errors, APortInUseSuggestsNoListen) {
    tests::UdpReceiver receiver;
    ASSERT_TRUE(receiver.Bound());
    const HostRun run = RunHost({VariantWithSteps(4).path, "--fast", "--plain", "--set",
                                 "OSC command=" + receiver.Url() + "/a", "--run", "0"});
    ExpectOneErrorLine(run, "127.0.0.1:" + std::to_string(receiver.Port()));
    EXPECT_NE(run.err.find("--no-listen"), std::string::npos) << run.err;
    EXPECT_EQ(receiver.ReceiveAll(), std::vector<tests::Bytes>{}) << "nothing may be sent";
}

// A name the host cannot find: the first line says so, the name quoted
// (with the nearest name when one is near), then the plug-ins found next
// to the host, one a line, as --list shows them.
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
    const std::vector<std::string> list = FoundLines("  ");
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

// ---- --plot ----------------------------------------------------------------------

std::string PlotPath() {
    return ::testing::TempDir() + "/host-test-plot-" + std::to_string(getpid()) + ".svg";
}

// The picture --plot wrote, checked to be well-formed XML.
std::vector<tests::Element> ReadPlot(const HostRun& run, const std::string& path) {
    EXPECT_EQ(run.LinesAfter("plot"), std::vector<std::string>{"\"" + path + "\""});
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file.good()) << path;
    std::stringstream svg;
    svg << file.rdbuf();
    tests::XmlChecker checker;
    EXPECT_TRUE(checker.Check(svg.str())) << checker.error();
    return checker.elements();
}

// The file read back: exactly one point per datagram the run printed.
TEST(Plot, OnePointPerDatagramTheRunPrinted) {
    const std::string path = PlotPath();
    const struct {
        const char* what;
        std::uint32_t steps;
        std::vector<std::string> arguments;
    } cases[] = {
        {"timed loops with Smooth", 8, {"--set", "Smooth=on", "--loop", "0.5", "--fps", "30"}},
        {"a list with step edits",
         4,
         {"--set", "Step follow=on", "--set", "Step 2=0.9", "--run", "0", "0.3", "0.6", "1"}},
        {"not listening", 4, {"--no-listen", "--run", "0", "0.3"}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        std::remove(path.c_str());
        const HostRun run = RunHost(
            Concat(Concat({VariantWithSteps(test.steps).path, "--fast", "--plain", "--plot", path},
                          CommandTo(FreePort(), "/a f[0:255]")),
                   test.arguments));
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        const std::vector<tests::Element> elements = ReadPlot(run, path);
        EXPECT_EQ(tests::DatagramCircles(elements).size(), run.LinesAfter("recv").size());
    }
    std::remove(path.c_str());
}

// The chart's x axis is "Run": whatever order the list plays the steps in,
// each value sent stands over the bar of the step it was sent for. With
// the default steps (step i holds (i - 1) / 4) and the range 0..1, the
// value itself names the step: value v is step 4v + 1.
TEST(Plot, EachValueStandsOverTheStepItWasSentFor) {
    const std::string path = PlotPath();
    const HostRun run = RunHost(Concat({VariantWithSteps(4).path, "--fast", "--plain", "--plot",
                                        path, "--run", "0", "0.9", "0.1", "0.6", "0.3"},
                                       CommandTo(FreePort(), "/a f")));
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::vector<tests::Element> elements = ReadPlot(run, path);
    std::remove(path.c_str());
    std::vector<const tests::Element*> bars;
    for (const tests::Element& element : elements) {
        if (element.name == "rect" && element.attributes.count("class") > 0 &&
            element.attributes.at("class") == "step")
            bars.push_back(&element);
    }
    ASSERT_EQ(bars.size(), 4u);
    const std::vector<const tests::Element*> points = tests::DatagramCircles(elements);
    const std::vector<std::string> received = run.LinesAfter("recv");
    ASSERT_EQ(points.size(), 5u);
    ASSERT_EQ(received.size(), 5u);
    for (std::size_t at = 0; at < points.size(); ++at) {
        const float value = std::stof(received[at].substr(received[at].rfind(' ') + 1));
        const tests::Element& bar = *bars[static_cast<std::size_t>(value * 4.0f)];
        const double x = std::stod(points[at]->attributes.at("cx"));
        const double left = std::stod(bar.attributes.at("x"));
        EXPECT_GE(x, left - 2.0) << received[at];
        EXPECT_LT(x, left + std::stod(bar.attributes.at("width"))) << received[at];
    }
}

// ---- frames ----------------------------------------------------------------

class FramesTest : public ::testing::TestWithParam<Variant> {};

TEST_P(FramesTest, ThePictureComesBackUnchangedEveryFrame) {
    const HostRun run = RunHost(
        Concat({GetParam().path, "--frames", "--fast", "--plain", "--run", "0", "0.3", "0.6", "1"},
               CommandTo(FreePort(), "/a f")));
    if (run.err.find("no EGL display") != std::string::npos) GTEST_SKIP() << run.err;
    ASSERT_EQ(run.exitStatus, 0) << run.err << run.out;
    EXPECT_EQ(run.LinesAfter("picture"), std::vector<std::string>{});
    EXPECT_EQ(run.SummaryField("drawn"), "4");
    EXPECT_EQ(run.SummaryField("unchanged"), "4");
    EXPECT_EQ(run.LinesAfter("recv").size(), 4u) << "drawing leaves the sending as it is";
}

INSTANTIATE_TEST_SUITE_P(EveryVariant, FramesTest, ::testing::ValuesIn(AllVariants()));

}  // namespace
