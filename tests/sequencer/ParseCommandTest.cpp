// The "OSC command" text read into address, argument type and range.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "CommandCases.h"
#include "OscCommand.h"

namespace {

using sequencer::ParseOscCommand;
using sequencer::ParsedCommand;
using sequencer::kNotFound;

using tests::CommandCase;
using tests::kInf;

class ParseCommand : public ::testing::TestWithParam<CommandCase> {};

TEST_P(ParseCommand, ReadsAddressTypeAndRange) {
    const CommandCase& c = GetParam();
    const ParsedCommand parsed = ParseOscCommand(c.command);
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

}  // namespace
