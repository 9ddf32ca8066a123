// Benchmarks of the plug-in as a host drives it, through plugMain.
//
// RunWithinStep/<N>: a "Run" set that stays within its step (nothing sent).
// Send{Message,Bundle}VsRawSendto: a "Run" set with "Smooth" on, which sends
// one datagram, timed from the call of plugMain until it returns (the
// datagram has then been handed to the kernel), in batches that alternate
// with batches of a raw sendto of the very same bytes from a socket opened
// beforehand. Counters, per send: plugin_ns and raw_ns (medians over the
// batches) and ratio = plugin_ns / raw_ns.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
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
    const harness::PluginInstance& instance = plugin.Instance();
    const std::uint32_t run = plugin.Index("Run");
    // Both lie in the step of the default 0.5 for every N.
    const float positions[2] = {0.51f, 0.52f};
    std::size_t call = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(instance.Set(run, positions[call & 1]));
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

void SendAgainstRawSendto(benchmark::State& state, bool bundle) {
    bench::Receiver receiver;
    if (!receiver.Bound()) {
        state.SkipWithError("127.0.0.1:7000 is in use");
        return;
    }
    const bench::PluginUnderTest plugin(VARNELO4_PATH);
    const harness::PluginInstance& instance = plugin.Instance();
    const std::uint32_t run = plugin.Index("Run");
    plugin.PrepareSends(bundle);
    // The first send resolves the destination and opens the socket; the
    // datagram it sends is the one that every later set sends again.
    instance.Set(run, kSendPosition);
    const bench::Bytes datagram = receiver.ReceiveOne(1000);
    const bench::RawSender raw;
    if (datagram.empty() || !raw.Open()) {
        state.SkipWithError("no datagram from the plug-in, or no raw socket");
        return;
    }

    std::vector<double> pluginNs, rawNs;
    std::size_t iteration = 0, delivered = 0;
    const auto sendThroughPlugMain = [&] { instance.Set(run, kSendPosition); };
    const auto sendRaw = [&] { benchmark::DoNotOptimize(raw.Send(datagram)); };
    for (auto _ : state) {
        // Alternate which goes first so that neither always finds the
        // other's datagrams still in the receive queue.
        if (iteration++ % 2 == 0) {
            pluginNs.push_back(TimeBatchNs(sendThroughPlugMain));
            rawNs.push_back(TimeBatchNs(sendRaw));
        } else {
            rawNs.push_back(TimeBatchNs(sendRaw));
            pluginNs.push_back(TimeBatchNs(sendThroughPlugMain));
        }
        state.PauseTiming();
        delivered += receiver.Drain();
        state.ResumeTiming();
    }
    const double pluginPerSend = Median(pluginNs) / kBatch;
    const double rawPerSend = Median(rawNs) / kBatch;
    state.counters["bytes"] = static_cast<double>(datagram.size());
    state.counters["plugin_ns"] = pluginPerSend;
    state.counters["raw_ns"] = rawPerSend;
    state.counters["ratio"] = pluginPerSend / rawPerSend;
    // Every send must arrive: 2 * kBatch datagrams per iteration.
    state.counters["lost"] = static_cast<double>(2 * kBatch * iteration - delivered);
}

void SendMessageVsRawSendto(benchmark::State& state) { SendAgainstRawSendto(state, false); }
void SendBundleVsRawSendto(benchmark::State& state) { SendAgainstRawSendto(state, true); }
BENCHMARK(SendMessageVsRawSendto)->Iterations(4000)->Unit(benchmark::kMicrosecond);
BENCHMARK(SendBundleVsRawSendto)->Iterations(4000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
