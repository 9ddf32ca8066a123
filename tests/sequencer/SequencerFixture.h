// One instance of a built library and a receiver on 127.0.0.1:7000.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "PluginHost.h"
#include "Plugins.h"
#include "UdpReceiver.h"

class SequencerFixture {
protected:
    // Loads the variant with `steps` and makes one instance of it.
    void Start(std::uint32_t steps) {
        stepCount = steps;
        std::string error;
        library = hostkit::PluginLibrary::Load(tests::VariantWithSteps(steps).path, &error);
        ASSERT_NE(library, nullptr) << error;
        instance = std::make_unique<hostkit::PluginInstance>(*library);
        ASSERT_TRUE(instance->Valid());
        ASSERT_TRUE(receiver.Bound()) << "UDP port 7000 is taken";
    }

    std::uint32_t Step(std::uint32_t step) const { return Index().Step(step); }  // "Step <step>"
    std::uint32_t LoopEnd() const { return Index().LoopEnd(); }
    std::uint32_t Bundle() const { return Index().Bundle(); }
    tests::ParameterIndex Index() const { return {stepCount}; }
    static constexpr std::uint32_t kCommand = tests::ParameterIndex::kCommand;
    static constexpr std::uint32_t kRun = tests::ParameterIndex::kRun;
    static constexpr std::uint32_t kSmooth = tests::ParameterIndex::kSmooth;
    static constexpr std::uint32_t kStepFollow = tests::ParameterIndex::kStepFollow;

    // The one datagram a set must send, decoded; fails the test if none.
    tests::OscDatagram Next() {
        auto datagram = receiver.Receive(2000);
        if (!datagram) {
            ADD_FAILURE() << "no datagram arrived";
            return {};
        }
        auto decoded = tests::DecodeOsc(*datagram);
        if (!decoded) ADD_FAILURE() << "not an OSC message of one argument";
        return decoded.value_or(tests::OscDatagram{});
    }
    float NextFloat() {
        const auto datagram = Next();
        EXPECT_EQ(datagram.type, 'f');
        return datagram.floatValue;
    }
    std::int32_t NextInt() {
        const auto datagram = Next();
        EXPECT_EQ(datagram.type, 'i');
        return datagram.intValue;
    }
    void ExpectNothing() {
        EXPECT_FALSE(receiver.Receive(50).has_value()) << "an unexpected datagram";
    }

    // Sends step value x through "Step follow" and returns the raw datagram.
    tests::Bytes SendStepValue(float x) {
        instance->Set(kStepFollow, true);
        instance->Set(Step(1), x);
        return receiver.Receive(2000).value_or(tests::Bytes{});
    }

    std::uint32_t stepCount = 0;
    tests::UdpReceiver receiver{7000};  // bound before any instance sends
    std::unique_ptr<hostkit::PluginLibrary> library;
    std::unique_ptr<hostkit::PluginInstance> instance;
};
