// Where the host listens while it plays: where the plug-in sends, as far as
// the host can know it. A command with a destination URL names it; without
// one the plug-in sends to the destination its library was built for,
// which the host takes from its own build unless --listen names the port.
// The host receives on 127.0.0.1 only, so what goes to another address it
// cannot hear.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "CommandReport.h"

namespace varnelohost {

// A destination compiled into a build: host (an address or a name) and port.
struct BuiltInDestination {
    std::string host;
    std::uint16_t port = 0;
};

// The destination this build's plug-ins send to (VARNELO_OSC_HOST and
// VARNELO_OSC_PORT): where a plug-in from the folder next to this program
// sends when its command names none.
BuiltInDestination ThisBuildsDestination();

struct ListenRequest {
    bool listen = true;                       // false: --no-listen
    std::optional<std::uint16_t> listenPort;  // --listen PORT
};

struct Listening {
    std::optional<std::uint16_t> port;  // listen on 127.0.0.1:port; none: not at all
    // Why the host does not listen where the datagrams go, one line; "" when
    // it does, or when it was told not to.
    std::string note;
    // A usage error: --listen for a command that names its own destination.
    std::string error;
};

// `command`: how the plug-in reads its command; none when it has no "OSC
// command", and it then sends, if at all, to its built-in destination.
Listening DecideListening(const ListenRequest& request, const CommandReport* command,
                          const BuiltInDestination& builtIn);

// "127.0.0.1:7000".
std::string ListenAddress(std::uint16_t port);

// After a play that received nothing where it listened: one line that says
// so and where the datagrams more likely went. `due`: the values the
// plug-in was due to send, when the host knows them; "" when nothing was
// due, so that silence is no surprise.
std::string SilenceHint(std::uint16_t port, std::optional<std::uint64_t> due,
                        const CommandReport* command);

}  // namespace varnelohost
