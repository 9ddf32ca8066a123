#include "CommandReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "NumberReader.h"
#include "OscCommand.h"
#include "Text.h"

namespace varnelohost {

namespace {

static_assert(sequencer::kNotFound == std::string::npos, "the parser's offsets are string offsets");

// An example command for hints that have nothing better at hand.
const char* const kExample = "/fader f[0:255]";
// Texts quoted in a warning are cut to this many characters.
constexpr std::size_t kQuotedMost = 40;
// Blanks as the number reader skips them; only ' ' ends an address.
const char* const kWhiteSpace = " \t\n\v\f\r";

// `text` quoted, and cut with "..." when long.
std::string Shown(const std::string& text) {
    if (text.size() <= kQuotedMost) return Quote(text);
    return Quote(text.substr(0, kQuotedMost - 3) + "...");
}

// A command shown as an example: `example` when short enough to read,
// the general example otherwise.
std::string Example(const std::string& example) {
    return Quote(example.size() < kQuotedMost ? example : kExample);
}

// The command's text from `start` up to `end` (npos: to its end).
std::string Between(const std::string& command, std::size_t start, std::size_t end) {
    return command.substr(start, end == std::string::npos ? end : end - start);
}

// The range as it stands in the command: from "[" to "]" or the end.
std::string RangeShown(const std::string& command, const sequencer::ParsedCommand& parsed) {
    const std::size_t close = command.find(']', parsed.rangeOpen);
    return Shown(
        Between(command, parsed.rangeOpen, close == std::string::npos ? close : close + 1));
}

void Warn(CommandReport* report, const std::string& what, const std::string& hint) {
    report->warnings.push_back(what + "; " + hint);
}

std::string WhyRefused(sequencer::UrlProblem problem) {
    switch (problem) {
    case sequencer::UrlProblem::kProtocol: return "its protocol is not osc.udp";
    case sequencer::UrlProblem::kHost:
        return "its host is neither an IPv4 address in numbers nor localhost (the plug-in looks "
               "up no names)";
    case sequencer::UrlProblem::kPort: return "it has no port from 1 to 65535 after the host";
    default: return "no OSC address beginning with \"/\" follows its port";
    }
}

void WarnRefusedUrl(const std::string& command, const sequencer::ParsedCommand& parsed,
                    CommandReport* report) {
    Warn(report,
         "the destination URL " + Shown(command.substr(0, parsed.pathStart)) + " is refused, as " +
             WhyRefused(parsed.destination.problem) +
             ": the plug-in sends nothing at all with this command",
         "write it as osc.udp://ADDRESS:PORT followed at once by the OSC address, e.g. " +
             Quote("osc.udp://127.0.0.1:9000/fader f[0:255]"));
}

// The first character that is white space but not a blank, in the address
// of a command without a blank; npos when none.
std::size_t BlankLookalike(const std::string& command, const sequencer::ParsedCommand& parsed) {
    if (parsed.blank != std::string::npos) return std::string::npos;
    const std::size_t found = command.find_first_of(kWhiteSpace + 1, parsed.pathStart);
    return found < parsed.pathStart + parsed.pathLength ? found : std::string::npos;
}

void WarnAddress(const std::string& command, const sequencer::ParsedCommand& parsed,
                 CommandReport* report) {
    const std::string& address = report->address;
    const std::size_t lookalike = BlankLookalike(command, parsed);
    if (lookalike != std::string::npos) {
        std::string fixed = command;
        fixed[lookalike] = ' ';
        Warn(report,
             "the command has " + Quote(command.substr(lookalike, 1)) +
                 " where a blank belongs: only a blank ends the address, so the plug-in takes "
                 "all of it as the address and sends float32 0..1",
             "put a blank in its place, e.g. " + Example(fixed));
    }
    if (address[0] != '/') {
        const std::string fixed =
            command.substr(0, parsed.pathStart) + "/" + command.substr(parsed.pathStart);
        Warn(report,
             "the address " + Shown(address) +
                 " does not begin with \"/\", so what the plug-in sends is not OSC 1.0: a "
                 "receiver that dispatches by address matches nothing (oscdump prints it all "
                 "the same)",
             "begin the address with \"/\", e.g. --set " +
                 Quote("OSC command=" + (fixed.size() < kQuotedMost ? fixed : kExample)));
    }
}

// The letter after the blank picks the type: only "i" means int32.
void WarnType(const std::string& command, const sequencer::ParsedCommand& parsed,
              CommandReport* report) {
    if (parsed.blank == std::string::npos || parsed.blank + 1 >= command.size()) return;
    const char letter = command[parsed.blank + 1];
    if (letter == 'i' || letter == 'f') return;
    const std::string shown = Quote(std::string(1, letter));
    if (letter == '[') {
        Warn(report,
             "the range follows the blank without a type letter, so the plug-in sends float32",
             "write f[...] for float32 or i[...] for int32");
    } else if (letter == 'I') {
        Warn(report, "the type letter \"I\" is upper-case, so the plug-in sends float32",
             "write a lower-case i for int32");
    } else {
        Warn(report,
             "the type letter " + shown +
                 " is neither i (int32) nor f (float32), so the "
                 "plug-in sends float32",
             "write f or i after the blank, e.g. " + Quote("/a f[0:1]"));
    }
}

// A "[" where the parser does not look for a range, or a range it drops.
void WarnRangeDropped(const std::string& command, const sequencer::ParsedCommand& parsed,
                      CommandReport* report) {
    if (parsed.blank == std::string::npos) {
        const std::size_t open = command.find('[', parsed.pathStart);
        if (open == std::string::npos || open == parsed.pathStart ||
            BlankLookalike(command, parsed) != std::string::npos)
            return;
        Warn(report,
             "the command has no blank, so the plug-in takes all of it as the address and sends "
             "float32 0..1",
             "put a blank and a type letter before the range, e.g. " +
                 Example(command.substr(0, open) + " f" + command.substr(open)));
        return;
    }
    if (parsed.rangeRead || parsed.rangeOpen == std::string::npos ||
        parsed.rangeOpen == parsed.pathStart)
        return;
    const std::string shown = RangeShown(command, parsed);
    if (parsed.rangeColon == std::string::npos) {
        Warn(report,
             "the range " + shown +
                 " has no \":\" between min and max, so the plug-in drops it and sends 0..1",
             "write it as \"[min:max]\", e.g. \"[0:255]\"");
    } else {
        Warn(report,
             "the range " + shown +
                 " has nothing before its \":\", so the plug-in drops it and sends 0..1",
             "give a min, e.g. " + (command.size() < kQuotedMost
                                        ? Quote("[0" + command.substr(parsed.rangeColon))
                                        : std::string("\"[0:255]\"")));
    }
}

enum class NumberText { kWhole, kPartly, kNone };

// Whether a range text is a number as a whole, only the start of it, or
// not at all, by where the plug-in's own number reader stops.
NumberText CheckNumberText(const std::string& text) {
    const char* start = text.c_str();
    const char* end = nullptr;
    static_cast<void>(sequencer::ReadNumber(start, &end));
    if (end == start) return NumberText::kNone;
    return std::string(end).find_first_not_of(kWhiteSpace) == std::string::npos
               ? NumberText::kWhole
               : NumberText::kPartly;
}

// One of min and max: its text and the value the parser read from it.
struct RangeEnd {
    const char* which;  // "min" or "max"
    std::string text;
    float value;
};

std::string Named(const RangeEnd& end) { return std::string("the range ") + end.which + " "; }

// False when the text is not (wholly) a number, with the warning given.
bool WarnNumberText(const RangeEnd& end, CommandReport* report) {
    const NumberText form = CheckNumberText(end.text);
    if (form == NumberText::kWhole) return true;
    const std::string what = end.text.empty() ? Named(end) + "is empty"
                             : form == NumberText::kNone
                                 ? Named(end) + Shown(end.text) + " is not a number"
                                 : Named(end) + Shown(end.text) + " is not wholly a number";
    Warn(report, what + ": the plug-in reads it as " + FloatText(end.value),
         "write a plain number such as 0.5 or -10, with \".\" for the decimal point");
    return false;
}

// NaN or an infinity in either end makes every value sent one too.
bool WarnNotFinite(const RangeEnd& end, bool integer, CommandReport* report) {
    if (std::isfinite(end.value)) return true;
    const bool readFinite = std::isfinite(sequencer::ReadNumber(end.text.c_str()));
    const std::string what =
        readFinite ? Named(end) + Shown(end.text) +
                         " lies beyond float32 (about -3.4e38 to 3.4e38), so the plug-in reads it "
                         "as " +
                         FloatText(end.value)
                   : Named(end) + Shown(end.text) + " is not a finite number";
    const std::string sent = integer ? ": every value the plug-in sends is -2147483648"
                                     : ": every value the plug-in sends is inf or nan";
    Warn(report, what + sent, "give a finite number such as 0 or 255");
    return false;
}

// A whole float32 in digits ("2147483648", not "2.1474836e+09") while
// that stays short; beyond, as FloatText writes it.
std::string WholeNumberText(float value) {
    if (!(std::fabs(value) < 1e15f)) return FloatText(value);
    char digits[24];
    std::snprintf(digits, sizeof digits, "%.0f", static_cast<double>(value));
    return digits;
}

// int32 holds -2147483648 .. 2147483647; float32 values at the top end
// round up to 2147483648, which it does not hold. Only min and max as
// typed are checked: a span near 2^32 may still round a value between
// them beyond int32, which the hint's "well within" leaves room for.
void WarnBeyondInt32(const RangeEnd& end, CommandReport* report) {
    const float rounded = std::nearbyint(end.value);
    if (rounded >= -2147483648.0f && rounded < 2147483648.0f) return;
    Warn(report,
         Named(end) + Shown(end.text) + " (" + WholeNumberText(end.value) +
             " as float32) lies beyond int32, and the plug-in sends -2147483648 for a value that "
             "does not fit",
         "keep min and max well within int32, e.g. i[-1000000:1000000]");
}

void WarnRangeNumbers(const std::string& command, const sequencer::ParsedCommand& parsed,
                      CommandReport* report) {
    if (!parsed.rangeRead) return;
    if (parsed.rangeOpen < parsed.blank) {
        Warn(report,
             "the address holds a \"[\", and the plug-in reads the range from the first \"[\" of "
             "the command (min " +
                 FloatText(report->rangeMin) + ", max " + FloatText(report->rangeMax) + ")",
             "keep \"[\" out of the address");
        return;
    }
    const RangeEnd ends[] = {
        {"min", Between(command, parsed.rangeOpen + 1, parsed.rangeColon), parsed.rangeMin},
        {"max", Between(command, parsed.rangeColon + 1, parsed.rangeClose), parsed.rangeMax},
    };
    for (const RangeEnd& end : ends) {
        if (WarnNumberText(end, report) && WarnNotFinite(end, report->integer, report) &&
            report->integer)
            WarnBeyondInt32(end, report);
    }
}

// A range without its "]", or text after it.
void WarnRangeEnd(const std::string& command, const sequencer::ParsedCommand& parsed,
                  CommandReport* report) {
    if (!parsed.rangeRead || parsed.rangeOpen < parsed.blank) return;
    if (parsed.rangeClose == std::string::npos) {
        Warn(report,
             "the range " + RangeShown(command, parsed) +
                 " has no closing \"]\", so the plug-in reads its max from the rest of the "
                 "command",
             "close it with \"]\"");
        return;
    }
    std::string rest = command.substr(parsed.rangeClose + 1);
    const std::size_t start = rest.find_first_not_of(kWhiteSpace);
    if (start == std::string::npos) return;
    rest = rest.substr(start, rest.find_last_not_of(kWhiteSpace) + 1 - start);
    Warn(report,
         "the command goes on after its range with " + Shown(rest) + ", which the plug-in ignores",
         "remove it");
}

void ReadTarget(const sequencer::Destination& destination, CommandReport* report) {
    switch (destination.kind) {
    case sequencer::DestinationKind::kDefault: report->target = Target::kBuiltIn; break;
    case sequencer::DestinationKind::kUrl:
        report->target = Target::kUrl;
        report->targetHost = destination.host;
        report->targetPort = destination.port;
        break;
    case sequencer::DestinationKind::kRefused: report->target = Target::kNowhere; break;
    }
}

}  // namespace

std::string CommandReport::TargetUrl() const {
    if (target != Target::kUrl) return "";
    return "osc.udp://" + targetHost + ":" + std::to_string(targetPort);
}

std::size_t MaxCommandLength() { return sequencer::kMaxCommandLength; }

CommandReport ExplainCommand(const std::string& command, bool builtIn) {
    CommandReport report;
    report.given = command;
    report.builtIn = builtIn;
    // The plug-in's text ends at a zero byte and is cut to the length it keeps.
    const std::string text = command.substr(0, command.find('\0'));
    report.kept = text.substr(0, std::min(text.size(), sequencer::kMaxCommandLength));
    const sequencer::ParsedCommand parsed = sequencer::ParseOscCommand(report.kept.c_str());
    ReadTarget(parsed.destination, &report);
    report.address = report.kept.substr(parsed.pathStart, parsed.pathLength);
    report.integer = parsed.sendInteger;
    report.rangeMin = parsed.rangeMin;
    report.rangeMax = parsed.rangeMax;
    report.hasRange = parsed.rangeRead;

    if (text.size() > sequencer::kMaxCommandLength) {
        Warn(&report,
             "the OSC command has " + std::to_string(text.size()) +
                 " characters: the plug-in keeps the first " +
                 std::to_string(sequencer::kMaxCommandLength) +
                 ", so its type and range may be lost",
             "shorten it");
    }
    if (report.kept.empty()) {
        Warn(&report,
             "the OSC command is empty: the plug-in sends to the empty address, which is not OSC "
             "1.0 (an address begins with \"/\"): a receiver that dispatches by address matches "
             "nothing, though some, such as oscdump, print it",
             "type an OSC command first, e.g. --set " +
                 Quote(std::string("OSC command=") + kExample));
        return report;
    }
    if (report.target == Target::kNowhere) {
        WarnRefusedUrl(report.kept, parsed, &report);
        return report;
    }
    if (report.address[0] == ' ') {
        Warn(&report,
             "the command begins with a blank, so the plug-in takes all of it as the address, "
             "which does not begin with \"/\"",
             "remove the blank");
        return report;
    }
    WarnAddress(report.kept, parsed, &report);
    WarnType(report.kept, parsed, &report);
    WarnRangeDropped(report.kept, parsed, &report);
    WarnRangeNumbers(report.kept, parsed, &report);
    WarnRangeEnd(report.kept, parsed, &report);
    return report;
}

}  // namespace varnelohost
