// One instance, "Run" set 1,000,000 times at random with "Smooth" and
// "OSC Bundle" switched now and then, against a receiver that checks every
// datagram: each value that is due arrives once, in order, as the right
// kind of datagram, and the heap does not grow.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <string>

#include "HeapProbe.h"
#include "PluginHost.h"
#include "Plugins.h"
#include "UdpReceiver.h"

namespace {

constexpr long kSets = 1000000;
// Sets between two reads of the receiver: few enough datagrams that the
// socket's default receive buffer never overflows.
constexpr long kSetsPerDrain = 64;

constexpr const char* kAddress = "/hardening/load";

// The next datagram sent to kAddress; those of other senders on the
// machine are passed over.
std::optional<tests::OscDatagram> ReceiveOwn(tests::UdpReceiver& receiver, int timeoutMs) {
    while (const auto datagram = receiver.Receive(timeoutMs)) {
        auto decoded = tests::DecodeOsc(*datagram);
        if (decoded && decoded->address == kAddress) return decoded;
    }
    return std::nullopt;
}

// What the plug-in must send, worked out on the side: the step engine's
// rule in the same single-precision arithmetic.
class ExpectedSends {
public:
    ExpectedSends(std::uint32_t stepCount, const std::vector<float>& steps)
        : stepTotal(static_cast<float>(stepCount)), slotValues(steps) {}

    void SetSmooth(bool on) { smoothOn = on; }
    void SetBundle(bool on) { bundleOn = on; }

    // A "Run" set: the value due, if any, joins the queue.
    void SetRun(float position) {
        if (StepOf(runPosition) == StepOf(position) && !smoothOn) return;
        runPosition = position;
        due.push_back({bundleOn, Current()});
    }

    struct Send {
        bool bundle;
        float value;
    };
    std::deque<Send> due;

private:
    std::int32_t StepOf(float position) const { return static_cast<std::int32_t>(position * stepTotal); }
    float Current() const {
        const float p = runPosition * stepTotal;
        const std::int32_t k = static_cast<std::int32_t>(p);
        const float base = slotValues[static_cast<std::size_t>(k)];
        if (!smoothOn || k >= static_cast<std::int32_t>(stepTotal)) return base;
        const float next = slotValues[static_cast<std::size_t>(k) + 1];
        return (next - base) * (p - static_cast<float>(k)) + base;
    }

    float stepTotal;  // N
    std::vector<float> slotValues;  // the steps, then "Loop end"
    float runPosition = 0.5f;  // the default that instantiation applies
    bool smoothOn = false;
    bool bundleOn = false;
};

class LoadTest : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(LoadTest, EveryDueValueArrivesOnceAndInOrder) {
    const std::uint32_t stepCount = GetParam();
    tests::UdpReceiver receiver{7000};
    ASSERT_TRUE(receiver.Bound());
    std::string error;
    auto library = hostkit::PluginLibrary::Load(tests::VariantWithSteps(stepCount).path, &error);
    ASSERT_TRUE(library) << error;
    {
        hostkit::PluginInstance instance(*library);
        ASSERT_TRUE(instance.Valid());
        const tests::ParameterIndex index{stepCount};
        const std::uint32_t smooth = index.kSmooth;
        const std::uint32_t bundle = index.Bundle();
        instance.Set(0, (std::string(kAddress) + " f").c_str());

        // Distinct step values, so that a value out of order shows.
        std::mt19937 random(20240517u + stepCount);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        std::vector<float> steps;
        for (std::uint32_t slot = 0; slot <= stepCount; ++slot) {
            steps.push_back(unit(random));
            instance.Set(index.Step(slot + 1), steps.back());
        }
        ExpectedSends expected(stepCount, steps);

        std::size_t heapAtStart = 0;
        long received = 0;
        for (long set = 0; set < kSets; ++set) {
            if (random() % 997 == 0) {
                const bool on = random() % 2 == 0;
                if (random() % 2 == 0) {
                    instance.Set(smooth, on);
                    expected.SetSmooth(on);
                } else {
                    instance.Set(bundle, on);
                    expected.SetBundle(on);
                }
            }
            // Mostly anywhere in 0..1; now and then a step boundary or 1.0.
            float position = unit(random);
            if (random() % 16 == 0) {
                position = static_cast<float>(random() % (stepCount + 1)) / static_cast<float>(stepCount);
            }
            ASSERT_EQ(instance.Set(1, position), ffgl::kSuccess);
            expected.SetRun(position);

            if (set % kSetsPerDrain != kSetsPerDrain - 1) continue;
            while (!expected.due.empty()) {
                const auto decoded = ReceiveOwn(receiver, 2000);
                ASSERT_TRUE(decoded) << "a due value never arrived, after " << received;
                const auto send = expected.due.front();
                expected.due.pop_front();
                ASSERT_EQ(decoded->bundle, send.bundle) << "datagram " << received;
                ASSERT_EQ(decoded->floatValue, send.value) << "datagram " << received;
                ++received;
            }
            // Nothing more than what was due.
            ASSERT_FALSE(ReceiveOwn(receiver, 0)) << "a value arrived twice or unasked, after " << received;
            if (heapAtStart == 0 && set >= kSets / 10) heapAtStart = hostkit::HeapProbe::BytesInUse();
        }
        EXPECT_GT(received, kSets / 2);
        // liblo builds and frees each datagram; nothing may pile up.
        EXPECT_LE(hostkit::HeapProbe::BytesInUse(), heapAtStart + 4096);
    }
    library->Call(ffgl::kDeinitialise);
}

INSTANTIATE_TEST_SUITE_P(SmallestAndLargest, LoadTest, ::testing::Values(4u, 32u),
                         [](const auto& info) { return "N" + std::to_string(info.param); });

}  // namespace
