#include "CommandReport.h"

#include <algorithm>
#include <cstdlib>

#include "NumberReader.h"
#include "OscCommand.h"
#include "Text.h"

namespace varnelohost {

namespace {

// An example command for hints that have nothing better at hand.
const char* const kExample = "/fader f[0:255]";
// Texts quoted in a warning are cut to this many characters.
constexpr std::size_t kQuotedMost = 40;

// Where the parser looked for the range and the texts it read there.
struct RangeTexts {
    std::size_t blank = std::string::npos;  // ends the address; npos or 0: no type, no range
    std::size_t open = std::string::npos;   // the first "["
    std::size_t colon = std::string::npos;  // the first ":" after it
    bool read = false;                      // min and max are read from the texts below
    std::string min;                        // between "[" and ":"
    std::string max;                        // after ":" up to "]" or the end
};

RangeTexts FindRange(const std::string& command, const sequencer::ParsedCommand& parsed) {
    static_assert(sequencer::kNotFound == std::string::npos);
    RangeTexts range;
    range.blank = command.find(' ');
    range.open = parsed.rangeOpen;
    range.colon = parsed.rangeColon;
    range.read = parsed.rangeRead;
    if (!range.read) return range;
    range.min = command.substr(range.open + 1, range.colon - range.open - 1);
    const std::size_t close = command.find(']', range.colon + 1);
    range.max = command.substr(
        range.colon + 1, close == std::string::npos ? std::string::npos : close - range.colon - 1);
    return range;
}

enum class NumberText { kWhole, kPartly, kNone };

// Whether a range text is a number as a whole, only the start of it, or
// not at all, by where the plug-in's own number reader stops.
NumberText CheckNumberText(const std::string& text) {
    const char* start = text.c_str();
    const char* end = nullptr;
    static_cast<void>(sequencer::ReadNumber(start, &end));
    if (end == start) return NumberText::kNone;
    const std::string rest(end);
    return rest.find_first_not_of(" \t\n\v\f\r") == std::string::npos ? NumberText::kWhole
                                                                      : NumberText::kPartly;
}

// `text` quoted, and cut with "..." when long.
std::string Shown(const std::string& text) {
    if (text.size() <= kQuotedMost) return Quote(text);
    return Quote(text.substr(0, kQuotedMost - 3) + "...");
}

// The range as it stands in the command: from "[" to "]" or the end.
std::string RangeShown(const std::string& command, std::size_t open) {
    const std::size_t close = command.find(']', open);
    return Shown(command.substr(open, close == std::string::npos ? close : close - open + 1));
}

void WarnAddress(const std::string& command, CommandReport* report) {
    if (command[0] == ' ') {
        report->warnings.push_back(
            "the command begins with a blank, so the plug-in takes all of it as the address, "
            "which most OSC receivers drop as it does not begin with \"/\"; remove the blank");
    } else if (report->address[0] != '/') {
        const std::string example = command.size() < kQuotedMost ? "/" + command : kExample;
        report->warnings.push_back(
            "the address " + Shown(report->address) +
            " does not begin with \"/\": most OSC receivers drop what is sent to it; begin the "
            "command with \"/\", e.g. --set " +
            Quote("OSC command=" + example));
    }
}

// A "[" where the parser does not look for a range, or a range it drops.
void WarnRangeDropped(const std::string& command, const RangeTexts& range, CommandReport* report) {
    if (range.blank == std::string::npos) {
        const std::size_t open = command.find('[');
        if (open == std::string::npos || open == 0) return;
        const std::string example = command.size() < kQuotedMost
                                        ? command.substr(0, open) + " f" + command.substr(open)
                                        : kExample;
        report->warnings.push_back(
            "the command has no blank, so the plug-in takes all of it as the address and sends "
            "float32 0..1; put a blank and a type letter before the range, e.g. " +
            Quote(example));
        return;
    }
    if (range.read || range.open == std::string::npos || range.blank == 0 || range.open == 0)
        return;
    const std::string shown = RangeShown(command, range.open);
    if (range.colon == std::string::npos) {
        report->warnings.push_back("the range " + shown +
                                   " has no \":\" between min and max, so the plug-in drops it "
                                   "and sends 0..1; write it as \"[min:max]\", e.g. \"[0:255]\"");
    } else {
        const std::string example = command.size() < kQuotedMost
                                        ? Quote("[0" + command.substr(range.colon))
                                        : "\"[0:255]\"";
        report->warnings.push_back("the range " + shown +
                                   " has nothing before its \":\", so the plug-in drops it and "
                                   "sends 0..1; give a min, e.g. " +
                                   example);
    }
}

void WarnNumber(const char* which, const std::string& text, float read, CommandReport* report) {
    const NumberText form = CheckNumberText(text);
    if (form == NumberText::kWhole) return;
    const std::string what =
        text.empty() ? std::string("the range ") + which + " is empty"
        : form == NumberText::kNone
            ? std::string("the range ") + which + " " + Shown(text) + " is not a number"
            : std::string("the range ") + which + " " + Shown(text) + " is not wholly a number";
    report->warnings.push_back(what + ": the plug-in reads it as " + FloatText(read) +
                               "; write a plain number such as 0.5 or -10, with \".\" for the "
                               "decimal point");
}

void WarnRangeNumbers(const RangeTexts& range, CommandReport* report) {
    if (!range.read) return;
    if (range.open < range.blank) {
        report->warnings.push_back(
            "the address holds a \"[\", and the plug-in reads the range from the first \"[\" of "
            "the command (min " +
            FloatText(report->rangeMin) + ", max " + FloatText(report->rangeMax) +
            "); keep \"[\" out of the address");
        return;
    }
    WarnNumber("min", range.min, report->rangeMin, report);
    WarnNumber("max", range.max, report->rangeMax, report);
}

}  // namespace

std::size_t MaxCommandLength() { return sequencer::kMaxCommandLength; }

CommandReport ExplainCommand(const std::string& command, bool builtIn) {
    CommandReport report;
    report.given = command;
    report.builtIn = builtIn;
    // The plug-in's text ends at a zero byte and is cut to the length it keeps.
    const std::string text = command.substr(0, command.find('\0'));
    report.kept = text.substr(0, std::min(text.size(), sequencer::kMaxCommandLength));
    const sequencer::ParsedCommand parsed = sequencer::ParseOscCommand(report.kept.c_str());
    report.address = report.kept.substr(parsed.pathStart, parsed.pathLength);
    report.integer = parsed.sendInteger;
    report.rangeMin = parsed.rangeMin;
    report.rangeMax = parsed.rangeMax;
    const RangeTexts range = FindRange(report.kept, parsed);
    report.hasRange = range.read;

    if (text.size() > sequencer::kMaxCommandLength) {
        report.warnings.push_back("the OSC command has " + std::to_string(text.size()) +
                                  " characters: the plug-in keeps the first " +
                                  std::to_string(sequencer::kMaxCommandLength) +
                                  ", so its type and range may be lost; shorten it");
    }
    if (report.kept.empty()) {
        report.warnings.push_back(
            "the OSC command is empty: the plug-in sends to an empty address (4 zero bytes), "
            "which OSC receivers drop; type an OSC command first, e.g. --set " +
            Quote(std::string("OSC command=") + kExample));
        return report;
    }
    WarnAddress(report.kept, &report);
    WarnRangeDropped(report.kept, range, &report);
    WarnRangeNumbers(range, &report);
    return report;
}

}  // namespace varnelohost
