#include "OscCommand.h"

#include <cstring>
#include <limits>

#include "NumberReader.h"

// Narrowing a double outside float's range is then defined: it rounds to
// an infinity as IEEE 754 says.
static_assert(std::numeric_limits<float>::is_iec559, "float must be IEEE 754 single precision");

namespace {

// Reads a number at `text`; a ':' or ']' that ends the range text is never
// part of a number, so the reading stops at it by itself.
float ReadRangeValue(const char* text) { return static_cast<float>(numbers::ReadNumber(text)); }

void SetUnitRange(ParsedCommand& parsed) {
    parsed.rangeMin = 0.0f;
    parsed.rangeMax = 1.0f;
}

}  // namespace

ParsedCommand ParseOscCommand(const char* command) {
    ParsedCommand parsed{};
    SetUnitRange(parsed);
    parsed.rangeOpen = kNotFound;
    parsed.rangeColon = kNotFound;

    const char* const blank = std::strchr(command, ' ');
    if (blank == nullptr || blank == command) {
        parsed.pathLength = std::strlen(command);
        return parsed;
    }
    parsed.pathLength = static_cast<std::size_t>(blank - command);
    parsed.sendInteger = blank[1] == 'i';

    const char* const open = std::strchr(command, '[');
    if (open == nullptr) return parsed;
    parsed.rangeOpen = static_cast<std::size_t>(open - command);
    if (open == command) return parsed;
    const char* const colon = std::strchr(open + 1, ':');
    if (colon == nullptr) return parsed;
    parsed.rangeColon = static_cast<std::size_t>(colon - command);
    if (colon == open + 1) return parsed;

    parsed.rangeMin = ReadRangeValue(open + 1);
    parsed.rangeMax = ReadRangeValue(colon + 1);
    parsed.rangeRead = true;
    return parsed;
}
