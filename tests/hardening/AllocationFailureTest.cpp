// Allocation failing at every point of the factory and of instantiation,
// one point at a time: the call answers failure, nothing that was allocated
// stays behind, and the next call works. (Sends are left out: liblo 0.31's
// lo_message_new writes through an allocation it does not check.)
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "HeapProbe.h"
#include "PluginHost.h"
#include "Plugins.h"

namespace {

using hostkit::PluginInstance;
using hostkit::PluginLibrary;

// Heap and operator new accounting, taken before and after one call.
struct HeapState {
    std::size_t bytes;
    long newBlocks;
    static HeapState Now() {
        return {hostkit::HeapProbe::BytesInUse(), hostkit::HeapProbe::LiveNewBlocks()};
    }
    bool operator==(const HeapState& other) const {
        return bytes == other.bytes && newBlocks == other.newBlocks;
    }
};

std::ostream& operator<<(std::ostream& out, const HeapState& state) {
    return out << state.bytes << " bytes, " << state.newBlocks << " new blocks";
}

// No operator new block outlives the call; on the second pass (the first
// warms liblo and the C library up) no heap byte does either, but for the
// `libloLoss` bytes liblo may lose itself.
void ExpectNothingLeft(const HeapState& before, int pass, std::size_t libloLoss, long skip) {
    const HeapState after = HeapState::Now();
    EXPECT_EQ(after.newBlocks, before.newBlocks) << "allocation " << skip;
    if (pass == 1) {
        EXPECT_GE(after.bytes, before.bytes) << "allocation " << skip;
        EXPECT_LE(after.bytes, before.bytes + libloLoss) << "allocation " << skip;
    }
}

// No run is endless: a call makes far fewer allocations than this.
constexpr long kMostAllocations = 100000;
// The most that liblo 0.31 loses when an allocation fails inside
// lo_address_new (its 5-byte copy of "7000", in a 24-byte block).
constexpr std::size_t kLibloAddressLoss = 32;

class AllocationFailureTest : public ::testing::TestWithParam<tests::Variant> {
protected:
    void SetUp() override {
        std::string error;
        library = PluginLibrary::Load(GetParam().path, &error);
        ASSERT_TRUE(library) << error;
    }
    void TearDown() override {
        hostkit::HeapProbe::Disarm();
        if (library) library->Call(ffgl::kDeinitialise);
    }

    // Code 18 with the `skip`-th allocation from now failing.
    ffgl::HostWord InstantiateFailing(long skip) {
        hostkit::HeapProbe::FailAfter(skip);
        const ffgl::HostWord made = library->Call(ffgl::kInstantiate, ffgl::WordFromAddress(&viewport));
        hostkit::HeapProbe::Disarm();
        return made;
    }

    void ExpectInstantiationWorks() {
        PluginInstance instance(*library);
        ASSERT_TRUE(instance.Valid());
        EXPECT_EQ(instance.Set(1, 0.9f), ffgl::kSuccess);
        EXPECT_EQ(instance.GetFloat(1), 0.9f);
    }

    std::unique_ptr<PluginLibrary> library;
    ffgl::ViewportRecord viewport{0, 0, 640, 360};
};

TEST_P(AllocationFailureTest, PrototypeFactoryFailsCleanlyAtEveryAllocation) {
    long failurePoints = 0;
    for (long skip = 0; skip < kMostAllocations; ++skip) {
        library->Call(ffgl::kDeinitialise);
        const HeapState before = HeapState::Now();
        hostkit::HeapProbe::FailAfter(skip);
        const std::uint32_t status = library->Call32(ffgl::kInitialise);
        hostkit::HeapProbe::Disarm();
        const HeapState after = HeapState::Now();
        if (!hostkit::HeapProbe::Fired()) {
            EXPECT_EQ(status, ffgl::kSuccess);
            break;
        }
        ++failurePoints;
        EXPECT_EQ(status, ffgl::kFailure) << "allocation " << skip;
        EXPECT_EQ(after, before) << "allocation " << skip;
        // Parameter questions still find no prototype, then make one.
        EXPECT_EQ(library->Call32(ffgl::kGetNumParameters), GetParam().Index().Count());
    }
    // The record of every parameter is allocated: the hook reaches the plug-in.
    EXPECT_GT(failurePoints, static_cast<long>(GetParam().stepCount) + 6);
}

TEST_P(AllocationFailureTest, InstantiationFailsCleanlyAtEveryAllocation) {
    ASSERT_EQ(library->Call32(ffgl::kInitialise), ffgl::kSuccess);
    ExpectInstantiationWorks();
    long refused = 0;
    // The first pass makes the state that libc keeps after its first use
    // of each path (name resolution, for one); the second one measures.
    for (int pass = 0; pass < 2; ++pass)
    for (long skip = 0; skip < kMostAllocations; ++skip) {
        const HeapState before = HeapState::Now();
        const ffgl::HostWord made = InstantiateFailing(skip);
        const bool fired = hostkit::HeapProbe::Fired();
        std::size_t libloLoss = 0;
        if (made != ffgl::kAllOnes) {
            // A failure inside liblo while InitGL records the destination
            // leaves an instance without one: it answers, and sends nothing.
            if (fired) {
                EXPECT_TRUE(hostkit::HeapProbe::ProbesMalloc()) << "allocation " << skip;
                // liblo's lo_address_new loses its copy of the port when
                // copying the host fails: a few bytes, liblo's own fault.
                libloLoss = kLibloAddressLoss;
            }
            void* const handle = ffgl::AddressOf<void>(made);
            const ffgl::SetParameterRecord run{1, 0, ffgl::WordFromFloat(0.1f)};
            EXPECT_EQ(library->Call32(ffgl::kSetParameter, ffgl::WordFromAddress(&run), handle), 0u);
            EXPECT_EQ(library->Call32(ffgl::kDeinstantiate, 0, handle), 0u);
        } else {
            ++refused;
            EXPECT_TRUE(fired) << "allocation " << skip;
        }
        ExpectNothingLeft(before, pass, libloLoss, skip);
        if (!fired) break;
        ExpectInstantiationWorks();
    }
    EXPECT_GT(refused, 0);
}

TEST_P(AllocationFailureTest, InstantiationWithoutPrototypeFailsCleanly) {
    ExpectInstantiationWorks();
    for (int pass = 0; pass < 2; ++pass)
    for (long skip = 0; skip < kMostAllocations; ++skip) {
        library->Call(ffgl::kDeinitialise);
        const HeapState before = HeapState::Now();
        const ffgl::HostWord made = InstantiateFailing(skip);
        const bool fired = hostkit::HeapProbe::Fired();
        std::size_t libloLoss = 0;
        if (made != ffgl::kAllOnes) {
            if (fired) libloLoss = kLibloAddressLoss;
            library->Call(ffgl::kDeinstantiate, 0, ffgl::AddressOf<void>(made));
        }
        // A prototype made on the way stays until code 2.
        library->Call(ffgl::kDeinitialise);
        ExpectNothingLeft(before, pass, libloLoss, skip);
        if (!fired) break;
        ExpectInstantiationWorks();
    }
}

// liblo allocates for every send: a failure there drops that one value and
// nothing else. Only where malloc is hooked (not under AddressSanitizer).
INSTANTIATE_TEST_SUITE_P(AllVariants, AllocationFailureTest,
                         ::testing::ValuesIn(tests::AllVariants()));

}  // namespace
