// A destination URL at the front of the OSC command, through plugMain: the
// datagram goes where the URL says and nowhere else; a URL that does not
// read right sends nothing anywhere; a command without one goes to the
// build's destination, 127.0.0.1:7000. Each test runs in a network
// namespace of its own, so port 7000 is this test's alone.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "PluginHost.h"
#include "Plugins.h"
#include "UdpReceiver.h"

namespace {

using tests::OscMessage;
using tests::ParameterIndex;

class CommandDestination : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(defaultPort.Bound() && urlPort.Bound() && otherUrlPort.Bound());
        std::string error;
        library = hostkit::PluginLibrary::Load(tests::VariantWithSteps(4).path, &error);
        ASSERT_NE(library, nullptr) << error;
        instance = std::make_unique<hostkit::PluginInstance>(*library);
        ASSERT_TRUE(instance->Valid());
    }

    void SetCommand(const std::string& command) {
        instance->Set(ParameterIndex::kCommand, command.c_str());
    }
    // A "Run" set that enters another step: one value due, 0 or 0.5.
    float SendOne() {
        run = run == 0.0f ? 0.5f : 0.0f;
        instance->Set(ParameterIndex::kRun, run);
        return run;
    }
    // Whether `port` receives nothing more within a short wait.
    static bool Quiet(tests::UdpReceiver& port) { return !port.Receive(100).has_value(); }

    tests::UdpReceiver defaultPort{7000};
    tests::UdpReceiver urlPort{0};
    tests::UdpReceiver otherUrlPort{0};
    std::unique_ptr<hostkit::PluginLibrary> library;
    std::unique_ptr<hostkit::PluginInstance> instance;
    float run = 0.5f;  // the default "Run"
};

TEST_F(CommandDestination, AUrlSendsThereAndNowhereElse) {
    SetCommand(urlPort.Url() + "/x f[0:2]");
    const float value = SendOne();
    const auto datagram = urlPort.Receive(2000);
    ASSERT_TRUE(datagram.has_value()) << "nothing arrived on " << urlPort.Port();
    EXPECT_EQ(*datagram, OscMessage("/x", 2.0f * value));
    EXPECT_TRUE(Quiet(defaultPort));
}

TEST_F(CommandDestination, AUrlThatDoesNotReadRightSendsNothingAnywhere) {
    const std::string port = std::to_string(urlPort.Port());
    const std::string refused[] = {
        "osc.udp://example.org:" + port + "/x f", "osc.udp://127.0.0.1:0/x f",
        "osc.tcp://127.0.0.1:" + port + "/x f",   "osc.udp://127.0.0.1/x f",
        "osc.udp://127.0.0.1:" + port + " f",
    };
    for (const std::string& command : refused) {
        SCOPED_TRACE(command);
        SetCommand(command);
        SendOne();
        EXPECT_TRUE(Quiet(urlPort));
        EXPECT_TRUE(Quiet(defaultPort));
    }
    // Corrected, it sends again.
    SetCommand(urlPort.Url() + "/x f");
    SendOne();
    EXPECT_TRUE(urlPort.Receive(2000).has_value());
}

TEST_F(CommandDestination, ACommandWithoutAUrlGoesToTheDefault) {
    SetCommand("/x f");
    const float value = SendOne();
    const auto datagram = defaultPort.Receive(2000);
    ASSERT_TRUE(datagram.has_value()) << "nothing arrived on 7000";
    EXPECT_EQ(*datagram, OscMessage("/x", value));
    EXPECT_TRUE(Quiet(urlPort));
}

// The destination moves with the command, back and forth, and the address,
// type and range change with it.
TEST_F(CommandDestination, TheDestinationMovesWithTheCommand) {
    SetCommand(urlPort.Url() + "/one f");
    SendOne();
    EXPECT_EQ(urlPort.Receive(2000).value_or(tests::Bytes{}), OscMessage("/one", run));
    SetCommand(otherUrlPort.Url() + "/two i[0:10]");
    SendOne();
    EXPECT_EQ(otherUrlPort.Receive(2000).value_or(tests::Bytes{}),
              OscMessage("/two", static_cast<std::int32_t>(run * 10.0f)));
    SetCommand("/three f");
    SendOne();
    EXPECT_EQ(defaultPort.Receive(2000).value_or(tests::Bytes{}), OscMessage("/three", run));
    SetCommand(urlPort.Url() + "/one f");
    SendOne();
    EXPECT_EQ(urlPort.Receive(2000).value_or(tests::Bytes{}), OscMessage("/one", run));
    EXPECT_TRUE(Quiet(urlPort) && Quiet(otherUrlPort) && Quiet(defaultPort));
}

// The process's open descriptors, the plug-in's sockets among them.
std::size_t OpenDescriptors() {
    std::size_t count = 0;
    if (DIR* const folder = opendir("/proc/self/fd")) {
        while (readdir(folder) != nullptr) ++count;
        closedir(folder);
    }
    return count;
}

// A host may set the same text every frame: that costs nothing, and the
// instance keeps one socket. A new destination replaces the socket.
TEST_F(CommandDestination, OneSocketPerInstanceWhateverTheCommandDoes) {
    SetCommand(urlPort.Url() + "/x f");
    SendOne();
    ASSERT_TRUE(urlPort.Receive(2000).has_value());
    const std::size_t descriptors = OpenDescriptors();
    for (int frame = 0; frame < 1000; ++frame) {
        SetCommand(urlPort.Url() + "/x f");
        SendOne();
        ASSERT_TRUE(urlPort.Receive(2000).has_value()) << "frame " << frame;
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
    for (int change = 0; change < 100; ++change) {
        tests::UdpReceiver& port = change % 2 == 0 ? otherUrlPort : urlPort;
        SetCommand(port.Url() + "/x f");
        SendOne();
        ASSERT_TRUE(port.Receive(2000).has_value()) << "change " << change;
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

}  // namespace
