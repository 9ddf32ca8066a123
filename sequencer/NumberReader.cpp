// std::from_chars rounds correctly and knows no decimal comma, so it does
// the conversion. It is never handed the text as typed: this file finds
// where the number ends by the C grammar, because from_chars has its own (a
// '-' sign of its own, "inf" and "nan" among decimals, and in GCC 12's
// hexadecimal reading "1p+-1" as 0.5 where C reads 1). The same scan gives
// the number's order of magnitude, from which this file decides every
// number far beyond double's range itself (GCC 12's hexadecimal from_chars
// overflows inside for binary exponents near 2^31 and still reports
// success), and from_chars gets the rest rewritten short: a bounded run of
// significant digits and an exponent of at most four digits. The NaN forms
// are read here in full.
#include "NumberReader.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <system_error>

namespace sequencer {

namespace {

static_assert(std::numeric_limits<double>::is_iec559, "double must be IEEE 754 binary64");

constexpr double kInfinity = std::numeric_limits<double>::infinity();

constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;
constexpr std::uint64_t kQuietNan = 0x7ff8000000000000;
constexpr std::uint64_t kNanPayloadMask = (std::uint64_t{1} << 51) - 1;

// Written exponents are read up to this magnitude (2^59, about 5.8e17) and
// saturate there. Any larger exponent is out of double's range by far, even
// against the places of the longest text that fits in memory, and the sums
// below stay far from std::int64_t's limits.
constexpr std::int64_t kExponentCap = std::int64_t{1} << 59;

// At most this many significant digits reach from_chars; a '1' after them
// stands for the dropped digits when any of them is not 0. Where a double
// rounds depends on at most 767 significant decimal digits (the longest
// exact tie between two doubles), and on fewer hexadecimal ones, so the
// shortened text rounds as the whole one does.
constexpr std::size_t kKeptDigits = 800;

// The shortened text: the kept digits, a point, the '1', the exponent
// letter, a sign and the at most four digits of an exponent in range.
constexpr std::size_t kShortTextSize = kKeptDigits + 8;

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsHexDigit(char c) {
    const char lower = Lower(c);
    return IsDecimalDigit(c) || (lower >= 'a' && lower <= 'f');
}

bool IsNanChar(char c) {
    const char lower = Lower(c);
    return IsDecimalDigit(c) || (lower >= 'a' && lower <= 'z') || c == '_';
}

// True when `text` starts with `word` (lower case) in any letter case.
bool StartsWithWord(const char* text, const char* word) {
    for (; *word != '\0'; ++text, ++word) {
        if (Lower(*text) != *word) return false;
    }
    return true;
}

double WithSign(double magnitude, bool negative) { return negative ? -magnitude : magnitude; }

// How numbers of one radix are written and converted.
struct Notation {
    bool hexDigits;
    char exponentLetter;  // lower case; the upper case letter is taken too
    // One digit place in the units of the exponent: a decimal place is 10^1,
    // a hexadecimal place 16 = 2^4.
    int placeWeight;
    std::chars_format format;
    // Orders of magnitude (NumberText::scale) beyond double's range. From
    // `hugeScale` up a number is at least 2^1024 (decimal: 10^309), above
    // the largest double; from `tinyScale` down it is below 2^-1075
    // (10^-324), less than half the smallest subnormal, and reads as 0.
    // Between them the scale fits in four digits.
    std::int64_t hugeScale;
    std::int64_t tinyScale;
};

constexpr Notation kDecimal{false, 'e', 1, std::chars_format::general, 309, -325};
constexpr Notation kHexadecimal{true, 'p', 4, std::chars_format::hex, 1024, -1079};

// The text of one unsigned number, found by the C grammar.
struct NumberText {
    const char* begin;
    const char* end;          // just past the number
    const char* significant;  // the first non-zero digit, if any
    const char* digitsEnd;    // just past the digits and point, where an exponent starts
    bool hasDigit;            // false: no number starts at `begin`
    bool isZero;              // every digit is 0
    // The place of the first non-zero digit (0 for the units, 1 for the
    // tens, -1 for the first place after the point), weighted and with the
    // written exponent added: the number's order of magnitude in powers of
    // its exponent's base, give or take one place. Meaningless when zero.
    std::int64_t scale;
};

bool IsDigitOf(char c, const Notation& notation) {
    return notation.hexDigits ? IsHexDigit(c) : IsDecimalDigit(c);
}

// Scans the digits with at most one point at `text` into `number`: its
// end, whether it has a digit, whether all are 0, and the first non-zero
// digit's place (unweighted).
void ScanDigits(const char* text, const Notation& notation, NumberText& number) {
    bool afterPoint = false;
    std::int64_t fractionPlace = 0;
    const char* cursor = text;
    for (;; ++cursor) {
        if (*cursor == '.' && !afterPoint) {
            afterPoint = true;
            continue;
        }
        if (!IsDigitOf(*cursor, notation)) break;
        number.hasDigit = true;
        if (afterPoint) --fractionPlace;
        if (number.isZero && *cursor != '0') {
            number.isZero = false;
            number.significant = cursor;
            number.scale = afterPoint ? fractionPlace : 0;
        } else if (!number.isZero && !afterPoint) {
            ++number.scale;
        }
    }
    number.digitsEnd = cursor;
    number.end = cursor;
}

// Reads an exponent "<letter>[sign]digits" at `text`. Returns the end of
// what it read: past the digits, or `text` itself when no complete exponent
// stands there (the letter is then not part of the number).
const char* ScanExponent(const char* text, char letter, std::int64_t& exponent) {
    exponent = 0;
    if (Lower(*text) != letter) return text;
    const char* cursor = text + 1;
    const bool negative = *cursor == '-';
    if (*cursor == '+' || *cursor == '-') ++cursor;
    if (!IsDecimalDigit(*cursor)) return text;
    std::int64_t magnitude = 0;
    for (; IsDecimalDigit(*cursor); ++cursor) {
        if (magnitude < kExponentCap) magnitude = magnitude * 10 + (*cursor - '0');
    }
    exponent = negative ? -magnitude : magnitude;
    return cursor;
}

// Finds the number at `text` (after any sign and "0x") as C reads it.
NumberText ScanNumber(const char* text, const Notation& notation) {
    NumberText number{text, text, text, text, false, true, 0};
    ScanDigits(text, notation, number);
    if (!number.hasDigit) return number;
    std::int64_t exponent = 0;
    number.end = ScanExponent(number.end, notation.exponentLetter, exponent);
    number.scale = number.scale * notation.placeWeight + exponent;
    return number;
}

// Writes the non-zero number found by ScanNumber to `out` as
// "d.ddd<letter><scale>": its first significant digit, a point, at most
// kKeptDigits - 1 further digits, a '1' when non-zero digits are dropped,
// and its order of magnitude as the exponent. The scale must lie between
// the notation's tiny and huge scales. Returns the length written.
std::size_t WriteShortText(const NumberText& number, const Notation& notation,
                           char (&out)[kShortTextSize]) {
    std::size_t length = 0;
    std::size_t kept = 0;
    for (const char* cursor = number.significant; cursor != number.digitsEnd; ++cursor) {
        if (*cursor == '.') continue;
        if (kept == kKeptDigits) {
            if (*cursor == '0') continue;
            out[length++] = '1';
            break;
        }
        if (kept == 1) out[length++] = '.';
        out[length++] = *cursor;
        ++kept;
    }
    out[length++] = notation.exponentLetter;
    const std::to_chars_result written =
        std::to_chars(out + length, out + kShortTextSize, number.scale);
    return static_cast<std::size_t>(written.ptr - out);
}

// The value of a number found by ScanNumber, unsigned.
double Convert(const NumberText& number, const Notation& notation) {
    if (number.isZero || number.scale <= notation.tinyScale) return 0.0;
    if (number.scale >= notation.hugeScale) return kInfinity;
    char shortText[kShortTextSize];
    const std::size_t length = WriteShortText(number, notation, shortText);
    double value = 0.0;
    const std::from_chars_result result =
        std::from_chars(shortText, shortText + length, value, notation.format);
    // Out of range leaves `value` alone. An overflow needs an order of
    // magnitude of at least 308 (decimal) or 1020 (binary), an underflow at
    // most -324 or -1075, so the sign of the scale tells which it was.
    if (result.ec == std::errc::result_out_of_range) return number.scale >= 0 ? kInfinity : 0.0;
    return value;
}

// The unsigned C integer constant that fills [begin, end): decimal,
// "0x"-hexadecimal or "0"-octal, saturating at 2^64 - 1. 0 when the text is
// anything else, or empty.
std::uint64_t ReadIntegerConstant(const char* begin, const char* end) {
    int base = 10;
    if (end - begin >= 2 && begin[0] == '0' && Lower(begin[1]) == 'x') {
        base = 16;
        begin += 2;
    } else if (begin != end && begin[0] == '0') {
        base = 8;
    }
    std::uint64_t value = 0;
    const std::from_chars_result result = std::from_chars(begin, end, value, base);
    if (result.ptr != end) return 0;
    if (result.ec == std::errc::result_out_of_range)
        return std::numeric_limits<std::uint64_t>::max();
    return value;
}

// The payload that "(chars)" at `text`, right after "nan", gives; 0 when
// no such group stands there or its chars are no integer constant.
std::uint64_t ReadNanPayload(const char* text) {
    if (*text != '(') return 0;
    const char* const begin = text + 1;
    const char* end = begin;
    while (IsNanChar(*end)) ++end;
    if (*end != ')') return 0;
    return ReadIntegerConstant(begin, end);
}

// Where the text after "nan" at `text` ends: past a "(chars)" group that
// stands there, else at `text`.
const char* NanEnd(const char* text) {
    if (*text != '(') return text;
    const char* end = text + 1;
    while (IsNanChar(*end)) ++end;
    return *end == ')' ? end + 1 : text;
}

// Where an infinity at `text` ends: after "infinity" or "inf".
const char* InfinityEnd(const char* text) {
    return StartsWithWord(text, "infinity") ? text + 8 : text + 3;
}

// The quiet NaN that the text after "nan" at `text` gives.
double NotANumber(const char* text, bool negative) {
    const std::uint64_t bits =
        (negative ? kSignBit : 0) | kQuietNan | (ReadNanPayload(text) & kNanPayloadMask);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace

double ReadNumber(const char* text) {
    const char* end = nullptr;
    return ReadNumber(text, &end);
}

double ReadNumber(const char* const text, const char** end) {
    const char* cursor = text;
    while (IsBlank(*cursor)) ++cursor;
    const bool negative = *cursor == '-';
    if (*cursor == '+' || *cursor == '-') ++cursor;

    if (StartsWithWord(cursor, "inf")) {
        *end = InfinityEnd(cursor);
        return WithSign(kInfinity, negative);
    }
    if (StartsWithWord(cursor, "nan")) {
        *end = NanEnd(cursor + 3);
        return NotANumber(cursor + 3, negative);
    }
    if (cursor[0] == '0' && Lower(cursor[1]) == 'x') {
        const NumberText hex = ScanNumber(cursor + 2, kHexadecimal);
        // Without a digit after it, the "x" ends the number "0".
        *end = hex.hasDigit ? hex.end : cursor + 1;
        return WithSign(hex.hasDigit ? Convert(hex, kHexadecimal) : 0.0, negative);
    }
    const NumberText decimal = ScanNumber(cursor, kDecimal);
    if (!decimal.hasDigit) {
        *end = text;  // no number, so no sign either
        return 0.0;
    }
    *end = decimal.end;
    return WithSign(Convert(decimal, kDecimal), negative);
}

}  // namespace sequencer
