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
//   varnelo_drive_plugmain <plugin.so> liblo-message|liblo-bundle <calls>
//       The same datagrams sent through liblo directly, without the
//       plug-in (which is still loaded): what liblo's own path costs.
#include <lo/lo.h>

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

// The plug-in's datagram at kSendPosition with kCommand: 0.3 of 0..255.
constexpr float kSendValue = 76.5f;

void SendThroughLiblo(lo_address target, bool bundle) {
    lo_message message = lo_message_new();
    lo_message_add_float(message, kSendValue);
    if (!bundle) {
        lo_send_message(target, "/fader", message);
        lo_message_free(message);
        return;
    }
    lo_bundle wrapper = lo_bundle_new(LO_TT_IMMEDIATE);
    lo_bundle_add_message(wrapper, "/fader", message);
    lo_send_bundle(target, wrapper);
    lo_bundle_free_recursive(wrapper);
}

void RunLibloSends(bool bundle, long calls) {
    lo_address target = lo_address_new("127.0.0.1", "7000");
    if (target == nullptr) bench::Fail("liblo made no address");
    SendThroughLiblo(target, bundle);  // resolves, opens the socket
    for (long call = 0; call < calls; ++call) SendThroughLiblo(target, bundle);
    lo_address_free(target);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        bench::Fail(
            "usage: varnelo_drive_plugmain <plugin.so> "
            "within-step|message|bundle|liblo-message|liblo-bundle <calls>");
    }
    const std::string mode = argv[2];
    const long calls = std::strtol(argv[3], nullptr, 10);
    if (calls < 0) bench::Fail("the call count must not be negative");

    if (mode == "within-step") {
        const bench::PluginUnderTest plugin(argv[1]);
        RunWithinStep(plugin, calls);
        return 0;
    }
    const bool direct = mode == "liblo-message" || mode == "liblo-bundle";
    if (mode != "message" && mode != "bundle" && !direct) bench::Fail("unknown mode " + mode);
    // Holding the port keeps these datagrams from reaching anyone else.
    const std::unique_ptr<hostkit::UdpPort> receiver = bench::BindReceiver();
    if (receiver == nullptr) bench::Fail("127.0.0.1:7000 is in use; try again when it is free");
    const bench::PluginUnderTest plugin(argv[1]);
    if (direct) {
        RunLibloSends(mode == "liblo-bundle", calls);
    } else {
        RunSends(plugin, mode == "bundle", calls);
    }
    return 0;
}
