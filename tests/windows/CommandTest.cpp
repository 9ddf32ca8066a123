// The command parser and its number reader as the Windows plug-ins run
// them, on mingw-w64's libstdc++ and msvcrt: the tables the Linux tests
// use, glibc's readings of the number corpus bit for bit, and a host
// locale whose decimal point is a comma.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CommandCases.h"
#include "NumberCorpus.h"
#include "NumberForms.h"
#include "NumberReader.h"
#include "OscCommand.h"
#include "TestProgram.h"

namespace {

using sequencer::ParseOscCommand;
using sequencer::ParsedCommand;

using tests::DoubleBits;
using tests::FloatBits;

// ---------------------------------------------------------------------------
// The shared tables.

class OddForms : public ::testing::TestWithParam<tests::OddForm> {};

TEST_P(OddForms, GiveTheirFloat) {
    const tests::OddForm& form = GetParam();
    EXPECT_EQ(FloatBits(sequencer::ReadNumber(form.text)), form.floatBits);
}

INSTANTIATE_TEST_SUITE_P(Table, OddForms, ::testing::ValuesIn(tests::kOddForms));

class DoubleForms : public ::testing::TestWithParam<tests::DoubleForm> {};

TEST_P(DoubleForms, GiveTheirDouble) {
    const tests::DoubleForm& form = GetParam();
    EXPECT_EQ(DoubleBits(sequencer::ReadNumber(form.text)), form.doubleBits);
}

INSTANTIATE_TEST_SUITE_P(Table, DoubleForms, ::testing::ValuesIn(tests::kDoubleForms));

void ExpectParsedAs(const tests::CommandCase& c) {
    const ParsedCommand parsed = ParseOscCommand(c.command);
    EXPECT_EQ(std::string(c.command, parsed.pathLength), c.address) << c.command;
    EXPECT_EQ(parsed.sendInteger, c.sendInteger) << c.command;
    EXPECT_EQ(parsed.rangeMin, c.rangeMin) << c.command;
    EXPECT_EQ(parsed.rangeMax, c.rangeMax) << c.command;
}

class ParseCommand : public ::testing::TestWithParam<tests::CommandCase> {};

TEST_P(ParseCommand, ReadsAddressTypeAndRange) { ExpectParsedAs(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Commands, ParseCommand, ::testing::ValuesIn(tests::kCommandCases));

// ---------------------------------------------------------------------------
// The number corpus: every text as glibc read it on Linux.

struct LoadedCorpus {
    std::vector<tests::CorpusEntry> entries;
    std::string error;  // empty when the file was read whole
};

// Read once, for every test that compares with it.
const LoadedCorpus& Corpus() {
    static const LoadedCorpus corpus = [] {
        LoadedCorpus loaded;
        tests::ReadCorpus(tests::NumberCorpusPath(), loaded.entries, loaded.error);
        return loaded;
    }();
    return corpus;
}

void ExpectGlibcReadings() {
    const LoadedCorpus& corpus = Corpus();
    ASSERT_TRUE(corpus.error.empty()) << corpus.error;
    ASSERT_FALSE(corpus.entries.empty()) << tests::NumberCorpusPath() << " holds no text";
    tests::Differences floats;
    tests::Differences doubles;
    for (const tests::CorpusEntry& entry : corpus.entries) {
        const double ours = sequencer::ReadNumber(entry.text.c_str());
        double glibc;
        std::memcpy(&glibc, &entry.doubleBits, sizeof glibc);
        floats.Note(entry.text, FloatBits(ours), FloatBits(glibc));
        doubles.Note(entry.text, DoubleBits(ours), entry.doubleBits);
    }
    const std::size_t texts = corpus.entries.size();
    EXPECT_EQ(floats.Count(), 0) << "of " << texts << " texts; the first:\n" << floats.Shown();
    EXPECT_EQ(doubles.Count(), 0) << "of " << texts << " texts; the first:\n" << doubles.Shown();
}

// A program starts in the "C" locale.
TEST(NumberCorpus, GivesGlibcsBitsInTheCLocale) { ExpectGlibcReadings(); }

// ---------------------------------------------------------------------------
// A host may set a locale whose decimal point is a comma: the C runtime's
// own strtod then reads "2,5" as 2.5, but a command keeps the point.

// While it lives, a Windows locale with a decimal comma is the process's
// C locale; the locale before comes back at its end.
class CommaLocale {
public:
    CommaLocale() : previous_(std::setlocale(LC_ALL, nullptr)) {
        for (const char* name : {"German_Germany.1252", "de-DE"}) {
            if (std::setlocale(LC_ALL, name) != nullptr) {
                name_ = name;
                return;
            }
        }
    }
    ~CommaLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    // The name that setlocale took, or null when it took none.
    const char* Name() const { return name_; }

private:
    std::string previous_;
    const char* name_ = nullptr;
};

class InACommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        if (locale_.Name() == nullptr) {
            GTEST_SKIP() << "setlocale took neither German_Germany.1252 nor de-DE";
        }
        ASSERT_EQ(*std::localeconv()->decimal_point, ',')
            << locale_.Name() << " should have a decimal comma";
        // The C runtime reads with the comma now, so the locale is in force.
        ASSERT_EQ(std::strtod("2,5", nullptr), 2.5) << "strtod ignores " << locale_.Name();
    }

    CommaLocale locale_;
};

TEST_F(InACommaLocale, NumbersTakeAPointAndStopAtAComma) {
    EXPECT_EQ(sequencer::ReadNumber("0.5"), 0.5);
    EXPECT_EQ(sequencer::ReadNumber("2,5"), 2.0);
    ExpectParsedAs({"/a f[0.5:2,5]", "/a", false, 0.5f, 2.0f});
}

TEST_F(InACommaLocale, TheTablesGiveTheSameValues) {
    for (const tests::OddForm& form : tests::kOddForms) {
        EXPECT_EQ(FloatBits(sequencer::ReadNumber(form.text)), form.floatBits)
            << tests::Printable(form.text);
    }
    for (const tests::DoubleForm& form : tests::kDoubleForms) {
        EXPECT_EQ(DoubleBits(sequencer::ReadNumber(form.text)), form.doubleBits) << form.text;
    }
    for (const tests::CommandCase& c : tests::kCommandCases) ExpectParsedAs(c);
}

TEST_F(InACommaLocale, NumberCorpusGivesGlibcsBits) { ExpectGlibcReadings(); }

}  // namespace
