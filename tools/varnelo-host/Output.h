// What a run prints: plain lines for scripts and tests, or a live view for
// a person at a terminal. Both get the same events in the same order.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CommandReport.h"
#include "OscListener.h"
#include "PluginDescription.h"
#include "Schedule.h"
#include "Settings.h"

namespace varnelohost {

// The sequencer as the live view draws it after one frame.
struct PanelState {
    std::string pluginName;
    std::string command;  // the "OSC command" text, "" when none
    bool listening = true;
    std::uint64_t frame = 0;
    std::uint64_t frameCount = 0;
    std::uint64_t loop = 0;  // 0-based
    std::uint64_t loopCount = 1;
    double seconds = 0.0;
    double totalSeconds = 0.0;
    float run = 0.0f;              // the position the host set
    std::string runDisplay;        // the plug-in's display of "Run": "Step 3"
    std::vector<float> steps;      // "Step 1" ... in order
    std::optional<float> loopEnd;  // "Loop end", when the plug-in has one
    std::string lastSent;          // the last datagram's line, "" before any
    std::uint64_t datagrams = 0;
};

struct Summary {
    std::uint64_t frames = 0;  // "Run" positions set
    bool listening = true;
    // What the plug-in sent while "Run" was played, counted by the host
    // (told when not listening, as nothing is received then): the steps
    // entered, none when the plug-in has no "Step 1"...
    std::optional<std::uint64_t> stepsEntered;
    bool smooth = false;  // every set sent
    std::uint64_t sent = 0;
    std::uint64_t datagrams = 0;
    std::uint64_t messages = 0;
    std::uint64_t bundles = 0;
    std::uint64_t invalid = 0;
    bool drawing = false;
    std::uint64_t drawn = 0;
    std::uint64_t unchanged = 0;
    bool interrupted = false;
};

class Output {
public:
    virtual ~Output() = default;
    virtual void Listing(const PluginDescription& plugin) = 0;
    virtual void Set(const ParameterValue& value, std::uint32_t status) = 0;
    // How the plug-in reads its "OSC command", after the settings.
    virtual void Command(const CommandReport& report) = 0;
    virtual void Play(const Schedule& schedule, double framesPerSecond, bool listening,
                      bool drawing) = 0;
    // A datagram that arrived while "Run" stood at play time `seconds`.
    virtual void Datagram(const ReceivedDatagram& datagram, double seconds) = 0;
    // A frame whose picture did not come back as it went in.
    virtual void PictureChanged(std::uint64_t frame, const std::string& difference) = 0;
    virtual void Frame(const PanelState& panel) = 0;
    virtual void Finish(const Summary& summary) = 0;
    // The --plot picture was written to `path`.
    virtual void PlotWritten(const std::string& path) = 0;
};

std::unique_ptr<Output> MakePlainOutput();
// `utf8`: draw the bars with block characters rather than ASCII.
std::unique_ptr<Output> MakeLiveOutput(bool utf8);

// The "command" and "warning" lines of the plain output, without newlines.
std::vector<std::string> CommandLines(const CommandReport& report);

// The panel lines of the live view, at most `width` columns each.
std::vector<std::string> RenderPanel(const PanelState& panel, bool utf8, int width);

}  // namespace varnelohost
