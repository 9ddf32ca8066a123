// Range texts made in bulk for comparing the number reader with the C
// library: random texts of number-like pieces, and the texts at the edges
// of float and double. Shared by the Linux number reader test and the
// corpus that the Windows test program reads (tests/windows). The edge
// texts print long doubles with glibc's printf, so they are made on Linux.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace tests {

// Makes range texts from number-like pieces. The exponents cluster where
// float and double over- and underflow, so that many texts test the
// out-of-range decision and the rounding of subnormals.
class RangeTextMaker {
public:
    explicit RangeTextMaker(std::uint64_t seed) : engine(seed) {}

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

    int Below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(engine); }
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
        const int jitter = Below(7) - 3;
        bool negative = Chance(50);
        std::uint64_t magnitude = 0;
        if (Chance(88)) {
            const int value = (negative ? -edge : edge) - shift + jitter;
            negative = value < 0;
            magnitude = static_cast<std::uint64_t>(negative ? -value : value);
        } else {
            // As far from a limit of 32- or 64-bit arithmetic, where a
            // reader that adds up the exponent, the digits' places and the
            // bias may overflow. Unsigned: the offset may be negative.
            const std::uint64_t limit = PickOf<std::uint64_t>({1ull << 31, 1ull << 32, 1ull << 63});
            const int offset = edge + (negative ? jitter - shift : shift - jitter);
            magnitude = limit - static_cast<std::uint64_t>(offset);
        }
        if (negative) {
            text += '-';
        } else if (Chance(30)) {
            text += '+';
        }
        if (Chance(10)) text += "00";
        text += std::to_string(magnitude);
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

    std::mt19937_64 engine;
};

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

inline Decimal ExactDecimal(long double value) {
    char buffer[900];
    std::snprintf(buffer, sizeof buffer, "%.800Le", value);
    const std::string text = buffer;
    const std::size_t e = text.find('e');
    Decimal decimal{text.substr(0, e), text.substr(e)};
    const std::size_t last = decimal.mantissa.find_last_not_of('0');
    decimal.mantissa.erase(last + 1);
    return decimal;
}

inline std::string Formatted(const char* format, long double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// A place in the digits of a text beyond those that decide any rounding to
// double: at most 767 significant decimal digits do, and fewer hexadecimal.
inline constexpr std::size_t kFarPlace = 1000;

// Texts at `point` and around it.
inline void AddTextsAround(long double point, std::vector<std::string>& texts) {
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
    const std::string hexMantissa = hex.substr(0, p) + (hasPoint ? "" : ".");
    texts.push_back(hexMantissa + "0001" + hex.substr(p));
    // The hairs far down, past every digit that can decide a rounding.
    texts.push_back(exact.mantissa + std::string(kFarPlace - exact.mantissa.size(), '0') + "1" +
                    exact.exponent);
    if (below.back() != '.') {
        texts.push_back(below + std::string(kFarPlace - below.size(), '9') + exact.exponent);
    }
    texts.push_back(hexMantissa + std::string(kFarPlace - hexMantissa.size(), '0') + "1" +
                    hex.substr(p));
}

// The tie between two adjacent floats or doubles, exactly.
inline long double Tie(long double low, long double high) { return (low + high) / 2; }

// `f`, the tie between it and the next float up (2^128 above the largest),
// and the doubles next to that tie, where a reading that rounds the text
// straight to float would go the other way.
inline void AddFloatPoints(float f, std::vector<long double>& points) {
    const float next = std::nextafter(f, std::numeric_limits<float>::infinity());
    const long double high = std::isinf(next) ? 0x1p128L : next;
    const double tie = static_cast<double>(Tie(f, high));  // exact: 25 bits
    points.insert(points.end(), {f, tie, std::nextafter(tie, 0.0), std::nextafter(tie, 1e300)});
}

// `d` and the tie between it and the next double up (2^1024 above the
// largest).
inline void AddDoublePoints(double d, std::vector<long double>& points) {
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

// The texts around the fixed edges of float and double and around 300
// random floats and doubles that `seed` picks, each also with a '-' first.
inline std::vector<std::string> EdgeTexts(std::uint64_t seed) {
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
    std::mt19937_64 random(seed);
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

}  // namespace tests
