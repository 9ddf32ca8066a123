// The readability test on Windows.
#include "Platform.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include <locale.h>

namespace platform {

bool IsReadableByte(const void* address) {
    if (address == nullptr) return false;
    return IsBadReadPtr(address, 1) == 0;
}

namespace {

// The C runtime's "C" locale object, made at the first conversion and
// released when the library is unloaded.
class CLocale {
public:
    ~CLocale() {
        if (locale_ != nullptr) _free_locale(locale_);
    }
    _locale_t Get() {
        if (locale_ == nullptr) locale_ = _create_locale(LC_ALL, "C");
        return locale_;
    }

private:
    _locale_t locale_ = nullptr;
};

CLocale cLocale;

// The C runtime's own conversion serves the decimal form only: the system
// msvcrt.dll predates hexadecimal, infinity and not-a-number input, and
// takes "d" for an exponent letter as well as "e" ("1d3" as 1000). So those
// three forms are read here, and the runtime gets the decimal number alone,
// cut where the standard text-to-double conversion stops.

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// The value of a hexadecimal digit, or -1.
int HexDigit(char c) {
    if (IsDecimalDigit(c)) return c - '0';
    const char lower = Lower(c);
    if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
    return -1;
}

// True when `text` starts with `word` (lower case), in any letter case.
bool StartsWithWord(const char* text, const char* word) {
    for (; *word != '\0'; ++text, ++word) {
        if (Lower(*text) != *word) return false;
    }
    return true;
}

// Exponents beyond this many binary places give 0 or infinity anyway;
// clamping keeps the sums below free of overflow.
constexpr std::int64_t kExponentLimit = 100000;

std::int64_t ClampExponent(std::int64_t exponent) {
    if (exponent > kExponentLimit) return kExponentLimit;
    if (exponent < -kExponentLimit) return -kExponentLimit;
    return exponent;
}

// significand * 2^exponent rounded to the nearest double, ties to even,
// with `sticky` set when non-zero digits below the significand were cut.
// Overflow gives infinity, underflow a subnormal or 0, each rounded once.
double ScaleBinary(std::uint64_t significand, std::int64_t exponent, bool sticky) {
    if (significand == 0) return 0.0;
    int bits = 64;
    while ((significand >> (bits - 1)) == 0) --bits;
    // A double holds 53 significant bits down to 2^-1022, and fewer below,
    // down to its last place 2^-1074.
    const std::int64_t top = exponent + bits - 1;
    const std::int64_t precision = std::min<std::int64_t>(53, top + 1075);
    if (precision < 0) return 0.0;  // below half of the smallest subnormal
    const int drop = bits - static_cast<int>(precision);
    if (drop <= 0) return std::ldexp(static_cast<double>(significand), static_cast<int>(exponent));

    std::uint64_t kept = drop >= 64 ? 0 : significand >> drop;
    const bool roundBit = ((significand >> (drop - 1)) & 1u) != 0;
    const std::uint64_t belowMask = (std::uint64_t{1} << (drop - 1)) - 1;
    const bool belowHalf = (significand & belowMask) != 0 || sticky;
    if (roundBit && (belowHalf || (kept & 1u) != 0)) ++kept;
    // kept <= 2^53 and the exponent is at least -1074: ldexp is exact
    // unless the result overflows, which gives infinity.
    return std::ldexp(static_cast<double>(kept), static_cast<int>(exponent + drop));
}

// Reads the optional binary exponent "p[sign]digits" at `text`; 0 when
// there is none.
std::int64_t ReadBinaryExponent(const char* text) {
    if (Lower(*text) != 'p') return 0;
    ++text;
    const bool negative = *text == '-';
    if (*text == '+' || *text == '-') ++text;
    if (!IsDecimalDigit(*text)) return 0;
    std::int64_t exponent = 0;
    for (; IsDecimalDigit(*text); ++text) {
        exponent = ClampExponent(exponent * 10 + (*text - '0'));
    }
    return negative ? -exponent : exponent;
}

// Reads the hexadecimal digits (with one optional point) and the optional
// binary exponent after "0x". False when no digit follows.
bool ReadHexadecimal(const char* text, double& value) {
    std::uint64_t significand = 0;
    std::int64_t exponent = 0;
    bool sticky = false;
    bool anyDigit = false;
    bool afterPoint = false;
    for (;; ++text) {
        if (*text == '.' && !afterPoint) {
            afterPoint = true;
            continue;
        }
        const int digit = HexDigit(*text);
        if (digit < 0) break;
        anyDigit = true;
        // Up to 60 bits are kept; 53 of them are significant, the rest
        // and `sticky` decide the rounding.
        if (significand < (std::uint64_t{1} << 60)) {
            significand = significand * 16 + static_cast<std::uint64_t>(digit);
            if (afterPoint) exponent = ClampExponent(exponent - 4);
        } else {
            sticky = sticky || digit != 0;
            if (!afterPoint) exponent = ClampExponent(exponent + 4);
        }
    }
    if (!anyDigit) return false;
    exponent = ClampExponent(exponent + ReadBinaryExponent(text));
    value = ScaleBinary(significand, exponent, sticky);
    return true;
}

// Reads "inf", "infinity", "nan", "nan(chars)" or "0x..." at `text` (after
// the sign) into `value`. False for every other text, which is then
// decimal or no number at all.
bool ReadNonDecimalForm(const char* text, double& value) {
    if (StartsWithWord(text, "inf")) {
        value = std::numeric_limits<double>::infinity();
        return true;
    }
    if (StartsWithWord(text, "nan")) {
        value = std::numeric_limits<double>::quiet_NaN();
        return true;
    }
    if (text[0] == '0' && Lower(text[1]) == 'x') return ReadHexadecimal(text + 2, value);
    return false;
}

// The length of the decimal number at `text` (after the sign): digits with
// an optional point, at least one digit in all, then an optional exponent
// "e[sign]digits". 0 when no number starts there.
std::size_t DecimalLength(const char* text) {
    std::size_t length = 0;
    std::size_t digits = 0;
    for (; IsDecimalDigit(text[length]); ++length) ++digits;
    if (text[length] == '.') {
        for (++length; IsDecimalDigit(text[length]); ++length) ++digits;
    }
    if (digits == 0) return 0;
    if (Lower(text[length]) != 'e') return length;
    std::size_t end = length + 1;
    if (text[end] == '+' || text[end] == '-') ++end;
    if (!IsDecimalDigit(text[end])) return length;
    while (IsDecimalDigit(text[end])) ++end;
    return end;
}

double ConvertInCLocale(const char* number) {
    const _locale_t c = cLocale.Get();
    // _create_locale("C") does not fail in practice; without it, the
    // process locale is the only conversion there is.
    return c != nullptr ? _strtod_l(number, nullptr, c) : ::strtod(number, nullptr);
}

// The decimal number of `length` characters at `number`, unsigned. The
// runtime gets a copy of just those characters, so that no leniency of its
// own reads further.
double ReadDecimal(const char* number, std::size_t length) {
    char shortCopy[64];
    std::unique_ptr<char[]> longCopy;
    char* copy = shortCopy;
    if (length >= sizeof shortCopy) {
        longCopy.reset(new (std::nothrow) char[length + 1]);
        // Out of memory: the runtime's reading is the only one left.
        if (longCopy == nullptr) return ConvertInCLocale(number);
        copy = longCopy.get();
    }
    std::memcpy(copy, number, length);
    copy[length] = '\0';
    return ConvertInCLocale(copy);
}

}  // namespace

double ParseDouble(const char* text) {
    const char* cursor = text;
    while (IsBlank(*cursor)) ++cursor;
    const bool negative = *cursor == '-';
    if (*cursor == '+' || *cursor == '-') ++cursor;
    double value = 0.0;
    if (!ReadNonDecimalForm(cursor, value)) {
        const std::size_t length = DecimalLength(cursor);
        if (length == 0) return 0.0;  // no number: no sign either
        value = ReadDecimal(cursor, length);
    }
    return negative ? -value : value;
}

}  // namespace platform
