// Benchmarks of the plug-in as a host drives it, through plugMain.
//
// RunWithinStep/<N>: a "Run" set that stays within its step (nothing sent).
// Send{Message,Bundle}VsRawSendto: a "Run" set with "Smooth" on, which sends
// one datagram, timed from the call of plugMain until it returns (the
// datagram has then been handed to the kernel), in batches that alternate
// with batches of a raw sendto of the very same bytes from a socket opened
// beforehand, and with batches that send the same OSC through liblo
// directly (a prepared destination, one message, and bundle, per send),
// which shows what of a send is liblo's and what the plug-in's. Counters,
// per send, medians over the batches: plugin_ns, liblo_ns, raw_ns; ratio =
// plugin_ns / raw_ns, liblo_ratio = liblo_ns / raw_ns.
#include <benchmark/benchmark.h>
#include <lo/lo.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "BenchSupport.h"

namespace {

constexpr float kSendPosition = 0.3f;
// Sends per timed batch; the receiver is drained between batches.
constexpr int kBatch = 32;

const char* PluginPath(std::int64_t steps) { return steps == 32 ? VARNELO32_PATH : VARNELO4_PATH; }

void RunWithinStep(benchmark::State& state) {
    const bench::PluginUnderTest plugin(PluginPath(state.range(0)));
    const std::uint32_t run = plugin.Index("Run");
    // Both lie in the step of the default 0.5 for every N.
    const ffgl::SetParameterRecord records[2] = {{run, 0, ffgl::WordFromFloat(0.51f)},
                                                 {run, 0, ffgl::WordFromFloat(0.52f)}};
    const hostkit::PluginLibrary& library = plugin.Library();
    void* const handle = plugin.Instance().Handle();
    std::size_t call = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            library.Call(ffgl::kSetParameter, ffgl::WordFromAddress(&records[call & 1]), handle));
        ++call;
    }
}
BENCHMARK(RunWithinStep)->Arg(4)->Arg(32);

double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

template <typename Work>
double TimeBatchNs(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kBatch; ++i) work();
    const auto stop = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::nano>(stop - start).count();
}

// The float argument that ends an OSC datagram (big-endian).
float LastFloatOf(const bench::Bytes& datagram) {
    std::uint32_t bits = 0;
    for (std::size_t i = datagram.size() - 4; i < datagram.size(); ++i) bits = bits << 8 | datagram[i];
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Sends `value` to /fader through liblo itself, the way the plug-in does.
void SendThroughLiblo(lo_address target, float value, bool bundle) {
    if (!bundle) {
        lo_message message = lo_message_new();
        lo_message_add_float(message, value);
        lo_send_message(target, "/fader", message);
        lo_message_free(message);
        return;
    }
    lo_bundle wrapper = lo_bundle_new(LO_TT_IMMEDIATE);
    lo_message message = lo_message_new();
    lo_message_add_float(message, value);
    lo_bundle_add_message(wrapper, "/fader", message);
    lo_send_bundle(target, wrapper);
    lo_bundle_free_recursive(wrapper);
}

void SendAgainstRawSendto(benchmark::State& state, bool bundle) {
    const std::unique_ptr<hostkit::UdpPort> receiver = bench::BindReceiver();
    if (receiver == nullptr) {
        state.SkipWithError("127.0.0.1:7000 is in use");
        return;
    }
    const bench::PluginUnderTest plugin(VARNELO4_PATH);
    const hostkit::PluginInstance& instance = plugin.Instance();
    const std::uint32_t run = plugin.Index("Run");
    plugin.PrepareSends(bundle);
    // The first send resolves the destination and opens the socket; the
    // datagram it sends is the one that every later set sends again.
    instance.Set(run, kSendPosition);
    const bench::Bytes datagram = receiver->Receive(1000).value_or(bench::Bytes{});
    const bench::RawSender raw;
    lo_address liblo = lo_address_new("127.0.0.1", "7000");
    if (datagram.empty() || !raw.Open() || liblo == nullptr) {
        state.SkipWithError("no datagram from the plug-in, no raw socket or no liblo address");
        if (liblo != nullptr) lo_address_free(liblo);
        return;
    }
    const float value = LastFloatOf(datagram);
    SendThroughLiblo(liblo, value, bundle);  // resolves, opens its socket
    if (receiver->Receive(1000) != datagram) {
        state.SkipWithError("liblo's datagram differs from the plug-in's");
        lo_address_free(liblo);
        return;
    }

    // Code 8 with a record made once, as a host passes it: the timing
    // starts at the call of plugMain, not in the harness's record making.
    const ffgl::SetParameterRecord record{run, 0, ffgl::WordFromFloat(kSendPosition)};
    const ffgl::HostWord recordWord = ffgl::WordFromAddress(&record);
    const hostkit::PluginLibrary& library = plugin.Library();
    void* const handle = instance.Handle();
    const std::function<void()> senders[3] = {
        [&] { library.Call(ffgl::kSetParameter, recordWord, handle); },
        [&] { SendThroughLiblo(liblo, value, bundle); },
        [&] { benchmark::DoNotOptimize(raw.Send(datagram)); },
    };
    std::vector<double> batchNs[3];
    std::size_t iteration = 0, delivered = 0;
    for (auto _ : state) {
        // Rotate which goes first so that none always finds the others'
        // datagrams still in the receive queue.
        for (std::size_t turn = 0; turn < 3; ++turn) {
            const std::size_t sender = (iteration + turn) % 3;
            batchNs[sender].push_back(TimeBatchNs(senders[sender]));
        }
        ++iteration;
        state.PauseTiming();
        delivered += receiver->Drain();
        state.ResumeTiming();
    }
    lo_address_free(liblo);
    const double pluginPerSend = Median(batchNs[0]) / kBatch;
    const double libloPerSend = Median(batchNs[1]) / kBatch;
    const double rawPerSend = Median(batchNs[2]) / kBatch;
    state.counters["bytes"] = static_cast<double>(datagram.size());
    state.counters["plugin_ns"] = pluginPerSend;
    state.counters["liblo_ns"] = libloPerSend;
    state.counters["raw_ns"] = rawPerSend;
    state.counters["ratio"] = pluginPerSend / rawPerSend;
    state.counters["liblo_ratio"] = libloPerSend / rawPerSend;
    // Every send arrives, 3 * kBatch datagrams per iteration: negative when
    // some were lost, positive when someone else sent to the port too.
    state.counters["unexpected"] =
        static_cast<double>(delivered) - static_cast<double>(3 * kBatch * iteration);
}

void SendMessageVsRawSendto(benchmark::State& state) { SendAgainstRawSendto(state, false); }
void SendBundleVsRawSendto(benchmark::State& state) { SendAgainstRawSendto(state, true); }
BENCHMARK(SendMessageVsRawSendto)->Iterations(4000)->Unit(benchmark::kMicrosecond);
BENCHMARK(SendBundleVsRawSendto)->Iterations(4000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
