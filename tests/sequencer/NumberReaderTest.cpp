// The number reader against the C library's own reading: the odd forms a
// user may type, a seeded corpus of random range texts, and the texts at
// the edges where rounding to float or double decides. Uses glibc's
// strtod_l in the "C" locale as the reference, so it runs on Linux only.
#include <gtest/gtest.h>

#include <locale.h>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "NumberReader.h"

namespace {

std::uint32_t FloatBits(double value) {
    const float narrowed = static_cast<float>(value);
    std::uint32_t bits;
    std::memcpy(&bits, &narrowed, sizeof bits);
    return bits;
}

std::uint64_t DoubleBits(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The reference reading: glibc's strtod_l in a "C" locale object.
class CReader {
public:
    CReader() : locale_(newlocale(LC_ALL_MASK, "C", locale_t{})) {}
    ~CReader() { freelocale(locale_); }
    CReader(const CReader&) = delete;
    CReader& operator=(const CReader&) = delete;

    double Read(const char* text) const { return strtod_l(text, nullptr, locale_); }

private:
    locale_t locale_;
};

// `text` with its control characters as escapes, for failure messages.
std::string Printable(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        if (c >= ' ' && c <= '~') {
            shown += c;
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(c));
            shown += escape;
        }
    }
    return shown;
}

// ---------------------------------------------------------------------------
// Odd forms, each with the float it must give. The values come from a
// correctly rounded reading outside the C library; the C library is asked
// too, so that a wrong row shows up as a wrong row.

struct OddForm {
    const char* text;
    std::uint32_t floatBits;
};

void PrintTo(const OddForm& form, std::ostream* out) { *out << '"' << Printable(form.text) << '"'; }

constexpr std::uint32_t kOne = 0x3f800000;
constexpr std::uint32_t kPlusZero = 0x00000000;
constexpr std::uint32_t kMinusZero = 0x80000000;
constexpr std::uint32_t kPlusInf = 0x7f800000;
constexpr std::uint32_t kMinusInf = 0xff800000;
constexpr std::uint32_t kQuietNan = 0x7fc00000;

const OddForm kOddForms[] = {
    // An exponent, hexadecimal prefix or point with nothing after it is not
    // part of the number.
    {"1e", kOne},
    {"1e+", kOne},
    {"1e+-1", kOne},
    {"0x", kPlusZero},
    {"0x.", kPlusZero},
    {"-0x", kMinusZero},  // the "0" is a number, so the sign stays
    {"0x-1", kPlusZero},
    {"0x1p", kOne},
    {"0x1p+-1", kOne},  // GCC 12's hexadecimal from_chars alone reads 0.5
    {".5", 0x3f000000},
    {"5.", 0x40a00000},
    {"+.5e-3", 0x3a03126f},
    {"e5", kPlusZero},
    {".", kPlusZero},
    {"+", kPlusZero},
    {"-", kPlusZero},  // no number: no sign either
    {"- 1", kPlusZero},
    {"-0", kMinusZero},
    {" \t\n1", kOne},
    {"\v\f\r-1", 0xbf800000},
    {"0x1.8p1", 0x40400000},
    {"0X1P-2", 0x3e800000},
    {"0x.8", 0x3f000000},
    // What ends a number in a range text, and letters C does not take.
    {"1e5x", 0x47c35000},
    {"1:2", kOne},
    {"1]", kOne},
    {"2,5", 0x40000000},
    {"1d3", kOne},
    // Infinities and NaNs.
    {"  -inf", kMinusInf},
    {"infinity", kPlusInf},
    {"INF", kPlusInf},
    {"InFiNiTy", kPlusInf},
    {"infin", kPlusInf},
    {"nan(123)", kQuietNan},
    {"-nan", 0xffc00000},
    {"nan(0x7ffffffffffff)", 0x7fffffff},  // the payload's top bits reach the float
    {"-nan(0x7ffffffffffff)", 0xffffffff},
    {"nan(-1)", kQuietNan},
    {"nan()", kQuietNan},
    // Beyond double's range, and at its edges.
    {"1e400", kPlusInf},
    {"-1e-400", kMinusZero},
    {"0x1p-1074", kPlusZero},
    {"4.9e-324", kPlusZero},
    {"2.4e-324", kPlusZero},
    {"1.7976931348623157e308", kPlusInf},
    {"1.8e308", kPlusInf},
    // Long texts are read in full.
    {"0.00000000000000000001", 0x1e3ce508},
    {"123456789012345678901234567890", 0x6fc77488},
    // Rounded to double first, then to float: the double is the tie
    // 1 + 2^-24, which goes to the even float 1, though the text lies above.
    {"1.00000005960464477539062500000001", kOne},
    {"1.0000000596046450", 0x3f800001},
    // Float's edges: the tie above the largest float goes up to infinity,
    // the double nearest to half the smallest subnormal is that half and
    // goes to 0.
    {"3.4028235677973366e38", kPlusInf},
    {"3.4028235677973362e38", 0x7f7fffff},
    {"1.4e-45", 0x00000001},
    {"7.006492321624086e-46", kPlusZero},
};

class OddForms : public ::testing::TestWithParam<OddForm> {};

TEST_P(OddForms, GiveTheirFloat) {
    const OddForm& form = GetParam();
    EXPECT_EQ(FloatBits(numbers::ReadNumber(form.text)), form.floatBits);
    EXPECT_EQ(FloatBits(CReader().Read(form.text)), form.floatBits) << "the row disagrees with C";
}

INSTANTIATE_TEST_SUITE_P(Table, OddForms, ::testing::ValuesIn(kOddForms));

// ---------------------------------------------------------------------------
// Doubles whose bits a float cannot show: out-of-range direction, subnormals
// and NaN payloads.

struct DoubleForm {
    const char* text;
    std::uint64_t doubleBits;
};

void PrintTo(const DoubleForm& form, std::ostream* out) { *out << '"' << form.text << '"'; }

constexpr std::uint64_t kDoubleInf = 0x7ff0000000000000;
constexpr std::uint64_t kDoubleNan = 0x7ff8000000000000;

const DoubleForm kDoubleForms[] = {
    {"0x1p-1074", 0x0000000000000001},
    {"0x1.8p-1075", 0x0000000000000001},
    {"0x0.00000000000008p-1022", 0},  // half the smallest subnormal: ties to 0
    {"4.9e-324", 0x0000000000000001},
    {"2.4703282292062328e-324", 0x0000000000000001},
    {"2.4703282292062327e-324", 0},
    {"-2.4e-324", 0x8000000000000000},
    {"2.2250738585072011e-308", 0x000fffffffffffff},
    {"2.2250738585072014e-308", 0x0010000000000000},
    {"1.7976931348623157e308", 0x7fefffffffffffff},
    {"0x1.fffffffffffff7p1023", 0x7fefffffffffffff},
    {"0x1.fffffffffffff8p1023", kDoubleInf},
    {"-1.8e308", 0xfff0000000000000},
    // Out of range: leading zeros and digits shift the order of magnitude
    // that the exponent gives.
    {"0.0000000001e310", 0x7e37e43c8800759c},
    {"0.00000000001e320", kDoubleInf},
    {"1000000000000000000000e-345", 0},
    {"0.000000000000000000001e-303", 0},
    {"0x0.001p1036", kDoubleInf},
    {"0x100p-1085", 0},
    {"1e99999999999999999999999", kDoubleInf},
    {"-1e-99999999999999999999999", 0x8000000000000000},
    {"0e99999999999999999999999", 0},
    {"0x0p99999999999999999999999", 0},
    // NaN payloads: an unsigned C integer constant in the parentheses.
    {"nan(123)", kDoubleNan | 123},
    {"nan(010)", kDoubleNan | 8},  // octal
    {"nan(0X1f)", kDoubleNan | 0x1f},
    {"-nan(1)", 0xfff8000000000001},
    {"nan(0xfffffffffffff)", 0x7fffffffffffffff},          // 52 bits: the top one is dropped
    {"nan(0x8000000000000)", kDoubleNan},                  // only bit 51: nothing is left
    {"nan(99999999999999999999999)", 0x7fffffffffffffff},  // saturates at 2^64 - 1
    {"nan(08)", kDoubleNan},                               // no octal digit 8
    {"nan(0x)", kDoubleNan},
    {"nan(1_)", kDoubleNan},
    {"nan( 1)", kDoubleNan},
    {"nan(1", kDoubleNan},
    {"nan(0b101)", kDoubleNan},
};

class DoubleForms : public ::testing::TestWithParam<DoubleForm> {};

TEST_P(DoubleForms, GiveTheirDouble) {
    const DoubleForm& form = GetParam();
    EXPECT_EQ(DoubleBits(numbers::ReadNumber(form.text)), form.doubleBits);
    EXPECT_EQ(DoubleBits(CReader().Read(form.text)), form.doubleBits) << "the row disagrees with C";
}

INSTANTIATE_TEST_SUITE_P(Table, DoubleForms, ::testing::ValuesIn(kDoubleForms));

// ---------------------------------------------------------------------------
// Reading many texts both ways.

// The count of texts whose bits differ, and the first few of them.
class Differences {
public:
    void Note(const std::string& text, std::uint64_t ours, std::uint64_t theirs) {
        if (ours == theirs) return;
        if (++count_ > kShown) return;
        char bits[64];
        std::snprintf(bits, sizeof bits, "\": ours %llx, C %llx\n",
                      static_cast<unsigned long long>(ours),
                      static_cast<unsigned long long>(theirs));
        shown_ += "  \"" + Printable(text) + bits;
    }
    int Count() const { return count_; }
    const std::string& Shown() const { return shown_; }

private:
    static constexpr int kShown = 5;
    int count_ = 0;
    std::string shown_;
};

class Comparison {
public:
    void Read(const std::string& text) {
        const double ours = numbers::ReadNumber(text.c_str());
        const double theirs = c_.Read(text.c_str());
        floats_.Note(text, FloatBits(ours), FloatBits(theirs));
        doubles_.Note(text, DoubleBits(ours), DoubleBits(theirs));
        ++texts_;
    }
    void ExpectNoDifference() const {
        EXPECT_EQ(floats_.Count(), 0) << "of " << texts_ << " texts; the first:\n"
                                      << floats_.Shown();
        EXPECT_EQ(doubles_.Count(), 0) << "of " << texts_ << " texts; the first:\n"
                                       << doubles_.Shown();
    }

private:
    CReader c_;
    Differences floats_;
    Differences doubles_;
    long texts_ = 0;
};

// Makes range texts from number-like pieces. The exponents cluster where
// float and double over- and underflow, so that many texts test the
// out-of-range decision and the rounding of subnormals.
class RangeTextMaker {
public:
    explicit RangeTextMaker(std::uint64_t seed) : random_(seed) {}

    std::string Make() {
        std::string text;
        AddBlanks(text);
        AddSign(text);
        const int form = Below(100);
        if (form < 50) {
            AddDecimal(text);
        } else if (form < 78) {
            AddHexadecimal(text);
        } else if (form < 92) {
            AddWord(text);
        } else {
            AddStray(text);
        }
        AddTail(text);
        return text;
    }

private:
    static constexpr const char* kDecimalDigits = "0123456789";
    static constexpr const char* kHexDigits = "0123456789abcdefABCDEF";

    int Below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random_); }
    bool Chance(int percent) { return Below(100) < percent; }
    char PickFrom(const char* chars) { return chars[Below(static_cast<int>(std::strlen(chars)))]; }
    template <typename T>
    T PickOf(std::initializer_list<T> choices) {
        return choices.begin()[Below(static_cast<int>(choices.size()))];
    }

    void AddBlanks(std::string& text) {
        if (!Chance(15)) return;
        for (int count = 1 + Below(3); count > 0; --count) text += PickFrom(" \t\n\v\f\r");
    }

    void AddSign(std::string& text) {
        const int pick = Below(100);
        if (pick < 30) {
            text += '-';
        } else if (pick < 40) {
            text += '+';
        } else if (pick < 43) {
            text += PickOf<const char*>({"+-", "--", "- ", "+ "});
        }
    }

    int RunLength() {
        const int pick = Below(100);
        if (pick < 10) return 0;
        if (pick < 50) return 1 + Below(3);
        if (pick < 80) return 4 + Below(17);
        if (pick < 95) return 21 + Below(40);
        return 61 + Below(340);
    }

    // Appends a run of digits and returns its length. Leading zeros come
    // now and then, and runs of one repeated digit (as in 4999... or
    // 5000...1) that land next to a tie.
    int AddDigits(std::string& text, const char* digits) {
        if (Chance(10)) text.append(static_cast<std::size_t>(1 + Below(30)), '0');
        const int length = RunLength();
        const bool repeat = Chance(20);
        const char repeated = PickFrom(digits);
        for (int i = 0; i < length; ++i) {
            const bool plain = !repeat || i == 0 || (i == length - 1 && Chance(50));
            text += plain ? PickFrom(digits) : repeated;
        }
        return length;
    }

    // Appends "<letter>[sign]digits", often cut short. The value sits near
    // one of `edges` (or its negative), less `shift` to offset the places
    // the digits before it stand for.
    void AddExponent(std::string& text, const char* letters, std::initializer_list<int> edges,
                     int shift) {
        text += PickFrom(letters);
        const int pick = Below(100);
        if (pick < 5) return;  // the letter alone
        if (pick < 10) {
            text += PickFrom("+-");  // the sign alone
            return;
        }
        if (pick < 15) {  // far beyond any range
            if (Chance(50)) text += PickFrom("+-");
            for (int count = 12 + Below(14); count > 0; --count) text += PickFrom(kDecimalDigits);
            return;
        }
        const int edge = PickOf(edges);
        const int value = (Chance(50) ? edge : -edge) - shift + Below(7) - 3;
        if (value < 0) {
            text += '-';
        } else if (Chance(30)) {
            text += '+';
        }
        if (Chance(10)) text += "00";
        text += std::to_string(value < 0 ? -value : value);
    }

    void AddDecimal(std::string& text) {
        const int whole = AddDigits(text, kDecimalDigits);
        if (Chance(60)) {
            text += '.';
            AddDigits(text, kDecimalDigits);
        }
        if (Chance(65)) {
            AddExponent(text, "eEeEd", {0, 1, 38, 39, 45, 46, 308, 309, 323, 324, 325}, whole);
        }
    }

    void AddHexadecimal(std::string& text) {
        text += PickOf<const char*>({"0x", "0X", "0x", "0X", "0", "00x"});
        if (Chance(5)) text += PickFrom("-+.gpP ");
        const int whole = AddDigits(text, kHexDigits);
        if (Chance(50)) {
            text += '.';
            AddDigits(text, kHexDigits);
        }
        if (Chance(70)) {
            AddExponent(text, "pPpPe",
                        {0, 1, 126, 127, 128, 149, 150, 1022, 1023, 1024, 1074, 1075}, 4 * whole);
        }
    }

    // "inf", "infinity", "nan" and "nan(...)", whole or cut, in mixed case.
    void AddWord(std::string& text) {
        const std::string word = PickOf<const char*>(
            {"inf", "infinity", "nan", "nan", "nan", "infin", "infinit", "in", "na", "i"});
        for (const char c : word) text += Chance(30) ? static_cast<char>(c - 'a' + 'A') : c;
        if (word != "nan" || !Chance(80)) return;
        text += '(';
        const int pick = Below(100);
        if (pick < 25) {
            text += PickOf<const char*>({"0x", "0X"});
            for (int count = Below(18); count > 0; --count) text += PickFrom(kHexDigits);
        } else if (pick < 45) {
            text += '0';
            for (int count = Below(22); count > 0; --count) text += PickFrom("01234567");
        } else if (pick < 70) {
            for (int count = Below(25); count > 0; --count) text += PickFrom(kDecimalDigits);
        } else {
            for (int count = Below(8); count > 0; --count) text += PickFrom("0179afxXzZ_-+ .(");
        }
        if (Chance(85)) text += ')';
    }

    void AddStray(std::string& text) {
        for (int count = 1 + Below(6); count > 0; --count) {
            text += PickFrom("0123456789.eEpPxXdD+-:],;[ abfinINA");
        }
    }

    // What follows the number in a range text.
    void AddTail(std::string& text) {
        const int pick = Below(100);
        if (pick < 50) {
            text += ':' + std::to_string(Below(1000)) + ']';
        } else if (pick < 65) {
            text += ']';
        } else if (pick < 80) {
            text += PickFrom(":],.;dDeExX0123456789");
        }
    }

    std::mt19937_64 random_;
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
// The edges: ties between adjacent floats and between adjacent doubles, and
// the points where float and double over- and underflow, written exactly,
// just above, just below, short, and in hexadecimal.

static_assert(std::numeric_limits<long double>::digits >= 64,
              "the ties between doubles must be exact in long double");

// The exact decimal digits of `value` without trailing zeros, split into
// mantissa and exponent. 800 digits hold them all: a tie between doubles
// has at most 767 significant digits.
struct Decimal {
    std::string mantissa;  // with a point
    std::string exponent;  // "e..."
};

Decimal ExactDecimal(long double value) {
    char buffer[900];
    std::snprintf(buffer, sizeof buffer, "%.800Le", value);
    const std::string text = buffer;
    const std::size_t e = text.find('e');
    Decimal decimal{text.substr(0, e), text.substr(e)};
    const std::size_t last = decimal.mantissa.find_last_not_of('0');
    decimal.mantissa.erase(last + 1);
    return decimal;
}

std::string Formatted(const char* format, long double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// Texts at `point` and around it.
void AddTextsAround(long double point, std::vector<std::string>& texts) {
    const Decimal exact = ExactDecimal(point);
    texts.push_back(exact.mantissa + exact.exponent);
    texts.push_back(exact.mantissa + "000001" + exact.exponent);  // a hair above
    std::string below = exact.mantissa;
    if (below.back() != '.') {  // a hair below: the last digit less one, then 9s
        --below.back();
        texts.push_back(below + "99999" + exact.exponent);
    }
    texts.push_back(Formatted("%.17Lg", point));
    texts.push_back(Formatted("%.9Lg", point));
    const std::string hex = Formatted("%La", point);
    texts.push_back(hex);
    const std::size_t p = hex.find('p');
    const bool hasPoint = hex.find('.') != std::string::npos;
    texts.push_back(hex.substr(0, p) + (hasPoint ? "0001" : ".0001") + hex.substr(p));
}

// The tie between two adjacent floats or doubles, exactly.
long double Tie(long double low, long double high) { return (low + high) / 2; }

// `f`, the tie between it and the next float up (2^128 above the largest),
// and the doubles next to that tie, where a reading that rounds the text
// straight to float would go the other way.
void AddFloatPoints(float f, std::vector<long double>& points) {
    const float next = std::nextafter(f, std::numeric_limits<float>::infinity());
    const long double high = std::isinf(next) ? 0x1p128L : next;
    const double tie = static_cast<double>(Tie(f, high));  // exact: 25 bits
    points.insert(points.end(), {f, tie, std::nextafter(tie, 0.0), std::nextafter(tie, 1e300)});
}

// `d` and the tie between it and the next double up (2^1024 above the
// largest).
void AddDoublePoints(double d, std::vector<long double>& points) {
    const double next = std::nextafter(d, std::numeric_limits<double>::infinity());
    const long double high = std::isinf(next) ? 0x1p1024L : next;
    points.insert(points.end(), {d, Tie(d, high)});
}

template <typename Float, typename Bits>
Float RandomPositive(std::mt19937_64& random, Bits infinityBits) {
    const auto bits = static_cast<Bits>(random() % infinityBits);
    Float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::vector<std::string> EdgeTexts() {
    std::vector<long double> points;
    for (const float f :
         {0.0f, std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::min(), 1.0f,
          16777216.0f, std::numeric_limits<float>::max()}) {
        AddFloatPoints(f, points);
    }
    for (const double d :
         {0.0, std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::min(), 1.0,
          std::numeric_limits<double>::max()}) {
        AddDoublePoints(d, points);
    }
    std::mt19937_64 random(kCorpusSeed + 1);
    for (int i = 0; i < 300; ++i) {
        AddFloatPoints(RandomPositive<float, std::uint32_t>(random, 0x7f800000), points);
        AddDoublePoints(RandomPositive<double, std::uint64_t>(random, 0x7ff0000000000000), points);
    }

    std::vector<std::string> texts;
    for (const long double point : points) AddTextsAround(point, texts);
    const std::size_t positive = texts.size();
    for (std::size_t i = 0; i < positive; ++i) texts.push_back("-" + texts[i]);
    return texts;
}

TEST(NumberReaderAgainstC, TextsAtTheEdgesOfFloatAndDoubleGiveTheSameValues) {
    Comparison comparison;
    for (const std::string& text : EdgeTexts()) comparison.Read(text);
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
    const double half = numbers::ReadNumber("0.5");
    const double twoAndAHalf = numbers::ReadNumber("2,5");
    std::setlocale(LC_ALL, previous.c_str());
    ASSERT_TRUE(commaLocale) << "de_DE.UTF-8 should have a decimal comma";
    EXPECT_EQ(half, 0.5);
    EXPECT_EQ(twoAndAHalf, 2.0);
}

}  // namespace
