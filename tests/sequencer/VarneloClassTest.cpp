// The plug-in class itself (four steps), where a host cannot look.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "Varnelo.h"

namespace {

using sequencer::CreateInstance;
using sequencer::Varnelo;
using sequencer::kMaxCommandLength;

std::unique_ptr<Varnelo> MakeVarnelo() {
    ffgl::CFreeFrameGLPlugin* made = nullptr;
    EXPECT_EQ(CreateInstance(&made), ffgl::kSuccess);
    made->selfRegistry = made;
    return std::unique_ptr<Varnelo>(static_cast<Varnelo*>(made));
}

TEST(Varnelo, AccessorsAnswerOnlyForTheirOwnIndices) {
    auto plugin = MakeVarnelo();
    plugin->SetBoolParameter(Varnelo::kBundle, true);
    EXPECT_TRUE(plugin->GetBoolParameter(Varnelo::kBundle));
    EXPECT_EQ(plugin->GetFloatParameter(Varnelo::kBundle), 0.0f);
    EXPECT_EQ(plugin->GetFloatParameter(Varnelo::kSmooth), 0.0f);
    EXPECT_FALSE(plugin->GetBoolParameter(Varnelo::kRun));
    EXPECT_EQ(plugin->GetTextParameter(Varnelo::kRun), ffgl::AddressOf<char>(ffgl::kAllOnes));
    EXPECT_EQ(plugin->SetTextParameter(Varnelo::kRun, "/x"), ffgl::kSuccess);
    EXPECT_STREQ(plugin->GetTextParameter(Varnelo::kCommand), "");
    plugin->SetBoolParameter(Varnelo::kSmooth, true);
    EXPECT_STREQ(plugin->GetParameterDisplay(Varnelo::kSmooth), "0.000000");
}

// Hosts keep "Run" within 0..1; anything else must still read no step
// outside the table and convert no float out of int range.
TEST(Varnelo, RunOutsideTheUnitRangeIsClampedAndNaNIgnored) {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    const struct {
        float given;
        float kept;
        const char* display;
    } cases[] = {
        {std::nanf(""), 0.0f, "Step 1"},
        {-std::nanf(""), 0.0f, "Step 1"},
        {kInf, 1.0f, "Step 5"},
        {-kInf, 0.0f, "Step 1"},
        {-1.0f, 0.0f, "Step 1"},
        {2.0f, 1.0f, "Step 5"},
        {1e30f, 1.0f, "Step 5"},
        {-1e-45f, 0.0f, "Step 1"},
        {std::nextafter(1.0f, 0.0f), std::nextafter(1.0f, 0.0f), "Step 4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        auto plugin = MakeVarnelo();  // runPosition starts at 0, outside InitGL
        plugin->SetBoolParameter(Varnelo::kSmooth, true);
        EXPECT_EQ(plugin->SetFloatParameter(Varnelo::kRun, c.given), ffgl::kSuccess);
        EXPECT_EQ(plugin->GetFloatParameter(Varnelo::kRun), c.kept);
        EXPECT_STREQ(plugin->GetParameterDisplay(Varnelo::kRun), c.display);
    }
}

TEST(Varnelo, LongCommandsAreCutAndStayTerminated) {
    auto plugin = MakeVarnelo();
    const std::string longCommand(4096, 'x');
    plugin->SetTextParameter(Varnelo::kCommand, longCommand.c_str());
    EXPECT_EQ(std::strlen(plugin->GetTextParameter(Varnelo::kCommand)), kMaxCommandLength);
    // An unreadable address is ignored.
    plugin->SetTextParameter(Varnelo::kCommand, reinterpret_cast<const char*>(1));
    plugin->SetTextParameter(Varnelo::kCommand, nullptr);
    EXPECT_EQ(std::strlen(plugin->GetTextParameter(Varnelo::kCommand)), kMaxCommandLength);
}

}  // namespace
