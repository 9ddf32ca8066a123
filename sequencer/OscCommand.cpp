#include "OscCommand.h"

#include <cstdio>
#include <cstring>
#include <limits>

#include "NumberReader.h"

// Narrowing a double outside float's range is then defined: it rounds to
// an infinity as IEEE 754 says.
static_assert(std::numeric_limits<float>::is_iec559, "float must be IEEE 754 single precision");

namespace sequencer {

namespace {

constexpr char kUrlStart[] = "osc.";
constexpr char kUrlSeparator[] = "://";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetterOrDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Reads the decimal number of `length` digits at `text` (at least one),
// giving up once it passes `limit`. False for anything but digits or a
// number above the limit; leading zeros count for nothing.
bool ReadDecimal(const char* text, std::size_t length, std::uint32_t limit, std::uint32_t* value) {
    if (length == 0) return false;
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (!IsDigit(text[i])) return false;
        number = number * 10 + static_cast<std::uint32_t>(text[i] - '0');
        if (number > limit) return false;
    }
    *value = number;
    return true;
}

// The protocol name of a URL at the start of `command`: the letters and
// digits between "osc." and "://". Null when the command does not begin
// with a URL; else `*name` and `*nameLength` are set and the URL's host
// starts at the returned address.
const char* UrlHostStart(const char* command, const char** name, std::size_t* nameLength) {
    if (std::strncmp(command, kUrlStart, sizeof kUrlStart - 1) != 0) return nullptr;
    const char* const protocol = command + sizeof kUrlStart - 1;
    std::size_t length = 0;
    while (IsLetterOrDigit(protocol[length])) ++length;
    if (length == 0 || std::strncmp(protocol + length, kUrlSeparator, sizeof kUrlSeparator - 1) != 0) {
        return nullptr;
    }
    *name = protocol;
    *nameLength = length;
    return protocol + length + sizeof kUrlSeparator - 1;
}

// "localhost" in any letter case, or four decimal numbers of 0 .. 255
// joined by dots, written into `out` as a plain dotted address.
bool ReadIpv4(const char* host, std::size_t length, char (&out)[kHostTextSize]) {
    constexpr char kLocalhost[] = "localhost";
    if (length == sizeof kLocalhost - 1) {
        std::size_t i = 0;
        while (i < length && Lower(host[i]) == kLocalhost[i]) ++i;
        if (i == length) {
            std::snprintf(out, sizeof out, "127.0.0.1");
            return true;
        }
    }
    std::uint32_t parts[4];
    const char* part = host;
    const char* const end = host + length;
    for (std::uint32_t& value : parts) {
        const char* dot = part;
        while (dot < end && *dot != '.') ++dot;
        const auto partLength = static_cast<std::size_t>(dot - part);
        // Three digits at most: "0010" is not what anybody writes for 10.
        if (partLength > 3 || !ReadDecimal(part, partLength, 255, &value)) return false;
        const bool last = &value == &parts[3];
        if (last != (dot == end)) return false;
        part = dot + 1;
    }
    std::snprintf(out, sizeof out, "%u.%u.%u.%u", parts[0], parts[1], parts[2], parts[3]);
    return true;
}

// Reads the URL at the start of `command`, if there is one, into `parsed`:
// its destination, and where the OSC address starts.
void ReadUrl(const char* command, ParsedCommand& parsed) {
    const char* protocol = nullptr;
    std::size_t protocolLength = 0;
    const char* const host = UrlHostStart(command, &protocol, &protocolLength);
    if (host == nullptr) return;

    Destination& destination = parsed.destination;
    destination.kind = DestinationKind::kRefused;
    const char* hostEnd = host;
    while (*hostEnd != '\0' && *hostEnd != ':' && *hostEnd != '/') ++hostEnd;
    const char* const port = *hostEnd == ':' ? hostEnd + 1 : hostEnd;
    const char* portEnd = port;
    while (*portEnd != '\0' && *portEnd != '/' && *portEnd != ' ') ++portEnd;
    const char* path = portEnd;
    while (*path != '\0' && *path != '/') ++path;
    parsed.pathStart = static_cast<std::size_t>(path - command);

    std::uint32_t portNumber = 0;
    if (protocolLength != 3 || std::strncmp(protocol, "udp", 3) != 0) {
        destination.problem = UrlProblem::kProtocol;
    } else if (!ReadIpv4(host, static_cast<std::size_t>(hostEnd - host), destination.host)) {
        destination.problem = UrlProblem::kHost;
    } else if (*hostEnd != ':' ||
               !ReadDecimal(port, static_cast<std::size_t>(portEnd - port), 65535, &portNumber) ||
               portNumber == 0) {
        destination.problem = UrlProblem::kPort;
    } else if (*portEnd != '/') {
        destination.problem = UrlProblem::kAddress;
    } else {
        destination.kind = DestinationKind::kUrl;
        destination.port = static_cast<std::uint16_t>(portNumber);
        return;
    }
    destination.host[0] = '\0';
}

// Reads a number at `text`; a ':' or ']' that ends the range text is never
// part of a number, so the reading stops at it by itself.
float ReadRangeValue(const char* text) { return static_cast<float>(ReadNumber(text)); }

std::size_t OffsetOf(const char* found, const char* command) {
    return found != nullptr ? static_cast<std::size_t>(found - command) : kNotFound;
}

// Address, type and range of the command's `rest`, which starts at its OSC
// address; offsets are counted from `command`.
void ReadAddressTypeAndRange(const char* command, const char* rest, ParsedCommand& parsed) {
    const char* const blank = std::strchr(rest, ' ');
    if (blank == nullptr || blank == rest) {
        parsed.pathLength = std::strlen(rest);
        return;
    }
    parsed.blank = OffsetOf(blank, command);
    parsed.pathLength = static_cast<std::size_t>(blank - rest);
    parsed.sendInteger = blank[1] == 'i';

    const char* const open = std::strchr(rest, '[');
    parsed.rangeOpen = OffsetOf(open, command);
    if (open == nullptr || open == rest) return;
    const char* const colon = std::strchr(open + 1, ':');
    parsed.rangeColon = OffsetOf(colon, command);
    if (colon == nullptr) return;
    parsed.rangeClose = OffsetOf(std::strchr(colon + 1, ']'), command);
    if (colon == open + 1) return;

    parsed.rangeMin = ReadRangeValue(open + 1);
    parsed.rangeMax = ReadRangeValue(colon + 1);
    parsed.rangeRead = true;
}

}  // namespace

ParsedCommand ParseOscCommand(const char* command) {
    ParsedCommand parsed{};
    parsed.destination.kind = DestinationKind::kDefault;
    parsed.destination.problem = UrlProblem::kNone;
    parsed.rangeMin = 0.0f;
    parsed.rangeMax = 1.0f;
    parsed.blank = kNotFound;
    parsed.rangeOpen = kNotFound;
    parsed.rangeColon = kNotFound;
    parsed.rangeClose = kNotFound;

    ReadUrl(command, parsed);
    ReadAddressTypeAndRange(command, command + parsed.pathStart, parsed);
    return parsed;
}

bool SameDestination(const Destination& a, const Destination& b) {
    if (a.kind != b.kind) return false;
    if (a.kind != DestinationKind::kUrl) return true;
    return a.port == b.port && std::strcmp(a.host, b.host) == 0;
}

}  // namespace sequencer
