// Runs the built varnelo-host with arguments and collects what it prints.
#pragma once

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
};

// Runs VARNELO_HOST_PATH with `arguments`, stdin from /dev/null, stdout and
// stderr to pipes (so the host sees no terminal), and waits for it.
HostRun RunHost(const std::vector<std::string>& arguments);

}  // namespace tests
