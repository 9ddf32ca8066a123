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
    std::string command;   // the "OSC command" text, "" when none
    std::string listenAt;  // "127.0.0.1:7000" where the host listens; "" when it does not
    std::uint64_t frame = 0;
    std::uint64_t frameCount = 0;
    std::uint64_t loop = 0;  // 0-based
    std::uint64_t loopCount = 1;
    double seconds = 0.0;
    double totalSeconds = 0.0;
    float run = 0.0f;        // the position the host set
    std::string runDisplay;  // the plug-in's display of "Run": "Step 3"
    // The step "Run" stands in by the plug-in's step rule, 0-based ("Loop
    // end" after the last step); none when the host cannot tell.
    std::optional<std::int32_t> currentStep;
    std::vector<float> steps;      // "Step 1" ... in order
    std::optional<float> loopEnd;  // "Loop end", when the plug-in has one
    std::string lastSent;          // the last datagram's line, "" before any
    std::uint64_t received = 0;
};

struct Summary {
    std::uint64_t frames = 0;  // "Run" positions set
    std::string listenAt;      // where the host listened; "" when it did not
    // The values the plug-in was due to send by its step rule, from the
    // settings on: each step "Run" entered (every set with "Smooth" on)
    // and each step edit with "Step follow" on. Whether they went out and
    // where is the wire's business. None when the host cannot tell (a
    // plug-in without the steps of a Varnelo).
    std::optional<std::uint64_t> due;
    std::uint64_t received = 0;  // datagrams that arrived where the host listened
    std::uint64_t messages = 0;
    std::uint64_t bundles = 0;
    std::uint64_t invalid = 0;
    std::string silenceHint;  // nothing arrived where the host listened: why; else ""
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
    // What the host has to say about where it listens (see Listening).
    virtual void Note(const std::string& note) = 0;
    // `listenAt`: "127.0.0.1:7000", or "" when the host does not listen.
    virtual void Play(const Schedule& schedule, double framesPerSecond, const std::string& listenAt,
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
// The "command destination" line names where the plug-in sends: "built-in"
// (the destination its library was built for), the URL, or "refused".
std::vector<std::string> CommandLines(const CommandReport& report);

// The panel lines of the live view, at most `width` columns each.
std::vector<std::string> RenderPanel(const PanelState& panel, bool utf8, int width);

}  // namespace varnelohost
