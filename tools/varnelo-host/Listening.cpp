#include "Listening.h"

#include "Text.h"

#ifndef VARNELO_OSC_HOST
#define VARNELO_OSC_HOST "127.0.0.1"
#endif
#ifndef VARNELO_OSC_PORT
#define VARNELO_OSC_PORT 7000
#endif

namespace varnelohost {

namespace {

// Where the host receives: 127.0.0.1, and localhost, which the plug-in
// sends to as 127.0.0.1.
bool IsListenHost(const std::string& host) {
    return host == "127.0.0.1" || Lower(host) == "localhost";
}

std::string Values(std::uint64_t count) {
    return std::to_string(count) + (count == 1 ? " value" : " values");
}

}  // namespace

BuiltInDestination ThisBuildsDestination() { return {VARNELO_OSC_HOST, VARNELO_OSC_PORT}; }

std::string ListenAddress(std::uint16_t port) { return "127.0.0.1:" + std::to_string(port); }

Listening DecideListening(const ListenRequest& request, const CommandReport* command,
                          const BuiltInDestination& builtIn) {
    Listening listening;
    const Target target = command != nullptr ? command->target : Target::kBuiltIn;
    if (request.listenPort && target != Target::kBuiltIn) {
        listening.error = "--listen " + std::to_string(*request.listenPort) +
                          " is for a plug-in's built-in destination, and the command names its "
                          "own: " +
                          (target == Target::kUrl ? command->TargetUrl() : "a refused URL") +
                          "; leave --listen out";
        return listening;
    }
    if (!request.listen || target == Target::kNowhere) return listening;
    if (target == Target::kUrl) {
        if (IsListenHost(command->targetHost)) {
            listening.port = command->targetPort;
        } else {
            listening.note = "the command sends to " + command->TargetUrl() +
                             ", not to 127.0.0.1 where the host listens: watch your receiver "
                             "there; the summary counts the values due";
        }
        return listening;
    }
    if (request.listenPort) {
        listening.port = *request.listenPort;
    } else if (IsListenHost(builtIn.host)) {
        listening.port = builtIn.port;
    } else {
        listening.note = "the plug-ins of this build send to " + Bare(builtIn.host) + ":" +
                         std::to_string(builtIn.port) +
                         ", not to 127.0.0.1 where the host listens: watch your receiver there, "
                         "or give --listen PORT for a plug-in that sends to this machine";
    }
    return listening;
}

std::string SilenceHint(std::uint16_t port, std::optional<std::uint64_t> due,
                        const CommandReport* command) {
    if (due && *due == 0) return "";
    std::string hint = "nothing arrived at " + ListenAddress(port);
    if (due) hint += ", though the plug-in was due to send " + Values(*due);
    if (command != nullptr && command->target == Target::kUrl) {
        return hint +
               ": a plug-in that reads no destination URL sends to its built-in "
               "destination instead";
    }
    return hint +
           ": a plug-in built for another destination sends there; give --listen PORT "
           "for its port on this machine, or name the destination in the command, e.g. " +
           Quote("osc.udp://127.0.0.1:" + std::to_string(port) + "/fader f[0:255]");
}

}  // namespace varnelohost
