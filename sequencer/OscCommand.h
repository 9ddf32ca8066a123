// The "OSC command" a user types: an OSC address, a blank, an argument type
// letter and an optional output range, as in "/layer1/opacity f[0:1]" or
// "/scene i[1:12]".
#pragma once

#include <cstddef>

// Longest command kept, in characters; the terminator follows it.
constexpr std::size_t kMaxCommandLength = 2047;

// An offset ParsedCommand gives for what the parser did not find.
constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

struct ParsedCommand {
    std::size_t pathLength;  // the address is the command's first pathLength characters
    bool sendInteger;        // int32 arguments ('i' right after the blank), else float32
    float rangeMin;          // the values that step values 0 and 1 map to
    float rangeMax;
    // Where the parser looked for the range, as offsets into the command,
    // for tools that explain a command: the first "[" and the first ":"
    // after it, kNotFound when it did not look that far or found none.
    // `rangeRead`: min and max were read from the texts after the two.
    std::size_t rangeOpen;
    std::size_t rangeColon;
    bool rangeRead;
};

// Reads a zero-terminated command:
// - no blank, or a blank first: the whole command is the address, float, 0..1;
// - else the address ends at the first blank and the letter after it picks
//   the type (only a lower-case 'i' means int32);
// - the range is the text "[" min ":" max "]" found from the first "[" of the
//   whole command (it may stand in the address) and its first ":" after it.
//   No "[" (or one first), no ":" after it or nothing between them: 0..1.
//   min and max are read like strtod in the C locale, of any length, and
//   narrowed to float; an empty or non-numeric text is 0. A range without
//   "]" takes its max from the rest of the command.
ParsedCommand ParseOscCommand(const char* command);
