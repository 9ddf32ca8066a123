// The "OSC command" a user types: an optional destination URL, an OSC
// address, a blank, an argument type letter and an optional output range,
// as in "/layer1/opacity f[0:1]", "/scene i[1:12]" or
// "osc.udp://192.168.1.20:8000/fader f[0:255]".
#pragma once

#include <cstddef>
#include <cstdint>

namespace sequencer {

// Longest command kept, in characters; the terminator follows it.
constexpr std::size_t kMaxCommandLength = 2047;

// An offset ParsedCommand gives for what the parser did not find.
constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// Where a command's datagrams go.
enum class DestinationKind : std::uint8_t {
    kDefault,  // no URL: the destination the library was built for
    kUrl,      // the URL's IPv4 address and port
    kRefused,  // a URL that does not read right: nothing is sent at all
};

// Why a URL was refused.
enum class UrlProblem : std::uint8_t {
    kNone,
    kProtocol,  // not osc.udp
    kHost,      // not an IPv4 address written as numbers, nor localhost
    kPort,      // missing, not all digits, 0 or above 65535
    kAddress,   // no OSC address after the port
};

// The text of a dotted IPv4 address and its terminator: "255.255.255.255".
constexpr std::size_t kHostTextSize = 16;

struct Destination {
    DestinationKind kind;
    UrlProblem problem;        // kNone unless kRefused
    char host[kHostTextSize];  // kUrl: the address, normalised ("localhost" is
                               // 127.0.0.1, no leading zeros); else empty
    std::uint16_t port;        // kUrl: 1 .. 65535; else 0
};

// True when both send to the same place: the same kind and, for a URL, the
// same host and port.
bool SameDestination(const Destination& a, const Destination& b);

struct ParsedCommand {
    Destination destination;
    // The OSC address is the command's characters pathStart ..
    // pathStart + pathLength - 1: it starts after the URL, if there is one.
    std::size_t pathStart;
    std::size_t pathLength;
    bool sendInteger;  // int32 arguments ('i' right after the blank), else float32
    float rangeMin;    // the values that step values 0 and 1 map to
    float rangeMax;
    // Where the parser looked, as offsets into the command, for tools that
    // explain a command; kNotFound where it did not look that far or found
    // nothing: the blank that ends the address, the first "[" after the
    // URL, the first ":" after it and the first "]" after that.
    // `rangeRead`: min and max were read from the texts between them.
    std::size_t blank;
    std::size_t rangeOpen;
    std::size_t rangeColon;
    std::size_t rangeClose;
    bool rangeRead;
};

// Reads a zero-terminated command.
//
// Destination. A command that begins with "osc.", a protocol name (letters
// and digits) and "://" begins with a URL: "osc.udp://" host ":" port,
// where host is an IPv4 address of four decimal numbers or "localhost",
// and port a number from 1 to 65535, followed at once by the OSC address,
// which begins with "/". A URL that breaks any of these rules makes the
// destination kRefused. Host names are refused rather than looked up: the
// destination is made on the host's render thread. Any other command
// (beginning with "/", say) goes to the default destination.
//
// The rest, from the OSC address on:
// - no blank, or a blank first: the whole rest is the address, float, 0..1;
// - else the address ends at the first blank and the letter after it picks
//   the type (only a lower-case 'i' means int32);
// - the range is the text "[" min ":" max "]" found from the first "[" of
//   the rest (it may stand in the address) and its first ":" after it.
//   No "[" (or one first), no ":" after it or nothing between them: 0..1.
//   min and max are read like strtod in the C locale, of any length, and
//   narrowed to float; an empty or non-numeric text is 0. A range without
//   "]" takes its max from the rest of the command.
ParsedCommand ParseOscCommand(const char* command);

}  // namespace sequencer
