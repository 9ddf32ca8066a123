// A library built with -DVARNELO_OSC_PORT=7001 sends there, and nowhere
// else: its datagram arrives on 127.0.0.1:7001 and nothing on 7000.
#include <gtest/gtest.h>

#include <string>

#include "PluginHost.h"
#include "Plugins.h"
#include "UdpReceiver.h"

namespace {

using tests::ParameterIndex;

TEST(Destination, ABuildForPort7001SendsThere) {
    tests::UdpReceiver defaultPort(7000);
    tests::UdpReceiver otherPort(7001);
    ASSERT_TRUE(defaultPort.Bound() && otherPort.Bound()) << "UDP port 7000 or 7001 is taken";
    std::string error;
    const auto library = hostkit::PluginLibrary::Load(VARNELO4_PORT7001_PATH, &error);
    ASSERT_NE(library, nullptr) << error;
    hostkit::PluginInstance instance(*library);
    ASSERT_TRUE(instance.Valid());
    instance.Set(ParameterIndex::kCommand, "/elsewhere f[0:10]");
    instance.Set(ParameterIndex::kRun, 0.0f);  // from the default's step: value 0 of step 1

    const auto datagram = otherPort.Receive(2000);
    ASSERT_TRUE(datagram.has_value()) << "nothing arrived on 7001";
    EXPECT_EQ(*datagram, tests::OscMessage("/elsewhere", 0.0f));
    EXPECT_FALSE(defaultPort.Receive(100).has_value()) << "a datagram arrived on 7000";
}

}  // namespace
