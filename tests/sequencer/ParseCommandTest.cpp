// The "OSC command" text read into address, argument type and range.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include <lo/lo.h>

#include <cstdlib>
#include <memory>

#include "CommandCases.h"
#include "OscCommand.h"

namespace {

using sequencer::DestinationKind;
using sequencer::ParseOscCommand;
using sequencer::UrlProblem;
using sequencer::ParsedCommand;
using sequencer::kNotFound;

using tests::CommandCase;
using tests::kInf;

class ParseCommand : public ::testing::TestWithParam<CommandCase> {};

TEST_P(ParseCommand, ReadsAddressTypeAndRange) {
    const CommandCase& c = GetParam();
    const ParsedCommand parsed = ParseOscCommand(c.command);
    EXPECT_EQ(parsed.pathStart, 0u);
    EXPECT_EQ(std::string(c.command, parsed.pathLength), c.address);
    EXPECT_EQ(parsed.sendInteger, c.sendInteger);
    EXPECT_EQ(parsed.rangeMin, c.rangeMin);
    EXPECT_EQ(parsed.rangeMax, c.rangeMax);
}

INSTANTIATE_TEST_SUITE_P(Commands, ParseCommand, ::testing::ValuesIn(tests::kCommandCases));

// Where the parser looked for the range, as tools that explain a command
// read it: each case stops at a different rule.
TEST(ParseCommandRange, TellsWhereItLookedAndWhetherItRead) {
    struct Case {
        const char* command;
        std::size_t open;
        std::size_t colon;
        bool read;
    };
    const Case cases[] = {
        {"/a[1:2]", kNotFound, kNotFound, false},  // no blank: no range looked for
        {"/a f", kNotFound, kNotFound, false},     // no "["
        {"[/a f:1]", 0, kNotFound, false},         // "[" first
        {"/a f[0 1]", 4, kNotFound, false},        // no ":" after it
        {"/a f[:10]", 4, 5, false},                // nothing between them
        {"/a f[0,5:1]", 4, 8, true},
        {"/a[1:2] f", 2, 4, true},  // "[" is searched from the start
    };
    for (const Case& c : cases) {
        const ParsedCommand parsed = ParseOscCommand(c.command);
        EXPECT_EQ(parsed.rangeOpen, c.open) << c.command;
        EXPECT_EQ(parsed.rangeColon, c.colon) << c.command;
        EXPECT_EQ(parsed.rangeRead, c.read) << c.command;
    }
}

TEST(ParseCommandNumbers, NotANumberIsKept) {
    const ParsedCommand parsed = ParseOscCommand("/a f[nan:inf]");
    EXPECT_TRUE(std::isnan(parsed.rangeMin));
    EXPECT_EQ(parsed.rangeMax, kInf);
}

TEST(ParseCommandNumbers, DoublesAreNarrowedToTheNearestFloat) {
    // 0.1 as a double lies between two floats; the nearer one is 0.1f.
    EXPECT_EQ(ParseOscCommand("/a f[0.1:16777217]").rangeMin, 0.1f);
    EXPECT_EQ(ParseOscCommand("/a f[0.1:16777217]").rangeMax, 16777216.0f);  // ties to even
}

// A host may set a locale whose decimal point is a comma; the command still
// uses a point.
TEST(ParseCommandNumbers, PointStaysTheDecimalPointInACommaLocale) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
        << "the de_DE.UTF-8 locale is missing: run tools/install-deps";
    ASSERT_EQ(*std::localeconv()->decimal_point, ',');
    const ParsedCommand parsed = ParseOscCommand("/a f[0.5:2,5]");
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(parsed.rangeMin, 0.5f);
    EXPECT_EQ(parsed.rangeMax, 2.0f);  // "," ends the number
}

// A destination URL at the front of a command: what it reads, and the rest
// read as a command of its own.
struct UrlCase {
    const char* command;
    DestinationKind kind;
    UrlProblem problem;
    const char* host;  // as the plug-in hands it to liblo
    std::uint16_t port;
    const char* address;
    bool sendInteger;
    float rangeMin;
    float rangeMax;
};

constexpr auto kUrl = DestinationKind::kUrl;
constexpr auto kDefault = DestinationKind::kDefault;
constexpr auto kRefused = DestinationKind::kRefused;
constexpr auto kFine = UrlProblem::kNone;

const UrlCase kUrlCases[] = {
    {"osc.udp://192.168.1.20:8000/fader f[0:255]", kUrl, kFine, "192.168.1.20", 8000, "/fader",
     false, 0.0f, 255.0f},
    {"osc.udp://127.0.0.1:7711/x f[0:1]", kUrl, kFine, "127.0.0.1", 7711, "/x", false, 0.0f, 1.0f},
    {"osc.udp://localhost:9000/scene i[1:12]", kUrl, kFine, "127.0.0.1", 9000, "/scene", true,
     1.0f, 12.0f},
    {"osc.udp://LocalHost:1/a", kUrl, kFine, "127.0.0.1", 1, "/a", false, 0.0f, 1.0f},
    {"osc.udp://0.0.0.0:65535/a/b[2:3] f", kUrl, kFine, "0.0.0.0", 65535, "/a/b[2:3]", false,
     2.0f, 3.0f},
    {"osc.udp://10.0.0.1:007000/a f", kUrl, kFine, "10.0.0.1", 7000, "/a", false, 0.0f, 1.0f},
    {"osc.udp://010.000.0.1:80/a f", kUrl, kFine, "10.0.0.1", 80, "/a", false, 0.0f, 1.0f},
    // A URL that does not read right: nothing is sent at all.
    {"osc.tcp://127.0.0.1:7000/x f", kRefused, UrlProblem::kProtocol, "", 0, "/x", false, 0.0f, 1.0f},
    {"osc.UDP://127.0.0.1:7000/x f", kRefused, UrlProblem::kProtocol, "", 0, "/x", false, 0.0f, 1.0f},
    {"osc.udp://example.org:7711/x f", kRefused, UrlProblem::kHost, "", 0, "/x", false, 0.0f, 1.0f},
    {"osc.udp://[::1]:7711/x f", kRefused, UrlProblem::kHost, "", 0, "/x", false, 0.0f, 1.0f},
    {"osc.udp://256.0.0.1:7711/x f", kRefused, UrlProblem::kHost, "", 0, "/x", false, 0.0f, 1.0f},
    {"osc.udp://1.2.3:7711/x f", kRefused, UrlProblem::kHost, "", 0, "/x", false, 0.0f, 1.0f},
    {"osc.udp://1.2.3.4.5:7711/x f", kRefused, UrlProblem::kHost, "", 0, "/x", false, 0.0f, 1.0f},
    {"osc.udp://1..3.4:7711/x f", kRefused, UrlProblem::kHost, "", 0, "/x", false, 0.0f, 1.0f},
    {"osc.udp://:7711/x f", kRefused, UrlProblem::kHost, "", 0, "/x", false, 0.0f, 1.0f},
    {"osc.udp://127.0.0.1/x f", kRefused, UrlProblem::kPort, "", 0, "/x", false, 0.0f, 1.0f},
    {"osc.udp://127.0.0.1:/x f", kRefused, UrlProblem::kPort, "", 0, "/x", false, 0.0f, 1.0f},
    {"osc.udp://127.0.0.1:0/x f", kRefused, UrlProblem::kPort, "", 0, "/x", false, 0.0f, 1.0f},
    {"osc.udp://127.0.0.1:65536/x f", kRefused, UrlProblem::kPort, "", 0, "/x", false, 0.0f, 1.0f},
    {"osc.udp://127.0.0.1:99999999999999999999/x f", kRefused, UrlProblem::kPort, "", 0, "/x",
     false, 0.0f, 1.0f},
    {"osc.udp://127.0.0.1:70x0/x f", kRefused, UrlProblem::kPort, "", 0, "/x", false, 0.0f, 1.0f},
    {"osc.udp://127.0.0.1:7000", kRefused, UrlProblem::kAddress, "", 0, "", false, 0.0f, 1.0f},
    {"osc.udp://127.0.0.1:7000 f[0:2]", kRefused, UrlProblem::kAddress, "", 0, "", false, 0.0f,
     1.0f},
    {"osc.udp://127.0.0.1:7000 /x f", kRefused, UrlProblem::kAddress, "", 0, "/x", false, 0.0f,
     1.0f},
    // Not a URL: read as today, to the default destination.
    {"/x f", kDefault, kFine, "", 0, "/x", false, 0.0f, 1.0f},
    {"osc.udp:/127.0.0.1:7000/x f", kDefault, kFine, "", 0, "osc.udp:/127.0.0.1:7000/x", false,
     0.0f, 1.0f},
    {"osc.://127.0.0.1:7000/x", kDefault, kFine, "", 0, "osc.://127.0.0.1:7000/x", false, 0.0f,
     1.0f},
    {"osc.udp //1.2.3.4:5/x", kDefault, kFine, "", 0, "osc.udp", false, 0.0f, 1.0f},
    {"OSC.udp://1.2.3.4:5/x i", kDefault, kFine, "", 0, "OSC.udp://1.2.3.4:5/x", true, 0.0f, 1.0f},
};

class ParseDestination : public ::testing::TestWithParam<UrlCase> {};

TEST_P(ParseDestination, ReadsTheUrlAndTheCommandAfterIt) {
    const UrlCase& c = GetParam();
    const ParsedCommand parsed = ParseOscCommand(c.command);
    EXPECT_EQ(parsed.destination.kind, c.kind);
    EXPECT_EQ(parsed.destination.problem, c.problem);
    EXPECT_STREQ(parsed.destination.host, c.host);
    EXPECT_EQ(parsed.destination.port, c.port);
    EXPECT_EQ(std::string(c.command).substr(parsed.pathStart, parsed.pathLength), c.address);
    EXPECT_EQ(parsed.sendInteger, c.sendInteger);
    EXPECT_EQ(parsed.rangeMin, c.rangeMin);
    EXPECT_EQ(parsed.rangeMax, c.rangeMax);
}

INSTANTIATE_TEST_SUITE_P(Commands, ParseDestination, ::testing::ValuesIn(kUrlCases),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

// liblo's own reading of every URL the plug-in takes, as an oracle written
// elsewhere: the same protocol, port and OSC address, and the same host
// where the text writes it plainly.
TEST(ParseDestination, AgreesWithLibloOnEveryUrlItTakes) {
    using Text = std::unique_ptr<char, decltype(&std::free)>;
    for (const UrlCase& c : kUrlCases) {
        if (c.kind != kUrl) continue;
        SCOPED_TRACE(c.command);
        const std::string command = c.command;
        const std::string url = command.substr(0, command.find(' '));
        const ParsedCommand parsed = ParseOscCommand(c.command);
        const Text protocol(lo_url_get_protocol(url.c_str()), std::free);
        const Text host(lo_url_get_hostname(url.c_str()), std::free);
        const Text port(lo_url_get_port(url.c_str()), std::free);
        const Text path(lo_url_get_path(url.c_str()), std::free);
        ASSERT_TRUE(protocol && host && port && path);
        EXPECT_STREQ(protocol.get(), "udp");
        EXPECT_EQ(std::atoi(port.get()), parsed.destination.port);
        EXPECT_EQ(std::string(path.get()), command.substr(parsed.pathStart, parsed.pathLength));
        const bool plain = std::string(host.get()).find_first_not_of("0123456789.") ==
                               std::string::npos &&
                           url.find("://0") == std::string::npos;
        if (plain) {
            EXPECT_STREQ(host.get(), parsed.destination.host);
        }
    }
}

TEST(ParseDestination, SameDestinationComparesWhereDatagramsGo) {
    const auto destination = [](const char* command) {
        return ParseOscCommand(command).destination;
    };
    using sequencer::SameDestination;
    EXPECT_TRUE(SameDestination(destination("/a f"), destination("/b i[0:9]")));
    EXPECT_TRUE(SameDestination(destination("osc.udp://localhost:9/a"),
                                destination("osc.udp://127.0.0.1:009/b f")));
    EXPECT_FALSE(SameDestination(destination("osc.udp://127.0.0.1:9/a"),
                                 destination("osc.udp://127.0.0.1:10/a")));
    EXPECT_FALSE(SameDestination(destination("osc.udp://127.0.0.1:9/a"),
                                 destination("osc.udp://127.0.0.2:9/a")));
    EXPECT_FALSE(SameDestination(destination("/a"), destination("osc.udp://127.0.0.1:7000/a")));
    EXPECT_TRUE(SameDestination(destination("osc.tcp://1.2.3.4:5/a"),
                                destination("osc.udp://host:5/a")));  // both send nothing
}

}  // namespace
