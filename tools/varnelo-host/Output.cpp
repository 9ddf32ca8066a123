#include "Output.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <set>
#include <sstream>

#include "Text.h"

namespace varnelohost {

namespace {

std::string Fixed(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Plural(std::uint64_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string TypeText(const CommandReport& report) { return report.integer ? "int32" : "float32"; }

std::string DestinationText(const CommandReport& report) {
    switch (report.target) {
    case Target::kBuiltIn: return "to the destination the plug-in was built for";
    case Target::kUrl: return "to " + report.TargetUrl();
    case Target::kNowhere: return "but nowhere: its destination URL is refused";
    }
    return "";
}

// A text a person reads on one line: its first 60 characters and "...".
std::string Shortened(const std::string& text) {
    constexpr std::size_t kMost = 60;
    return text.size() <= kMost ? text : text.substr(0, kMost - 3) + "...";
}

// A hint for an invalid datagram, the first time its kind turns up in a run.
class Hints {
public:
    std::string Next(const ReceivedDatagram& datagram) {
        std::string hint = InvalidHint(datagram);
        if (hint.empty() || !given.insert(hint).second) return "";
        return hint;
    }

private:
    std::set<std::string> given;
};

// ---- plain lines -------------------------------------------------------

class PlainOutput : public Output {
public:
    void Listing(const PluginDescription& plugin) override { PrintPlain(plugin, std::cout); }

    void Set(const ParameterValue& value, std::uint32_t status) override {
        std::cout << "set " << value.index << " " << Quote(value.name) << " " << value.Shown();
        if (status != ffgl::kSuccess) std::cout << " refused";
        std::cout << "\n";
    }

    void Command(const CommandReport& report) override {
        for (const std::string& line : CommandLines(report)) std::cout << line << "\n";
    }

    void Note(const std::string& note) override { std::cout << "note " << note << "\n"; }

    void Play(const Schedule& schedule, double framesPerSecond, const std::string& listenAt,
              bool drawing) override {
        std::cout << "play frames=" << schedule.FrameCount()
                  << " fps=" << FloatText(static_cast<float>(framesPerSecond))
                  << " seconds=" << Fixed(schedule.TotalSeconds(), 3)
                  << " listen=" << (listenAt.empty() ? "no" : listenAt)
                  << " draw=" << (drawing ? "yes" : "no") << std::endl;
    }

    void Datagram(const ReceivedDatagram& datagram, double) override {
        std::cout << "recv " << DatagramLine(datagram) << "\n";
        const std::string hint = hints.Next(datagram);
        if (!hint.empty()) std::cout << "hint " << hint << "\n";
        pending = true;
    }

    void PictureChanged(std::uint64_t frame, const std::string& difference) override {
        std::cout << "picture changed frame=" << frame << " " << difference << "\n";
        pending = true;
    }

    // Lines reach a pipe as they happen, not when the buffer fills.
    void Frame(const PanelState&) override {
        if (pending) std::cout.flush();
        pending = false;
    }

    void Finish(const Summary& summary) override {
        std::cout << "summary frames=" << summary.frames
                  << " listen=" << (summary.listenAt.empty() ? "no" : summary.listenAt);
        if (!summary.listenAt.empty()) {
            std::cout << " received=" << summary.received << " messages=" << summary.messages
                      << " bundles=" << summary.bundles << " invalid=" << summary.invalid;
        }
        if (summary.due) std::cout << " due=" << *summary.due;
        if (summary.drawing)
            std::cout << " drawn=" << summary.drawn << " unchanged=" << summary.unchanged;
        if (summary.interrupted) std::cout << " interrupted=yes";
        std::cout << "\n";
        if (!summary.silenceHint.empty()) std::cout << "hint " << summary.silenceHint << "\n";
        std::cout.flush();
    }

    void PlotWritten(const std::string& path) override {
        std::cout << "plot " << Quote(path) << std::endl;
    }

private:
    bool pending = false;
    Hints hints;
};

// ---- the live view -----------------------------------------------------

constexpr int kBarRows = 8;
const char* const kHighlight = "\x1b[1;32m";
const char* const kWarning = "\x1b[1;33m";
const char* const kReset = "\x1b[0m";

// Columns a line takes on the terminal: escape sequences take none, each
// UTF-8 character one.
int DisplayWidth(const std::string& line) {
    int width = 0;
    for (std::size_t at = 0; at < line.size(); ++at) {
        if (line[at] == '\x1b') {
            while (at < line.size() && line[at] != 'm') ++at;
            continue;
        }
        if ((static_cast<unsigned char>(line[at]) & 0xC0) != 0x80) ++width;
    }
    return width;
}

// The line cut to `width` columns, the escape sequences before the cut kept.
std::string CutTo(const std::string& line, int width) {
    if (DisplayWidth(line) <= width) return line;
    std::string cut;
    int columns = 0;
    for (std::size_t at = 0; at < line.size(); ++at) {
        if (line[at] == '\x1b') {
            const std::size_t end = std::min(line.find('m', at), line.size() - 1);
            cut += line.substr(at, end - at + 1);
            at = end;
            continue;
        }
        const bool startsCharacter = (static_cast<unsigned char>(line[at]) & 0xC0) != 0x80;
        if (startsCharacter && columns++ == width) break;
        cut += line[at];
    }
    return cut + kReset;
}

// One cell of a bar: how much of row `row` (0 at the bottom) a value fills.
std::string BarCell(float value, int row, bool utf8) {
    static const char* const kEighths[] = {" ", "▁", "▂", "▃", "▄", "▅", "▆", "▇", "█"};
    const float clamped = std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
    const int eighths = static_cast<int>(std::lround(clamped * kBarRows * 8.0f)) - row * 8;
    const int filled = std::clamp(eighths, 0, 8);
    if (!utf8) return filled >= 4 ? "#" : " ";
    return kEighths[filled];
}

struct Column {
    float value;
    std::string label;
    bool current;
};

std::vector<Column> Columns(const PanelState& panel) {
    const auto current = [&panel](std::size_t slot) {
        return panel.currentStep && static_cast<std::size_t>(*panel.currentStep) == slot;
    };
    std::vector<Column> columns;
    const std::size_t count = panel.steps.size();
    for (std::size_t slot = 0; slot < count; ++slot) {
        const bool labelled = count <= 16 || slot % 4 == 0;
        columns.push_back(
            {panel.steps[slot], labelled ? std::to_string(slot + 1) : "", current(slot)});
    }
    if (panel.loopEnd) columns.push_back({*panel.loopEnd, "E", current(count)});
    return columns;
}

std::vector<std::string> BarLines(const PanelState& panel, bool utf8) {
    const std::vector<Column> columns = Columns(panel);
    const std::size_t stepCount = panel.steps.size();
    const int cellWidth = stepCount <= 8 ? 4 : stepCount <= 16 ? 3 : 2;
    const int barWidth = cellWidth - 1;
    std::vector<std::string> lines(kBarRows + 2, "   ");
    for (std::size_t at = 0; at < columns.size(); ++at) {
        const Column& column = columns[at];
        const bool loopEnd = panel.loopEnd && at == columns.size() - 1;
        for (int row = 0; row < kBarRows; ++row) {
            std::string& line = lines[kBarRows - 1 - row];
            if (loopEnd) line += utf8 ? "│ " : "| ";
            if (column.current) line += kHighlight;
            for (int x = 0; x < barWidth; ++x) line += BarCell(column.value, row, utf8);
            if (column.current) line += kReset;
            line += " ";
        }
        std::string& marker = lines[kBarRows];
        std::string& label = lines[kBarRows + 1];
        if (loopEnd) {
            marker += "  ";
            label += "  ";
        }
        std::string markerCell(barWidth, ' ');
        marker += column.current
                      ? std::string(kHighlight) + (utf8 ? "▲" : "^") + kReset + markerCell.substr(1)
                      : markerCell;
        marker += " ";
        std::string labelCell = column.label.substr(0, static_cast<std::size_t>(cellWidth));
        labelCell.resize(static_cast<std::size_t>(cellWidth), ' ');
        label += labelCell;
    }
    return lines;
}

int TerminalWidth() {
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

class LiveOutput : public Output {
public:
    explicit LiveOutput(bool utf8) : useUtf8(utf8) {}

    ~LiveOutput() override { std::cout << "\x1b[?25h" << std::flush; }

    void Listing(const PluginDescription& plugin) override {
        PrintTable(plugin, std::cout);
        std::cout << "\n";
    }

    void Set(const ParameterValue& value, std::uint32_t status) override {
        std::cout << "set " << value.name << " = " << value.Shown()
                  << (status != ffgl::kSuccess ? "  (refused)" : "") << "\n";
    }

    void Command(const CommandReport& report) override {
        std::cout << "\nOSC command " << Quote(Shortened(report.kept));
        if (report.builtIn)
            std::cout << ", the host's default (set yours with --set \"OSC command=...\")";
        std::cout << "\n  the plug-in sends to " << Quote(Shortened(report.address)) << " as "
                  << TypeText(report) << ", ";
        if (report.hasRange) {
            std::cout << "range " << FloatText(report.rangeMin) << " to "
                      << FloatText(report.rangeMax);
        } else {
            std::cout << "no range: 0 to 1";
        }
        std::cout << ", " << DestinationText(report) << "\n";
        for (const std::string& warning : report.warnings)
            std::cout << kWarning << "warning:" << kReset << " " << warning << "\n";
    }

    void Note(const std::string& note) override {
        std::cout << kWarning << "note:" << kReset << " " << note << "\n";
    }

    void Play(const Schedule& schedule, double framesPerSecond, const std::string& listenAt,
              bool drawing) override {
        std::cout << "\nplaying " << schedule.FrameCount() << " frames at "
                  << FloatText(static_cast<float>(framesPerSecond)) << " fps ("
                  << Fixed(schedule.TotalSeconds(), 2) << " s)"
                  << (drawing ? ", drawing every frame" : "")
                  << (listenAt.empty() ? ", not listening: watch your own receiver"
                                       : ", listening on " + listenAt)
                  << "   Ctrl-C stops\n\n"
                  << "\x1b[?25l" << std::flush;
    }

    void Datagram(const ReceivedDatagram& datagram, double seconds) override {
        logLines.push_back(Fixed(seconds, 2) + " s  " + DatagramLine(datagram));
        const std::string hint = hints.Next(datagram);
        if (!hint.empty())
            logLines.push_back(std::string(kWarning) + "hint:" + kReset + " " + hint);
    }

    void PictureChanged(std::uint64_t frame, const std::string& difference) override {
        logLines.push_back("frame " + std::to_string(frame) + ": picture changed: " + difference);
    }

    void Frame(const PanelState& panel) override {
        const auto now = std::chrono::steady_clock::now();
        const bool stepMoved = panel.currentStep != lastStep;
        const bool last = panel.frame + 1 >= panel.frameCount;
        if (logLines.empty() && !stepMoved && !last &&
            now - lastDraw < std::chrono::milliseconds(50))
            return;
        lastDraw = now;
        lastStep = panel.currentStep;
        Draw(panel);
    }

    void Finish(const Summary& summary) override {
        std::ostringstream text;
        text << "\n";
        if (summary.interrupted) text << "stopped after ";
        text << Plural(summary.frames, "frame");
        if (!summary.listenAt.empty()) {
            text << ", " << Plural(summary.received, "datagram") << " received at "
                 << summary.listenAt << " (" << Plural(summary.messages, "message") << ", "
                 << Plural(summary.bundles, "bundle");
            if (summary.invalid > 0) text << ", " << summary.invalid << " not OSC";
            text << ")";
        }
        if (summary.due) {
            text << "; the plug-in was due to send " << Plural(*summary.due, "value");
            if (summary.listenAt.empty()) text << " (not received here)";
        }
        if (summary.drawing) {
            text << "; " << summary.unchanged << " of " << Plural(summary.drawn, "picture")
                 << " passed through unchanged";
        }
        if (!summary.silenceHint.empty())
            text << "\n" << kWarning << "hint:" << kReset << " " << summary.silenceHint;
        std::cout << text.str() << "\n\x1b[?25h" << std::flush;
    }

    void PlotWritten(const std::string& path) override {
        std::cout << "picture of the run written to " << path << "\n";
    }

private:
    // Replaces the panel drawn last with the new log lines and a new panel.
    void Draw(const PanelState& panel) {
        std::string screen;
        if (panelHeight > 0) screen += "\x1b[" + std::to_string(panelHeight) + "F\x1b[J";
        for (const std::string& line : logLines) screen += line + "\n";
        logLines.clear();
        const std::vector<std::string> lines = RenderPanel(panel, useUtf8, TerminalWidth());
        for (const std::string& line : lines) screen += line + "\n";
        panelHeight = static_cast<int>(lines.size());
        std::cout << screen << std::flush;
    }

    bool useUtf8;
    std::vector<std::string> logLines;
    int panelHeight = 0;
    std::optional<std::int32_t> lastStep;
    std::chrono::steady_clock::time_point lastDraw{};
    Hints hints;
};

}  // namespace

std::unique_ptr<Output> MakePlainOutput() { return std::make_unique<PlainOutput>(); }

std::unique_ptr<Output> MakeLiveOutput(bool utf8) { return std::make_unique<LiveOutput>(utf8); }

std::vector<std::string> CommandLines(const CommandReport& report) {
    std::vector<std::string> lines;
    if (report.builtIn) {
        lines.push_back("command default " + Quote(report.kept) +
                        " (no --set \"OSC command=...\" given)");
    }
    std::string address = "command address " + Quote(report.address) + " " + TypeText(report) +
                          " range " + FloatText(report.rangeMin) + " " + FloatText(report.rangeMax);
    if (!report.hasRange) address += " (no range: 0..1 applies)";
    lines.push_back(address);
    switch (report.target) {
    case Target::kBuiltIn: lines.push_back("command destination built-in"); break;
    case Target::kUrl: lines.push_back("command destination " + report.TargetUrl()); break;
    case Target::kNowhere: lines.push_back("command destination refused"); break;
    }
    for (const std::string& warning : report.warnings) lines.push_back("warning " + warning);
    return lines;
}

std::vector<std::string> RenderPanel(const PanelState& panel, bool utf8, int width) {
    const char* const dot = utf8 ? " · " : " | ";
    std::vector<std::string> lines;
    lines.push_back(std::string(" ") + Printable(panel.pluginName) + dot +
                    (panel.command.empty() ? "no OSC command" : Quote(panel.command)) + dot +
                    (panel.listenAt.empty() ? "not listening" : "listening on " + panel.listenAt));
    lines.push_back(" loop " + std::to_string(panel.loop + 1) + "/" +
                    std::to_string(panel.loopCount) + "   " + Fixed(panel.seconds, 2) + " s of " +
                    Fixed(panel.totalSeconds, 2) + " s   Run " + Fixed(panel.run, 4) + "   " +
                    kHighlight + Printable(panel.runDisplay) + kReset);
    for (std::string& line : BarLines(panel, utf8)) lines.push_back(std::move(line));
    std::string sent = " sent  ";
    if (panel.listenAt.empty()) {
        sent += "(not listening here: see your receiver)";
    } else if (panel.lastSent.empty()) {
        sent += "nothing yet";
    } else {
        sent += std::string(kHighlight) + panel.lastSent + kReset + "   " +
                Plural(panel.received, "datagram");
    }
    lines.push_back(sent);
    for (std::string& line : lines) line = CutTo(line, std::max(1, width - 1));
    return lines;
}

}  // namespace varnelohost
