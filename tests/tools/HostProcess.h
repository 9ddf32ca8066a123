// Runs the built varnelo-host with arguments and collects what it prints,
// and reads what its plain output says.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tests {

struct HostRun {
    int exitStatus = -1;  // the exit code; 128 + signal when killed
    std::string out;
    std::string err;
    std::vector<std::string> Lines() const;  // of `out`
    // The lines of `out` that begin with `keyword` and a blank, without them.
    std::vector<std::string> LinesAfter(const std::string& keyword) const;
    // The value of `key`=value on the one "summary" line, or a text in <>
    // that says why there is none.
    std::string SummaryField(const std::string& key) const;
    // The index of the first line of `out` that begins with `start`; -1 if none.
    int LineIndex(const std::string& start) const;
};

// Runs VARNELO_HOST_PATH with `arguments`, stdin from /dev/null, stdout and
// stderr to pipes (so the host sees no terminal), and waits for it.
HostRun RunHost(const std::vector<std::string>& arguments);

std::vector<std::string> Concat(std::vector<std::string> first,
                                const std::vector<std::string>& second);

// A UDP port of 127.0.0.1 that was free a moment ago, for a host told to
// listen there: the system picks it among its ephemeral ports, so two
// tests running side by side get two different ports.
std::uint16_t FreePort();

// "osc.udp://127.0.0.1:<port>", the front of a command that sends there.
std::string UrlOf(std::uint16_t port);

}  // namespace tests
