// How the plug-in will read an "OSC command": its address, argument type
// and range as the plug-in's own parser (ParseOscCommand) reads them, and a
// one-line warning with a hint for each thing a person most likely did not
// mean. The host explains; what is sent stays the plug-in's business.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace varnelohost {

struct CommandReport {
    std::string given;     // the text set, whole
    std::string kept;      // what the plug-in keeps: the first kMaxCommandLength characters
    bool builtIn = false;  // the host's default, set because the command line set none
    std::string address;
    bool integer = false;   // int32 arguments, else float32
    bool hasRange = false;  // false: the command gives none (or one the parser drops): 0..1
    float rangeMin = 0.0f;  // the values sent for step values 0 and 1, as the parser read them
    float rangeMax = 1.0f;
    std::vector<std::string> warnings;  // one line each: what is the matter; then a hint
};

// The longest command the plug-in keeps, in characters.
std::size_t MaxCommandLength();

// Reads `command` (as set with code 8; `builtIn` when the host chose it)
// with the plug-in's parser and says what may surprise: an empty command,
// an address that does not begin with "/", a range the parser drops or a
// min or max that is not wholly a number, a command cut to the length the
// plug-in keeps.
CommandReport ExplainCommand(const std::string& command, bool builtIn);

}  // namespace varnelohost
