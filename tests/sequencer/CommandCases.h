// "OSC command" texts, each with the address, argument type and range
// that ParseOscCommand reads from it. Shared by the Linux parser test and
// the Windows test program (tests/windows).
#pragma once

#include <limits>
#include <ostream>
#include <string>

namespace tests {

struct CommandCase {
    const char* command;
    std::string address;
    bool sendInteger;
    float rangeMin;
    float rangeMax;
};

inline void PrintTo(const CommandCase& c, std::ostream* out) { *out << '"' << c.command << '"'; }

inline constexpr float kInf = std::numeric_limits<float>::infinity();

inline const CommandCase kCommandCases[] = {
    {"", "", false, 0.0f, 1.0f},
    {"/fader f[0:255]", "/fader", false, 0.0f, 255.0f},
    {"/layer1/opacity f[0:1]", "/layer1/opacity", false, 0.0f, 1.0f},
    {"/scene i[1:12]", "/scene", true, 1.0f, 12.0f},
    {"/a f[10:20]", "/a", false, 10.0f, 20.0f},
    {"/abc i", "/abc", true, 0.0f, 1.0f},
    {"/a i", "/a", true, 0.0f, 1.0f},
    {"/a int[0:10]", "/a", true, 0.0f, 10.0f},    // only the letter after the blank counts
    {"/a I[0:10]", "/a", false, 0.0f, 10.0f},     // only a lower-case i is int32
    {"/a f[5:]", "/a", false, 5.0f, 0.0f},        // empty max is 0
    {"/a f[:10]", "/a", false, 0.0f, 1.0f},       // no min: no range
    {"/a[1:2] f", "/a[1:2]", false, 1.0f, 2.0f},  // "[" is searched from the start
    {"/a[1:2]", "/a[1:2]", false, 0.0f, 1.0f},    // no blank: all address
    {"/a f[-1:1]", "/a", false, -1.0f, 1.0f},
    {"/a", "/a", false, 0.0f, 1.0f},
    {" /a f[0:9]", " /a f[0:9]", false, 0.0f, 1.0f},         // a blank first: all address
    {"/a ", "/a", false, 0.0f, 1.0f},                        // nothing after the blank: float
    {"/a f[0.0000000000001:1]", "/a", false, 1e-13f, 1.0f},  // 15-character min
    {"/a i[0:1e10]", "/a", true, 0.0f, 1e10f},
    {"/a f[2:1]", "/a", false, 2.0f, 1.0f},  // inverted ranges are kept
    {"/a f[0x10:1e2]", "/a", false, 16.0f, 100.0f},
    {"/a f[ 3: 4 ]", "/a", false, 3.0f, 4.0f},       // leading blanks are skipped
    {"/a f[x:y]", "/a", false, 0.0f, 0.0f},          // texts that are not numbers read as 0
    {"/a f[1e99:-1e99]", "/a", false, kInf, -kInf},  // beyond float: infinity
    // Binary exponents beyond the double range, near 2^31: C reads +inf, +0.
    {"/a f[0x1p2147482625:0x1p-2147482626]", "/a", false, kInf, 0.0f},
    {"/a f0:1]", "/a", false, 0.0f, 1.0f},           // no "["
    {"/a f[0 1]", "/a", false, 0.0f, 1.0f},          // no ":"
    {"/a f[[1:2]", "/a", false, 0.0f, 2.0f},         // min text "[1" is not a number
    {"/a f[1:2:3]", "/a", false, 1.0f, 2.0f},
    {"/a f[1:2", "/a", false, 1.0f, 2.0f},  // no "]": the max runs to the end
    {"/a f[1:2]3", "/a", false, 1.0f, 2.0f},
    // Texts of 16 or more characters are read in full.
    {"/a f[0.00000000000001:1000000000000000000]", "/a", false, 1e-14f, 1e18f},
    {"/a b c f[1:2]", "/a", false, 1.0f, 2.0f},
};

}  // namespace tests
