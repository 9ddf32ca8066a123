// Number texts a user may type as a range's min or max, each with the bits
// the C library's strtod gives for it in the "C" locale, and the helpers
// that compare and show such readings. Shared by the Linux number reader
// test, which asks glibc too, and the Windows test program (tests/windows),
// which runs under Wine and has no glibc to ask.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>

namespace tests {

// `text` with its control characters as escapes, for failure messages.
inline std::string Printable(const std::string& text) {
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

inline std::uint32_t FloatBits(double value) {
    const float narrowed = static_cast<float>(value);
    std::uint32_t bits;
    std::memcpy(&bits, &narrowed, sizeof bits);
    return bits;
}

inline std::uint64_t DoubleBits(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The count of texts whose bits differ, and the first few of them.
class Differences {
public:
    void Note(const std::string& text, std::uint64_t ours, std::uint64_t theirs) {
        if (ours == theirs) return;
        if (++count > kShown) return;
        char bits[64];
        std::snprintf(bits, sizeof bits, "\": ours %llx, C %llx\n",
                      static_cast<unsigned long long>(ours),
                      static_cast<unsigned long long>(theirs));
        shown += "  \"" + Printable(text) + bits;
    }
    int Count() const { return count; }
    const std::string& Shown() const { return shown; }

private:
    static constexpr int kShown = 5;
    int count = 0;
    std::string shown;
};

// ---------------------------------------------------------------------------
// Odd forms, each with the float it must give. The values come from a
// correctly rounded reading outside the C library; the Linux test asks the
// C library too, so that a wrong row shows up as a wrong row.

struct OddForm {
    const char* text;
    std::uint32_t floatBits;
};

inline void PrintTo(const OddForm& form, std::ostream* out) {
    *out << '"' << Printable(form.text) << '"';
}

inline constexpr std::uint32_t kOne = 0x3f800000;
inline constexpr std::uint32_t kPlusZero = 0x00000000;
inline constexpr std::uint32_t kMinusZero = 0x80000000;
inline constexpr std::uint32_t kPlusInf = 0x7f800000;
inline constexpr std::uint32_t kMinusInf = 0xff800000;
inline constexpr std::uint32_t kQuietNan = 0x7fc00000;

inline constexpr OddForm kOddForms[] = {
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

// ---------------------------------------------------------------------------
// Doubles whose bits a float cannot show: out-of-range direction, subnormals
// and NaN payloads.

struct DoubleForm {
    const char* text;
    std::uint64_t doubleBits;
};

inline void PrintTo(const DoubleForm& form, std::ostream* out) { *out << '"' << form.text << '"'; }

inline constexpr std::uint64_t kDoubleInf = 0x7ff0000000000000;
inline constexpr std::uint64_t kDoubleNan = 0x7ff8000000000000;

inline constexpr DoubleForm kDoubleForms[] = {
    {"0x1p-1074", 0x0000000000000001},
    {"0x1.8p-1075", 0x0000000000000001},
    {"0x0.00000000000008p-1022", 0},  // half the smallest subnormal: ties to 0
    {"4.9e-324", 0x0000000000000001},
    {"2.4703282292062328e-324", 0x0000000000000001},
    {"2.4703282292062327e-324", 0},
    {"-2.4e-324", 0x8000000000000000},
    // The bits dropped from these subnormals are more than half the last
    // place, so they round up; glibc 2.36's strtod alone rounds them down.
    {"0x1.a29657bd8331d8p-1023", 0x000d14b2bdec198f},
    {"0xD14B2bdec19.8EcP-1066", 0x000d14b2bdec198f},
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
    // Exponents near the limits of 32- and 64-bit arithmetic, with digits
    // that shift them: beyond double's range all the same.
    {"0x1p2147482625", kDoubleInf},
    {"0x1p2147482626", kDoubleInf},
    {"0x10p2147482622", kDoubleInf},
    {"-0x1.8p2147482626", 0xfff0000000000000},
    {"0x.1p2147482629", kDoubleInf},
    {"0x1p-2147482625", 0},
    {"0x.0001p2147483648", kDoubleInf},
    {"-0x100p-2147483649", 0x8000000000000000},
    {"1e2147483647", kDoubleInf},
    {"1e2147483648", kDoubleInf},
    {"1e-2147483649", 0},
    {"0.0000001e2147483650", kDoubleInf},
    {"10000000e-2147483650", 0},
    {"-1e4294967296", 0xfff0000000000000},
    {"0x1p9223372036854775807", kDoubleInf},
    {"0x1p-9223372036854775808", 0},
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

}  // namespace tests
