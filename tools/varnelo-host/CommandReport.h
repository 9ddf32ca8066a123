// How the plug-in will read an "OSC command": where it sends, its address,
// argument type and range as the plug-in's own parser (ParseOscCommand)
// reads them, and a one-line warning with a hint for each thing a person
// most likely did not mean. The host explains; what is sent stays the
// plug-in's business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace varnelohost {

// Where the plug-in sends for a command.
enum class Target : std::uint8_t {
    kBuiltIn,  // no URL: the destination the library was built for
    kUrl,      // the URL's address and port
    kNowhere,  // a URL the plug-in refuses: it sends nothing at all
};

struct CommandReport {
    std::string given;     // the text set, whole
    std::string kept;      // what the plug-in keeps: the first kMaxCommandLength characters
    bool builtIn = false;  // the host's default, set because the command line set none
    Target target = Target::kBuiltIn;
    std::string targetHost;        // kUrl: the IPv4 address, as the plug-in normalises it
    std::uint16_t targetPort = 0;  // kUrl: 1 .. 65535
    std::string address;
    bool integer = false;   // int32 arguments, else float32
    bool hasRange = false;  // false: the command gives none (or one the parser drops): 0..1
    float rangeMin = 0.0f;  // the values sent for step values 0 and 1, as the parser read them
    float rangeMax = 1.0f;
    std::vector<std::string> warnings;  // one line each: what is the matter; then a hint

    // "osc.udp://127.0.0.1:9000" for kUrl, else "".
    std::string TargetUrl() const;
};

// The longest command the plug-in keeps, in characters.
std::size_t MaxCommandLength();

// Reads `command` (as set with code 8; `builtIn` when the host chose it)
// with the plug-in's parser and says what may surprise: a command cut to
// the length the plug-in keeps; an empty command; a destination URL the
// plug-in refuses (and then nothing else, as nothing is sent); an address
// that begins with a blank, holds a tab where a blank belongs or does not
// begin with "/"; a type letter other than f and i; a range the parser
// drops, without its "]", or followed by more text; a min or max that is
// not wholly a number, not finite, or beyond int32 for int32 arguments.
CommandReport ExplainCommand(const std::string& command, bool builtIn);

}  // namespace varnelohost
