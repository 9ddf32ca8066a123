// The C library's reading of number texts, which the number reader must
// give: glibc's strtod_l in a "C" locale object, checked where glibc is
// known to round wrongly. Linux only; used by the number reader test and by
// the maker of the Windows test program's number corpus (tests/windows).
#pragma once

#include <locale.h>
#include <stdlib.h>

#include <cmath>
#include <limits>

namespace tests {

class CReader {
public:
    CReader() : cLocale(newlocale(LC_ALL_MASK, "C", locale_t{})) {}
    ~CReader() { freelocale(cLocale); }
    CReader(const CReader&) = delete;
    CReader& operator=(const CReader&) = delete;

    // The double that `text` reads as, with `*end` set as strtod sets it
    // (unless `end` is null).
    //
    // glibc 2.36's strtod rounds some hexadecimal subnormals down though the
    // bits it drops are more than half the last place: it reads
    // "0x1.a29657bd8331d8p-1023" as 0x0.d14b2bdec198ep-1022 where the
    // nearest double is 0x0.d14b2bdec198fp-1022 (about one in 7,000 random
    // subnormal hexadecimal texts). Its strtold reads those values as
    // normal long doubles, 64 bits of significand, in which every tie
    // between two doubles is exact; unless the long double is such a tie,
    // rounding it to double gives the nearest double, so for subnormals and
    // zeros that rounding is the reading.
    double Read(const char* text, char** end = nullptr) const {
        const double reading = strtod_l(text, end, cLocale);
        if (std::isnan(reading) || std::fabs(reading) >= std::numeric_limits<double>::min()) {
            return reading;
        }
        const long double precise = strtold_l(text, nullptr, cLocale);
        return IsTieBetweenDoubles(precise) ? reading : static_cast<double>(precise);
    }

private:
    // True when `value` lies exactly halfway between two adjacent doubles.
    static bool IsTieBetweenDoubles(long double value) {
        const double nearest = static_cast<double>(value);
        if (static_cast<long double>(nearest) == value) return false;
        const double infinity = std::numeric_limits<double>::infinity();
        const double other = std::nextafter(nearest, value > nearest ? infinity : -infinity);
        return (static_cast<long double>(nearest) + other) / 2 == value;
    }

    locale_t cLocale;
};

}  // namespace tests
