// One run of the host: instantiate, apply the settings, play "Run" frame
// by frame while receiving, and sum up.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "CommandReport.h"
#include "Options.h"
#include "OscListener.h"
#include "Output.h"
#include "Picture.h"
#include "PluginDescription.h"
#include "Schedule.h"
#include "Settings.h"

namespace varnelohost {

struct SessionPlan {
    const hostkit::PluginLibrary* library = nullptr;
    const PluginDescription* plugin = nullptr;
    std::vector<ParameterValue> settings;  // applied in order after code 18
    std::uint32_t runIndex = 0;            // the "Run" parameter
    Schedule schedule = Schedule::Fixed({}, 60.0);
    double framesPerSecond = 60.0;
    bool realTime = true;
    OscListener* listener = nullptr;   // null: not listening
    std::string listenNote;            // told before playing: why the host does not listen there
    PictureCheck* pictures = nullptr;  // null: no drawing
    ffgl::ViewportRecord viewport{0, 0, 640, 360};
    std::optional<CommandReport> command;  // told before playing; none: no "OSC command"
    std::string plotPath;                  // --plot: the SVG to write at the end; "" for none
};

// Set from a signal handler: the run stops after the current frame.
extern std::atomic<bool> stopRequested;

// The exit status: 0; 1 when the plug-in does not instantiate, a picture
// changed or the plot cannot be written; 130 when stopped by a signal.
int RunSession(const SessionPlan& plan, Output& output);

}  // namespace varnelohost
