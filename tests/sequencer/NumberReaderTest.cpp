// The number reader against the C library's own reading: the odd forms a
// user may type, a seeded corpus of random range texts, and the texts at
// the edges where rounding to float or double decides. Uses glibc's
// strtod_l in the "C" locale as the reference (CReading.h), so it runs on
// Linux only.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <string>

#include "CReading.h"
#include "NumberForms.h"
#include "NumberReader.h"
#include "RangeTexts.h"

namespace {

using tests::CReader;
using tests::Differences;
using tests::DoubleBits;
using tests::EdgeTexts;
using tests::FloatBits;
using tests::RangeTextMaker;

// ---------------------------------------------------------------------------
// The odd forms of NumberForms.h, each with the float it must give.

class OddForms : public ::testing::TestWithParam<tests::OddForm> {};

TEST_P(OddForms, GiveTheirFloat) {
    const tests::OddForm& form = GetParam();
    EXPECT_EQ(FloatBits(sequencer::ReadNumber(form.text)), form.floatBits);
    EXPECT_EQ(FloatBits(CReader().Read(form.text)), form.floatBits) << "the row disagrees with C";
}

INSTANTIATE_TEST_SUITE_P(Table, OddForms, ::testing::ValuesIn(tests::kOddForms));

// ---------------------------------------------------------------------------
// The doubles of NumberForms.h whose bits a float cannot show: out-of-range
// direction, subnormals and NaN payloads.

class DoubleForms : public ::testing::TestWithParam<tests::DoubleForm> {};

TEST_P(DoubleForms, GiveTheirDouble) {
    const tests::DoubleForm& form = GetParam();
    EXPECT_EQ(DoubleBits(sequencer::ReadNumber(form.text)), form.doubleBits);
    EXPECT_EQ(DoubleBits(CReader().Read(form.text)), form.doubleBits) << "the row disagrees with C";
}

INSTANTIATE_TEST_SUITE_P(Table, DoubleForms, ::testing::ValuesIn(tests::kDoubleForms));

// ---------------------------------------------------------------------------
// Reading many texts both ways.

class Comparison {
public:
    void Read(const std::string& text) {
        const char* ourEnd = nullptr;
        char* theirEnd = nullptr;
        const double ours = sequencer::ReadNumber(text.c_str(), &ourEnd);
        const double theirs = cLibrary.Read(text.c_str(), &theirEnd);
        floats.Note(text, FloatBits(ours), FloatBits(theirs));
        doubles.Note(text, DoubleBits(ours), DoubleBits(theirs));
        ends.Note(text, static_cast<std::uint64_t>(ourEnd - text.c_str()),
                  static_cast<std::uint64_t>(theirEnd - text.c_str()));
        ++texts;
    }
    void ExpectNoDifference() const {
        EXPECT_EQ(floats.Count(), 0) << "of " << texts << " texts; the first:\n" << floats.Shown();
        EXPECT_EQ(doubles.Count(), 0) << "of " << texts << " texts; the first:\n"
                                      << doubles.Shown();
        EXPECT_EQ(ends.Count(), 0) << "ends of numbers, of " << texts << " texts; the first:\n"
                                   << ends.Shown();
    }

private:
    CReader cLibrary;
    Differences floats;
    Differences doubles;
    Differences ends;  // where the number ends, in characters from the start
    long texts = 0;
};

constexpr std::uint64_t kCorpusSeed = 0x56a72e10;
constexpr int kRandomTexts = 250000;

TEST(NumberReaderAgainstC, RandomRangeTextsGiveTheSameValues) {
    RangeTextMaker maker(kCorpusSeed);
    Comparison comparison;
    for (int i = 0; i < kRandomTexts; ++i) comparison.Read(maker.Make());
    comparison.ExpectNoDifference();
}

// ---------------------------------------------------------------------------
// The edges of float and double (RangeTexts.h).

TEST(NumberReaderAgainstC, TextsAtTheEdgesOfFloatAndDoubleGiveTheSameValues) {
    Comparison comparison;
    for (const std::string& text : EdgeTexts(kCorpusSeed + 1)) comparison.Read(text);
    comparison.ExpectNoDifference();
}

// ---------------------------------------------------------------------------

// A host may set a locale whose decimal point is a comma; the reader still
// takes a point and stops at a comma.
TEST(NumberReader, TakesAPointInACommaLocale) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "the de_DE.UTF-8 locale is missing: run tools/install-deps";
    }
    const bool commaLocale = *std::localeconv()->decimal_point == ',';
    const double half = sequencer::ReadNumber("0.5");
    const double twoAndAHalf = sequencer::ReadNumber("2,5");
    std::setlocale(LC_ALL, previous.c_str());
    ASSERT_TRUE(commaLocale) << "de_DE.UTF-8 should have a decimal comma";
    EXPECT_EQ(half, 0.5);
    EXPECT_EQ(twoAndAHalf, 2.0);
}

}  // namespace
