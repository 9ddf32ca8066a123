// varnelo-host with the plug-ins' built-in destination, 127.0.0.1:7000,
// and with what the host has to say before and after it plays. CTest runs
// each test of this program in a network namespace of its own (OWN_NETWORK
// in CMakeLists.txt), so every test has port 7000 to itself, and nothing
// sent leaves the machine.
#include <gtest/gtest.h>

#include <limits.h>
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

using tests::Concat;
using tests::FreePort;
using tests::HostRun;
using tests::RunHost;
using tests::VariantWithSteps;

// Where the plug-ins of this build send by default.
constexpr std::uint16_t kBuiltInPort = 7000;

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
    EXPECT_EQ(run.SummaryField("frames"), "240");
    EXPECT_EQ(run.SummaryField("listen"), "127.0.0.1:7000");
    EXPECT_EQ(run.SummaryField("received"), "8");
    EXPECT_EQ(run.SummaryField("due"), "8");
}

// ---- what the host tells before playing -------------------------------------

TEST(CommandReport, TheDefaultCommandIsReadAfterTheSettingsAndBeforePlaying) {
    const HostRun run = RunHost({"--fast", "--plain", "--run", "0"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.LinesAfter("command"),
              (std::vector<std::string>{
                  "default \"/fader f[0:255]\" (no --set \"OSC command=...\" given)",
                  "address \"/fader\" float32 range 0 255", "destination built-in"}));
    EXPECT_EQ(run.LinesAfter("warning"), std::vector<std::string>{});
    EXPECT_LT(run.LineIndex("set "), run.LineIndex("command default"));
    EXPECT_LT(run.LineIndex("command destination"), run.LineIndex("play "));
}

// A command the plug-in sends to an address that is not OSC 1.0: warned of
// before playing, every datagram counted as invalid, one hint for them all.
TEST(CommandReport, AnAddressWithoutALeadingSlashIsWarnedOfAndItsDatagramsAreInvalid) {
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
        const HostRun run = RunHost(Concat({"--fast", "--plain"}, test.arguments));
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.LinesAfter("command"),
                  (std::vector<std::string>{test.command, "destination built-in"}));
        const std::vector<std::string> warnings = run.LinesAfter("warning");
        ASSERT_EQ(warnings.size(), 1u) << run.out;
        EXPECT_NE(warnings[0].find(test.warning), std::string::npos) << warnings[0];
        EXPECT_LT(run.LineIndex("warning"), run.LineIndex("play "));
        EXPECT_EQ(run.LinesAfter("recv"), test.received);
        const std::vector<std::string> hints = run.LinesAfter("hint");
        ASSERT_EQ(hints.size(), 1u) << "once a run: " << run.out;
        EXPECT_NE(hints[0].find("does not begin with \"/\""), std::string::npos) << hints[0];
        const std::string count = std::to_string(test.received.size());
        EXPECT_EQ(run.SummaryField("received"), count);
        EXPECT_EQ(run.SummaryField("invalid"), count);
        EXPECT_EQ(run.SummaryField("messages"), "0");
    }
}

// Each likely mistake in a command gets its warning, with a hint, before
// playing; the plug-in still sends what it sends.
TEST(CommandReport, EachLikelyMistakeIsWarnedOfBeforePlaying) {
    const struct {
        std::string command;
        std::string warning;  // a part of the one warning
    } cases[] = {
        {"/a f[nan:1]", "min \"nan\" is not a finite number"},
        {"/a f[-inf:1]", "min \"-inf\" is not a finite number"},
        {"/a i[0:1e10]", "max \"1e10\" (10000000000 as float32) lies beyond int32"},
        {"/a x[0:1]", "the type letter \"x\" is neither i (int32) nor f (float32)"},
        {"/a f[0:255] extra", "goes on after its range with \"extra\""},
        {"/a f[0:255", "has no closing \"]\""},
        {"/a\tf[0:1]", "has \"\\t\" where a blank belongs"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.command);
        const HostRun run =
            RunHost({"--fast", "--plain", "--set", "OSC command=" + test.command, "--run", "0"});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        const std::vector<std::string> warnings = run.LinesAfter("warning");
        ASSERT_EQ(warnings.size(), 1u) << run.out;
        EXPECT_NE(warnings[0].find(test.warning), std::string::npos) << warnings[0];
        EXPECT_NE(warnings[0].find("; "), std::string::npos) << "a hint follows";
        EXPECT_LT(run.LineIndex("warning"), run.LineIndex("play "));
        EXPECT_EQ(run.SummaryField("received"), "1");
    }
}

// A URL the plug-in refuses: warned of, and nothing goes out, not even to
// the built-in destination.
TEST(CommandReport, ARefusedUrlIsWarnedOfAndNothingIsSent) {
    tests::UdpReceiver receiver{kBuiltInPort};
    ASSERT_TRUE(receiver.Bound());
    for (const char* command : {"osc.tcp://127.0.0.1:7000/a f", "osc.udp://localhost.local:7000/a",
                                "osc.udp://127.0.0.1/a", "osc.udp://127.0.0.1:7000 f[0:1]"}) {
        SCOPED_TRACE(command);
        const HostRun run = RunHost({"--fast", "--plain", "--set",
                                     std::string("OSC command=") + command, "--run", "0", "0.3"});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.LinesAfter("command").back(), "destination refused");
        const std::vector<std::string> warnings = run.LinesAfter("warning");
        ASSERT_EQ(warnings.size(), 1u) << run.out;
        EXPECT_NE(warnings[0].find("the plug-in sends nothing at all"), std::string::npos)
            << warnings[0];
        EXPECT_EQ(run.SummaryField("listen"), "no");
        EXPECT_EQ(receiver.ReceiveAll(), std::vector<tests::Bytes>{});
    }
}

// ---- where the host listens -------------------------------------------------

// --listen names the port of a plug-in built for another one. Told a port
// where this build's plug-in does not send, the host hears nothing and
// says so, with what to do; the datagrams went to the built-in port.
TEST(Listening, NothingArrivingWhereTheHostListensIsToldWithAHint) {
    tests::UdpReceiver receiver{kBuiltInPort};
    ASSERT_TRUE(receiver.Bound());
    const std::uint16_t port = FreePort();
    const HostRun run =
        RunHost({"--fast", "--plain", "--listen", std::to_string(port), "--run", "0", "0.3"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.SummaryField("listen"), "127.0.0.1:" + std::to_string(port));
    EXPECT_EQ(run.SummaryField("received"), "0");
    EXPECT_EQ(run.SummaryField("due"), "2");
    const std::vector<std::string> hints = run.LinesAfter("hint");
    ASSERT_EQ(hints.size(), 1u) << run.out;
    EXPECT_EQ(hints[0].rfind("nothing arrived at 127.0.0.1:" + std::to_string(port) +
                                 ", though the plug-in was due to send 2 values",
                             0),
              0u)
        << hints[0];
    EXPECT_NE(hints[0].find("--listen PORT"), std::string::npos) << hints[0];
    EXPECT_EQ(receiver.ReceiveAll().size(), 2u);
}

// A command that sends to another machine: the host cannot hear it there,
// says so before playing and does not listen.
TEST(Listening, ACommandForAnotherMachineIsNotListenedFor) {
    const HostRun run = RunHost({VariantWithSteps(4).path, "--fast", "--plain", "--set",
                                 "OSC command=osc.udp://192.0.2.1:9/a f", "--run", "0"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::vector<std::string> notes = run.LinesAfter("note");
    ASSERT_EQ(notes.size(), 1u) << run.out;
    EXPECT_NE(notes[0].find("sends to osc.udp://192.0.2.1:9, not to 127.0.0.1"), std::string::npos)
        << notes[0];
    EXPECT_LT(run.LineIndex("note"), run.LineIndex("play "));
    EXPECT_EQ(run.SummaryField("listen"), "no");
    EXPECT_EQ(run.SummaryField("due"), "1");
}

// ---- --plot ----------------------------------------------------------------

// Datagrams that are not OSC 1.0 are drawn too, as "invalid" points.
TEST(Plot, DatagramsThatAreNotOscArePointsOfTheirOwn) {
    const std::string path =
        ::testing::TempDir() + "/host-test-plot-" + std::to_string(getpid()) + ".svg";
    const HostRun run = RunHost(
        {"--fast", "--plain", "--plot", path, "--set", "OSC command=", "--run", "0", "0.5"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    std::ifstream file(path, std::ios::binary);
    std::stringstream svg;
    svg << file.rdbuf();
    std::remove(path.c_str());
    tests::XmlChecker checker;
    ASSERT_TRUE(checker.Check(svg.str())) << checker.error();
    const std::vector<const tests::Element*> points = tests::DatagramCircles(checker.elements());
    ASSERT_EQ(points.size(), 2u);
    for (const tests::Element* point : points) EXPECT_EQ(point->attributes.at("class"), "invalid");
}

}  // namespace
