// All four libraries in one host process, loaded with RTLD_GLOBAL as some
// hosts do: each keeps its own registration, prototype and instances.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "FreeFrameGL.h"
#include "PluginHost.h"
#include "Plugins.h"

namespace {

TEST(SideBySide, EachLibraryAnswersForItself) {
    std::vector<std::unique_ptr<hostkit::PluginLibrary>> libraries;
    for (const auto& variant : tests::AllVariants()) {
        std::string error;
        libraries.push_back(hostkit::PluginLibrary::Load(variant.path, RTLD_GLOBAL, &error));
        ASSERT_NE(libraries.back(), nullptr) << error;
    }
    // Build every prototype, then drop one library's: the others keep theirs.
    for (const auto& library : libraries) ASSERT_EQ(library->Call32(ffgl::kInitialise), 0u);
    ASSERT_EQ(libraries[0]->Call32(ffgl::kDeinitialise), 0u);

    std::vector<std::unique_ptr<hostkit::PluginInstance>> instances;
    for (std::size_t i = 0; i < libraries.size(); ++i) {
        const tests::Variant& variant = tests::AllVariants()[i];
        const std::uint32_t steps = variant.stepCount;
        const auto& library = *libraries[i];
        EXPECT_EQ(library.Name(), "Varnelo " + std::to_string(steps));
        EXPECT_EQ(library.ParameterCount(), variant.Index().Count());
        EXPECT_EQ(library.ParameterName(variant.Index().LoopEnd()), "Loop end");
        instances.push_back(std::make_unique<hostkit::PluginInstance>(library));
        ASSERT_TRUE(instances.back()->Valid());
        instances.back()->Set(1, 0.99f);
        // The "Step %i" display is per library: each shows its own last step.
        EXPECT_EQ(instances.back()->Display(1), "Step " + std::to_string(steps));
    }
    for (std::size_t i = 0; i < instances.size(); ++i) {
        const tests::Variant& variant = tests::AllVariants()[i];
        const std::uint32_t steps = variant.stepCount;
        EXPECT_EQ(instances[i]->Display(1), "Step " + std::to_string(steps));
    }
}

}  // namespace
