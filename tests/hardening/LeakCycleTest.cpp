// A library loaded, 1,000 instances made, each sending messages and
// bundles, released, and the library unloaded with dlclose: the process has
// as many open file descriptors as before. Run natively by every build, and
// under valgrind memcheck by tools/check.d/35-valgrind.sh, where no byte
// may be definitely or indirectly lost.
#include <dirent.h>
#include <gtest/gtest.h>

#include <string>

#include "PluginHost.h"
#include "Plugins.h"
#include "UdpReceiver.h"

namespace {

constexpr int kCycles = 1000;

// Open descriptors of this process, the one reading /proc/self/fd included.
int OpenDescriptors() {
    DIR* const fds = opendir("/proc/self/fd");
    if (fds == nullptr) return -1;
    int count = 0;
    while (const dirent* entry = readdir(fds)) {
        if (entry->d_name[0] != '.') ++count;
    }
    closedir(fds);
    return count;
}

// One instance's life: messages, then bundles, with the command changed
// in between, the display read and a frame with nothing to draw.
int OneCycle(const hostkit::PluginLibrary& library, std::uint32_t stepCount, int cycle) {
    hostkit::PluginInstance instance(library);
    if (!instance.Valid()) return 0;
    const std::string command = "/cycle/" + std::to_string(cycle) + " f[0:100]";
    instance.Set(0, command.c_str());
    instance.Set(1, 0.0f);  // from the default's step: sends
    instance.Set(1, 0.99f);
    instance.Set(tests::ParameterIndex{stepCount}.Bundle(), true);
    instance.Set(0, "/cycle/bundle i[0:10]");
    instance.Set(1, 0.3f);
    instance.Set(2, true);  // smooth: every set sends
    instance.Set(1, 0.31f);
    instance.Set(1, 0.31f);  // the same value again, sent again
    (void)instance.Display(1);
    const ffgl::ProcessOpenGLRecord noInput{0, 0, nullptr};
    instance.ProcessFrame(noInput);
    return 5;
}

// Datagrams from this test's instances until `quietMs` pass without one;
// those of other senders on the machine are not counted.
int ReceiveOwn(tests::UdpReceiver& receiver, int quietMs) {
    int own = 0;
    for (const auto& datagram : receiver.ReceiveAll(quietMs)) {
        const auto decoded = tests::DecodeOsc(datagram);
        if (decoded && decoded->address.rfind("/cycle/", 0) == 0) ++own;
    }
    return own;
}

class LeakCycleTest : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(LeakCycleTest, ThousandInstancesLeaveNoDescriptorOrDatagramBehind) {
    tests::UdpReceiver receiver(7000, 1 << 20);
    ASSERT_TRUE(receiver.Bound());
    const int descriptorsBefore = OpenDescriptors();
    {
        std::string error;
        auto library = hostkit::PluginLibrary::Load(tests::VariantWithSteps(GetParam()).path, &error);
        ASSERT_TRUE(library) << error;
        int sent = 0;
        int received = 0;
        for (int cycle = 0; cycle < kCycles; ++cycle) {
            sent += OneCycle(*library, GetParam(), cycle);
            // Read as we go, so that no datagram is dropped for want of room.
            if (cycle % 20 == 19) received += ReceiveOwn(receiver, 50);
        }
        received += ReceiveOwn(receiver, 200);
        EXPECT_EQ(sent, 5 * kCycles);
        EXPECT_EQ(received, sent);
        EXPECT_EQ(library->Call32(ffgl::kDeinitialise), ffgl::kSuccess);
    }  // dlclose
    EXPECT_EQ(OpenDescriptors(), descriptorsBefore);
}

INSTANTIATE_TEST_SUITE_P(Variants, LeakCycleTest, ::testing::Values(4u, 32u),
                         [](const auto& info) { return "N" + std::to_string(info.param); });

}  // namespace
