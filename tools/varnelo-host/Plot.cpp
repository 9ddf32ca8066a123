#include "Plot.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Text.h"

namespace varnelohost {

namespace {

// ---- layout, in SVG user units (pixels at 100 %) -------------------------

constexpr double kWidth = 960.0;
constexpr double kHeight = 550.0;

// The chart's Run 0..1 (the steps) and the lane's time run from kLoopLeft
// to kLoopRight; "Loop end" (Run 1.0) stands right of it, inside the
// chart's right edge.
constexpr double kChartLeft = 72.0;
constexpr double kChartRight = 864.0;
constexpr double kLoopLeft = kChartLeft;
constexpr double kLoopRight = 836.0;
constexpr double kEndLeft = 842.0;
constexpr double kEndRight = 858.0;

// The step chart. Step value 1 lies kMargin below its top and 0 kMargin
// above its bottom; what lies beyond is cut at kCut from the edges; the
// bottom edge itself is the line for datagrams without a number.
constexpr double kChartTop = 66.0;
constexpr double kChartBottom = 382.0;
constexpr double kMargin = 18.0;
constexpr double kCut = 9.0;
constexpr double kValueOneY = kChartTop + kMargin;
constexpr double kValueZeroY = kChartBottom - kMargin;

// The Run lane, on the same time axis: Run 0 at the bottom, 1 at the top.
constexpr double kLaneTop = 404.0;
constexpr double kLaneBottom = 464.0;
constexpr double kLaneInset = 4.0;

constexpr double kTickLabelY = kLaneBottom + 16.0;
constexpr double kTimeTitleY = kLaneBottom + 34.0;
constexpr double kLegendY = kLaneBottom + 64.0;

// A loop boundary a hair away in loops still counts as one (times are
// frame numbers divided by a rate); as in Schedule.
constexpr double kBoundarySlack = 1e-9;

// The title line: the name in bold 16 px, at most kMaxNameShown
// characters, then the command in a 14 px typewriter face (8.4 units a
// character) in what is left up to kTitleRight. A name's characters are
// counted as wide as the face's widest letter, "W", so that the line stays
// on the page whatever the name.
constexpr std::size_t kMaxNameShown = 28;
constexpr double kNameCharacterWidth = 16.5;
constexpr double kCommandCharacterWidth = 8.5;
constexpr double kCommandGap = 14.0;
constexpr double kTitleRight = kWidth - 24.0;

// Run samples closer than this to the last one drawn, in both directions,
// are left out of the line: they would not show.
constexpr double kRunResolution = 0.5;

// Above this many points per loop the circles get smaller.
constexpr double kDensePointsPerLoop = 64.0;

const char* const kEllipsis = "\xE2\x80\xA6";  // U+2026
const char* const kDot = " \xC2\xB7 ";         // U+00B7 between blanks

const char* const kStyle =
    "text{font-family:'DejaVu Sans',Verdana,Arial,sans-serif;font-size:11.5px;fill:#333}"
    ".title{font-size:16px;font-weight:bold;fill:#111}"
    ".mono{font-family:'DejaVu Sans Mono',Menlo,Consolas,monospace;font-size:14px;"
    "font-weight:normal}"
    ".none{font-weight:normal;font-style:italic;fill:#777}"
    ".sub{font-size:12.5px;fill:#555}"
    ".label{font-size:12px;fill:#222}"
    ".small{font-size:10.5px;fill:#555}"
    ".page{fill:#fff}"
    ".frame,.lane{fill:#fff;stroke:#444;stroke-width:1}"
    ".grid{stroke:#e4e4e4;stroke-width:1}"
    ".tick{stroke:#444;stroke-width:1}"
    ".step,.key-step{fill:#c6dbef;stroke:#6baed6;stroke-width:1}"
    ".end,.key-end{fill:#e0e0e0;stroke:#525252;stroke-width:1;stroke-dasharray:3 2}"
    ".cut{fill:none;stroke:#08306b;stroke-width:1.6}"
    ".run,.key-run{fill:none;stroke:#238b45;stroke-width:1.6;stroke-linejoin:round}"
    ".sent,.key-sent{fill:#e6550d;stroke:#fff;stroke-width:0.8}"
    ".edit,.key-edit{fill:#7a0177}"
    ".clipped,.key-clipped{fill:#fff;stroke:#e6550d;stroke-width:1.4}"
    ".edit.clipped{stroke:#7a0177}"
    ".invalid,.key-invalid{fill:#fff;stroke:#111;stroke-width:1.4}";

// ---- numbers and texts ---------------------------------------------------

// A coordinate with one decimal, "12.5" or "12"; never "-0", never a
// non-number (0 stands in; callers clamp before).
std::string Number(double value) {
    if (!std::isfinite(value)) value = 0.0;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string number = text;
    if (number.size() > 2 && number.compare(number.size() - 2, 2, ".0") == 0)
        number.resize(number.size() - 2);
    return number == "-0" ? "0" : number;
}

// A value for a label: `digits` significant digits, "inf", "-inf" or "nan".
std::string Label(double value, int digits) {
    if (std::isnan(value)) return "nan";
    if (value == 0.0) return "0";
    char text[32];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return text;
}

// A label of at most 9 characters, so that it fits the right margin:
// "191.25", "1.235e+09", "-3.4e+38".
std::string ShortLabel(double value) {
    std::string label;
    for (int digits = 5; digits >= 1; --digits) {
        label = Label(value, digits);
        if (label.size() <= 9) break;
    }
    return label;
}

// The five characters XML reserves, as references; others as they are.
void AppendEscaped(std::string& out, const std::string& character) {
    if (character == "&") {
        out += "&amp;";
    } else if (character == "<") {
        out += "&lt;";
    } else if (character == ">") {
        out += "&gt;";
    } else if (character == "\"") {
        out += "&quot;";
    } else if (character == "'") {
        out += "&apos;";
    } else {
        out += character;
    }
}

// `raw` ready for an XML text or attribute: Characters(raw), at most
// `maxCharacters` of them (the last one "…" when cut), escaped.
std::string Shown(const std::string& raw, std::size_t maxCharacters) {
    std::vector<std::string> characters = Characters(raw);
    if (characters.size() > maxCharacters && maxCharacters > 0) {
        characters.resize(maxCharacters - 1);
        characters.push_back(kEllipsis);
    }
    std::string shown;
    for (const std::string& character : characters) AppendEscaped(shown, character);
    return shown;
}

// How many characters of the command fit the title line after the name.
std::size_t CommandRoom(std::size_t nameLength) {
    const double left =
        kChartLeft + kCommandGap + kNameCharacterWidth * static_cast<double>(nameLength);
    return static_cast<std::size_t>(std::max(8.0, (kTitleRight - left) / kCommandCharacterWidth));
}

std::string OnOff(bool on) { return on ? "on" : "off"; }

std::string Plural(std::size_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// ---- where things go -----------------------------------------------------

// Chart y of a step value; not clamped.
double ValueY(double stepValue) { return kValueZeroY - (kValueZeroY - kValueOneY) * stepValue; }

// The chart y a point or bar end is drawn at, and whether it was cut.
double CutY(double y, bool* cut) {
    *cut = !(y >= kChartTop + kCut && y <= kChartBottom - kCut);
    if (std::isnan(y)) return kChartBottom - kCut;
    return std::clamp(y, kChartTop + kCut, kChartBottom - kCut);
}

double RunY(double position) {
    const double top = kLaneTop + kLaneInset;
    const double bottom = kLaneBottom - kLaneInset;
    const double y = bottom - (bottom - top) * position;
    return std::isnan(y) ? bottom : std::clamp(y, kLaneTop, kLaneBottom);
}

// The chart x of a "Run" position: the steps share kLoopLeft..kLoopRight
// as they share Run 0..1, and 1.0 is the middle of the "Loop end" bar.
double RunX(double position) {
    if (position >= 1.0) return (kEndLeft + kEndRight) / 2.0;
    const double share = std::isnan(position) ? 0.0 : std::max(position, 0.0);
    return kLoopLeft + (kLoopRight - kLoopLeft) * share;
}

// The horizontal extent of the lane's time: one loop, or the whole play.
struct TimeAxis {
    double loopSeconds = 0.0;  // > 0: times fold into one loop of this length
    double span = 1.0;         // seconds from kLoopLeft to kLoopRight
    double loops = 1.0;        // loops that the Run samples reach into

    bool Folded() const { return loopSeconds > 0.0; }

    // 0-based loop of a time; 0 when not folded.
    double LoopOf(double seconds) const {
        if (!Folded()) return 0.0;
        return std::floor(seconds / loopSeconds + kBoundarySlack);
    }

    double X(double seconds) const {
        if (!std::isfinite(seconds)) return kLoopLeft;
        const double within = seconds - LoopOf(seconds) * loopSeconds;
        const double share = std::clamp(within / span, 0.0, 1.0);
        return kLoopLeft + (kLoopRight - kLoopLeft) * (std::isnan(share) ? 0.0 : share);
    }
};

TimeAxis MakeTimeAxis(const PlotData& data) {
    TimeAxis axis;
    double latest = 0.0;
    auto see = [&latest](double seconds) {
        if (std::isfinite(seconds)) latest = std::max(latest, seconds);
    };
    for (const PlotRunSample& sample : data.run) see(sample.seconds);
    if (std::isfinite(data.loopSeconds) && data.loopSeconds > 0.0) {
        axis.loopSeconds = data.loopSeconds;
        axis.span = data.loopSeconds;
        axis.loops = std::max(1.0, axis.LoopOf(latest) + 1.0);
    } else if (latest > 0.0) {
        axis.span = latest;
    }
    return axis;
}

// Where a value sent stands in step values: (value - min) / (max - min);
// none when min and max do not span a range.
std::optional<double> StepValueOf(double value, const PlotData& data) {
    const double min = data.rangeMin;
    const double max = data.rangeMax;
    if (!std::isfinite(min) || !std::isfinite(max) || min == max) return std::nullopt;
    return (value - min) / (max - min);
}

// ---- drawing -------------------------------------------------------------

void Line(std::string& svg, const char* style, double x1, double y1, double x2, double y2) {
    svg += "<line class=\"" + std::string(style) + "\" x1=\"" + Number(x1) + "\" y1=\"" +
           Number(y1) + "\" x2=\"" + Number(x2) + "\" y2=\"" + Number(y2) + "\"/>\n";
}

void Rect(std::string& svg, const char* style, double x, double y, double width, double height) {
    svg += "<rect class=\"" + std::string(style) + "\" x=\"" + Number(x) + "\" y=\"" + Number(y) +
           "\" width=\"" + Number(width) + "\" height=\"" + Number(height) + "\"/>\n";
}

void Circle(std::string& svg, const std::string& style, double x, double y, double radius) {
    svg += "<circle class=\"" + style + "\" cx=\"" + Number(x) + "\" cy=\"" + Number(y) +
           "\" r=\"" + Number(radius) + "\"/>\n";
}

// `escaped` must already be XML text (see Shown).
void Text(std::string& svg, const char* style, double x, double y, const char* anchor,
          const std::string& escaped) {
    svg += "<text class=\"" + std::string(style) + "\" x=\"" + Number(x) + "\" y=\"" + Number(y) +
           "\" text-anchor=\"" + anchor + "\">" + escaped + "</text>\n";
}

// A label turned to read upwards, centred on (x, y).
void UpwardText(std::string& svg, double x, double y, const std::string& escaped) {
    svg += "<text class=\"label\" x=\"" + Number(x) + "\" y=\"" + Number(y) +
           "\" text-anchor=\"middle\" transform=\"rotate(-90 " + Number(x) + " " + Number(y) +
           ")\">" + escaped + "</text>\n";
}

void Header(std::string& svg, const PlotData& data) {
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + Number(kWidth) +
           "\" height=\"" + Number(kHeight) + "\" viewBox=\"0 0 " + Number(kWidth) + " " +
           Number(kHeight) + "\">\n";
    svg += "<title>" + Shown(data.pluginName, kMaxNameShown) + ": " +
           Shown(data.command, CommandRoom(0)) + "</title>\n";
    svg += "<style type=\"text/css\">" + std::string(kStyle) + "</style>\n";
    Rect(svg, "page", 0.0, 0.0, kWidth, kHeight);
}

std::string PlayText(const PlotData& data, const TimeAxis& axis) {
    std::size_t unread = 0;
    for (const PlotPoint& point : data.sent) unread += point.value ? 0 : 1;
    std::string text = Plural(data.steps.size(), "step") + kDot;
    if (axis.Folded()) {
        const auto loops = static_cast<std::size_t>(std::min(axis.loops, 1e15));
        text += Plural(loops, "loop") + " of " + Label(axis.loopSeconds, 4) + " s" + kDot;
    }
    if (!data.listening && data.sent.empty()) return text + "not listening: nothing received";
    text += Plural(data.sent.size(), "datagram");
    if (unread > 0) text += " (" + std::to_string(unread) + " not OSC, or without a number)";
    return text;
}

// The name in bold, the command after it in a typewriter face, shortened
// to fit the line; below, the switches and how the play went.
void Title(std::string& svg, const PlotData& data, const TimeAxis& axis) {
    const std::string name = data.pluginName.empty() ? "plug-in" : data.pluginName;
    const std::size_t nameLength = std::min(Characters(name).size(), kMaxNameShown);
    svg += "<text class=\"title\" x=\"" + Number(kChartLeft) + "\" y=\"26\">" +
           Shown(name, kMaxNameShown) + "<tspan dx=\"" + Number(kCommandGap) + "\" class=\"";
    if (data.command.empty()) {
        svg += "none\">empty OSC command</tspan>";
    } else {
        svg += "mono\">" + Shown(data.command, CommandRoom(nameLength)) + "</tspan>";
    }
    svg += "</text>\n";
    svg += "<text class=\"sub\" x=\"" + Number(kChartLeft) + "\" y=\"47\">Smooth " +
           OnOff(data.smooth) + kDot + "Step follow " + OnOff(data.stepFollow) + kDot +
           "OSC Bundle " + OnOff(data.bundle) + "<tspan dx=\"28\">" + PlayText(data, axis) +
           "</tspan></text>\n";
}

// Grid lines and labels at step values 0, 0.25 ... 1: the step value on
// the left, the value sent for it on the right.
void ValueAxes(std::string& svg, const PlotData& data) {
    Rect(svg, "frame", kChartLeft, kChartTop, kChartRight - kChartLeft, kChartBottom - kChartTop);
    const double min = data.rangeMin;
    const double max = data.rangeMax;
    for (int quarter = 0; quarter <= 4; ++quarter) {
        const double stepValue = quarter / 4.0;
        const double y = ValueY(stepValue);
        Line(svg, "grid", kChartLeft + 1.0, y, kChartRight - 1.0, y);
        Line(svg, "tick", kChartLeft - 5.0, y, kChartLeft, y);
        Line(svg, "tick", kChartRight, y, kChartRight + 5.0, y);
        Text(svg, "small", kChartLeft - 8.0, y + 4.0, "end", Label(stepValue, 4));
        Text(svg, "small", kChartRight + 8.0, y + 4.0, "start",
             ShortLabel(min + (max - min) * stepValue));
    }
    const double middle = (kValueOneY + kValueZeroY) / 2.0;
    UpwardText(svg, 20.0, middle, "step value");
    UpwardText(svg, kWidth - 14.0, middle,
               std::string("value sent (") + (data.integer ? "int32" : "float32") + ")");
}

// A bar from step value 0 to `value`, cut at the chart's edge with a
// short dark line there; NaN draws "?" on the baseline.
void Bar(std::string& svg, const char* style, double left, double right, float value) {
    if (std::isnan(value)) {
        Text(svg, "small", (left + right) / 2.0, kValueZeroY - 3.0, "middle", "?");
        return;
    }
    bool cut = false;
    const double end = CutY(ValueY(value), &cut);
    double top = std::min(end, kValueZeroY);
    double bottom = std::max(end, kValueZeroY);
    // A bar of about 0 keeps a sliver, so that the step still shows.
    if (bottom - top < 1.5) top = bottom - 1.5;
    Rect(svg, style, left, top, right - left, bottom - top);
    if (cut) Line(svg, "cut", left, end, right, end);
}

void Bars(std::string& svg, const PlotData& data) {
    const std::size_t count = data.steps.size();
    if (count > 0) {
        const double width = (kLoopRight - kLoopLeft) / static_cast<double>(count);
        const double gap = std::min(2.0, width * 0.15);
        // Labels at least 16 units apart: every step, or every few.
        const auto every = static_cast<std::size_t>(std::max(1.0, std::ceil(16.0 / width)));
        for (std::size_t slot = 0; slot < count; ++slot) {
            const double left = kLoopLeft + width * static_cast<double>(slot);
            Bar(svg, "step", left + gap / 2.0, left + width - gap / 2.0, data.steps[slot]);
            if (slot % every == 0)
                Text(svg, "small", left + width / 2.0, kChartBottom + 14.0, "middle",
                     std::to_string(slot + 1));
        }
    }
    if (data.loopEnd) {
        Bar(svg, "end", kEndLeft, kEndRight, *data.loopEnd);
        Text(svg, "small", (kEndLeft + kEndRight) / 2.0, kChartBottom + 14.0, "middle", "end");
    }
    // The chart's x axis is Run, read by the steps it covers.
    Text(svg, "small", kChartLeft - 8.0, kChartBottom + 14.0, "end", "Run: step");
}

// The Run line as one path: a subpath per loop (folded), samples that
// would not show left out.
std::string RunPath(const PlotData& data, const TimeAxis& axis) {
    std::string path;
    double loop = NAN;
    double drawnX = 0.0;
    double drawnY = 0.0;
    std::string held;  // the last sample left out, drawn when its subpath ends
    for (const PlotRunSample& sample : data.run) {
        if (!std::isfinite(sample.seconds)) continue;
        const double x = axis.X(sample.seconds);
        const double y = RunY(sample.position);
        const std::string at = Number(x) + "," + Number(y);
        if (axis.LoopOf(sample.seconds) != loop) {
            path += held + (path.empty() ? "M" : " M") + at;
            held.clear();
            loop = axis.LoopOf(sample.seconds);
        } else if (std::fabs(x - drawnX) < kRunResolution &&
                   std::fabs(y - drawnY) < kRunResolution) {
            held = " " + at;
            continue;
        } else {
            path += " " + at;
            held.clear();
        }
        drawnX = x;
        drawnY = y;
    }
    return path + held;
}

void RunLane(std::string& svg, const PlotData& data, const TimeAxis& axis) {
    Rect(svg, "lane", kChartLeft, kLaneTop, kChartRight - kChartLeft, kLaneBottom - kLaneTop);
    // Where each step begins, so that the line shows where Run enters it;
    // beyond 16 steps the lines would merge.
    const std::size_t count = data.steps.size();
    for (std::size_t slot = 1; slot < count && count <= 16; ++slot) {
        const double y = RunY(static_cast<double>(slot) / static_cast<double>(count));
        Line(svg, "grid", kLoopLeft + 1.0, y, kLoopRight - 1.0, y);
    }
    Line(svg, "grid", kLoopRight, kLaneTop + 1.0, kLoopRight, kLaneBottom - 1.0);
    for (const int position : {0, 1}) {
        const double y = RunY(position);
        Text(svg, "small", kChartLeft - 8.0, y + 4.0, "end", std::to_string(position));
    }
    UpwardText(svg, 20.0, (kLaneTop + kLaneBottom) / 2.0, "Run");
    const std::string path = RunPath(data, axis);
    if (!path.empty()) svg += "<path class=\"run\" d=\"" + path + "\"/>\n";
}

// A round step of about a sixth of the span: 1, 2 or 5 times a power of 10.
double TickStep(double span) {
    const double rough = span / 6.0;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough) return factor * power;
    }
    return 10.0 * power;
}

void TimeTicks(std::string& svg, const TimeAxis& axis) {
    const double step = TickStep(axis.span);
    for (int index = 0; index <= 12 && std::isfinite(step) && step > 0.0; ++index) {
        const double seconds = step * index;
        if (seconds > axis.span * (1.0 + 1e-9)) break;
        const double x = kLoopLeft + (kLoopRight - kLoopLeft) * seconds / axis.span;
        Line(svg, "tick", x, kLaneBottom, x, kLaneBottom + 5.0);
        Text(svg, "small", x, kTickLabelY, "middle", Label(seconds, 6));
    }
    std::string title = "time (s)";
    if (axis.Folded()) {
        title = "time within the loop (s)";
        if (axis.loops > 1.0) title += ", every loop drawn over the first";
    }
    Text(svg, "label", (kLoopLeft + kLoopRight) / 2.0, kTimeTitleY, "middle", title);
}

// Where a datagram's circle goes, and its class (see Plot.h).
struct Placement {
    double y;
    std::string style;
};

Placement Place(const PlotPoint& point, const PlotData& data) {
    if (!point.value) return {kChartBottom, "invalid"};
    const std::optional<double> stepValue = StepValueOf(*point.value, data);
    bool cut = false;
    const double y = CutY(stepValue ? ValueY(*stepValue) : NAN, &cut);
    const std::string style = point.afterEdit ? "sent edit" : "sent";
    return {y, cut ? style + " clipped" : style};
}

bool HasClass(const std::string& style, const std::string& name) {
    return (" " + style + " ").find(" " + name + " ") != std::string::npos;
}

// One circle per datagram, in the order received.
void Points(std::string& svg, const PlotData& data, const TimeAxis& axis) {
    const double perLoop = static_cast<double>(data.sent.size()) / axis.loops;
    const double radius = perLoop > kDensePointsPerLoop ? 2.6 : 3.5;
    svg += "<g id=\"points\">\n";
    for (const PlotPoint& point : data.sent) {
        const Placement placement = Place(point, data);
        // Sends on an edit are few and off the common track: larger.
        Circle(svg, placement.style, RunX(point.position), placement.y,
               HasClass(placement.style, "edit") ? radius + 1.5 : radius);
    }
    svg += "</g>\n";
}

// One legend entry: its symbol at `x`, the text after it; the x after it.
double LegendEntry(std::string& svg, double x, const char* key, const std::string& text) {
    const double y = kLegendY;
    const std::string keyStyle = key;
    if (keyStyle == "key-step" || keyStyle == "key-end") {
        Rect(svg, key, x, y - 9.0, 10.0, 10.0);
    } else if (keyStyle == "key-run") {
        Line(svg, key, x - 2.0, y - 1.0, x + 12.0, y - 7.0);
    } else {
        Circle(svg, keyStyle, x + 5.0, y - 4.0, 3.5);
    }
    Text(svg, "small", x + 16.0, y, "start", text);
    // About 0.58 em a character at 10.5 px, and room before the next.
    return x + 16.0 + 6.1 * static_cast<double>(text.size()) + 22.0;
}

// The symbols in use, explained in one row.
void Legend(std::string& svg, const PlotData& data) {
    bool moved = false;
    bool edits = false;
    bool clipped = false;
    bool unread = false;
    for (const PlotPoint& point : data.sent) {
        const std::string style = Place(point, data).style;
        moved |= HasClass(style, "sent") && !HasClass(style, "edit");
        edits |= HasClass(style, "edit");
        clipped |= HasClass(style, "clipped");
        unread |= HasClass(style, "invalid");
    }
    double x = kChartLeft;
    x = LegendEntry(svg, x, "key-step", "step value");
    if (data.loopEnd) x = LegendEntry(svg, x, "key-end", "Loop end");
    x = LegendEntry(svg, x, "key-run", "Run");
    if (moved) x = LegendEntry(svg, x, "key-sent", "sent as Run moved");
    if (edits) x = LegendEntry(svg, x, "key-sent key-edit", "sent on a step edit");
    if (clipped) x = LegendEntry(svg, x, "key-clipped", "beyond the chart");
    if (unread) LegendEntry(svg, x, "key-invalid", "not OSC, or no number");
}

}  // namespace

std::optional<double> NumberFromArgument(char typeTag, const std::string& text) {
    if (typeTag == '\0' || std::strchr("fdih", typeTag) == nullptr) return std::nullopt;
    if (text.empty() || text.find_first_of(" \t\n\r\f\v") != std::string::npos) return std::nullopt;
    // strtod reads "." as the decimal point: the program keeps LC_NUMERIC "C".
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size()) return std::nullopt;
    return value;
}

std::string RenderPlot(const PlotData& data) {
    const TimeAxis axis = MakeTimeAxis(data);
    std::string svg;
    svg.reserve(8192 + 56 * (data.sent.size() + data.run.size()));
    Header(svg, data);
    Title(svg, data, axis);
    ValueAxes(svg, data);
    Bars(svg, data);
    RunLane(svg, data, axis);
    TimeTicks(svg, axis);
    Points(svg, data, axis);
    Legend(svg, data);
    svg += "</svg>\n";
    return svg;
}

bool PlotFileWritable(const std::string& path, std::string* error) {
    struct stat status {};
    const bool existed = lstat(path.c_str(), &status) == 0;
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr) {
        *error = "cannot write the plot " + Bare(path) + ": " + std::strerror(errno);
        return false;
    }
    std::fclose(file);
    if (!existed) std::remove(path.c_str());
    return true;
}

bool WritePlot(const std::string& path, const PlotData& data, std::string* error) {
    const std::string svg = RenderPlot(data);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        *error = "cannot write the plot " + Bare(path) + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(svg.data(), 1, svg.size(), file) == svg.size();
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        *error = "cannot write the plot " + Bare(path) + ": " +
                 std::strerror(written ? errno : writeError);
        return false;
    }
    return true;
}

}  // namespace varnelohost
