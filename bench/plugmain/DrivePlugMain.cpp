// A tiny host for counting: loads one plug-in, makes one instance and makes
// a given number of calls of one kind through plugMain. Run under callgrind
// or strace with two call counts, K and 2K, the difference of the two runs
// is what K calls cost, free of loading and instantiation.
//
//   varnelo_drive_plugmain <plugin.so> within-step <calls>
//       "Run" sets that stay within the step "Run" stands in; nothing sent.
//   varnelo_drive_plugmain <plugin.so> message|bundle <calls>
//       "Smooth" on, one first send (resolves, opens the socket), then
//       <calls> sets of "Run" that each send one datagram to 127.0.0.1:7000,
//       where this program holds the port (and never reads it).
#include <cstdlib>
#include <cstring>
#include <string>

#include "BenchSupport.h"

namespace {

// Both values lie in the step of the default 0.5 for every N:
// trunc(0.51 N) == trunc(0.52 N) == N / 2.
constexpr float kWithinStep[2] = {0.51f, 0.52f};
constexpr float kSendPosition = 0.3f;

void RunWithinStep(const bench::PluginUnderTest& plugin, long calls) {
    const std::uint32_t run = plugin.Index("Run");
    for (long call = 0; call < calls; ++call) plugin.Instance().Set(run, kWithinStep[call & 1]);
}

void RunSends(const bench::PluginUnderTest& plugin, bool bundle, long calls) {
    plugin.PrepareSends(bundle);
    const std::uint32_t run = plugin.Index("Run");
    plugin.Instance().Set(run, kSendPosition);  // the instance's first send
    for (long call = 0; call < calls; ++call) plugin.Instance().Set(run, kSendPosition);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        bench::Fail("usage: varnelo_drive_plugmain <plugin.so> within-step|message|bundle <calls>");
    }
    const std::string mode = argv[2];
    const long calls = std::strtol(argv[3], nullptr, 10);
    if (calls < 0) bench::Fail("the call count must not be negative");

    if (mode == "within-step") {
        const bench::PluginUnderTest plugin(argv[1]);
        RunWithinStep(plugin, calls);
        return 0;
    }
    if (mode != "message" && mode != "bundle") bench::Fail("unknown mode " + mode);
    // Holding the port keeps these datagrams from reaching anyone else.
    const bench::Receiver receiver;
    if (!receiver.Bound()) bench::Fail("127.0.0.1:7000 is in use; try again when it is free");
    const bench::PluginUnderTest plugin(argv[1]);
    RunSends(plugin, mode == "bundle", calls);
    return 0;
}
