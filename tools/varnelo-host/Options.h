// The command line of varnelo-host.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varnelohost {

// The OSC command that the host puts into "OSC command" when the command
// line sets none, so that a bare run sends something a receiver can show.
inline const char* const kDefaultCommand = "/fader f[0:255]";

// One --set NAME=VALUE, split at the first "=".
struct ParameterSetting {
    std::string name;
    std::string value;
};

enum class View { kAuto, kPlain, kLive };

struct Options {
    std::string plugin;                      // a path, or Varnelo4/8/16/32; empty means Varnelo4
    std::vector<ParameterSetting> settings;  // in command-line order
    std::vector<float> runList;              // non-empty: these "Run" positions, one per frame
    double loopSeconds = 2.0;                // one pass of "Run" from 0 to 1
    double framesPerSecond = 60.0;
    double loops = 2.0;                     // how long to play, in loops...
    std::optional<double> durationSeconds;  // ...or in seconds
    bool fast = false;                      // frames back to back instead of at the frame rate
    bool frames = false;                    // draw every frame in a headless EGL context
    bool listen = true;                     // receive where the plug-in sends, when on 127.0.0.1
    std::optional<std::uint16_t>
        listenPort;        // --listen: the port of a plug-in's built-in destination
    std::string plotPath;  // --plot: an SVG picture of the run; "" for none
    bool infoOnly = false;
    bool list = false;  // --list: the plug-ins found, then stop
    bool help = false;
    View view = View::kAuto;
};

// Reads argv[1..argc). Null with a one-line reason in `error` for a usage
// error (unknown option, missing or malformed value, value out of range).
std::optional<Options> ParseOptions(int argc, const char* const* argv, std::string* error);

// The --help text.
std::string UsageText();

}  // namespace varnelohost
