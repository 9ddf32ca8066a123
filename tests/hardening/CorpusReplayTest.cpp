// Every seed of the host-call fuzzer and every input that once made it fail,
// played against each built library as a host would send it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "HostCalls.h"
#include "Plugins.h"

namespace {

std::vector<std::filesystem::path> Inputs() {
    std::vector<std::filesystem::path> inputs;
    for (const char* folder : {VARNELO_FUZZ_CORPUS, VARNELO_FUZZ_CRASHES}) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.is_regular_file() && entry.path().filename() != "README") {
                inputs.push_back(entry.path());
            }
        }
    }
    return inputs;
}

std::vector<std::uint8_t> Contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CorpusReplayTest : public ::testing::TestWithParam<tests::Variant> {};

TEST_P(CorpusReplayTest, EveryInputPlaysWithoutAFault) {
    void* const library = dlopen(GetParam().path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const auto plugMain = reinterpret_cast<PlugMainFunction>(dlsym(library, "plugMain"));
    ASSERT_NE(plugMain, nullptr);
    const auto inputs = Inputs();
    ASSERT_FALSE(inputs.empty());
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.filename().string());
        const std::vector<std::uint8_t> calls = Contents(input);
        tests::Play(plugMain, calls.data(), calls.size());
    }
    dlclose(library);
}

INSTANTIATE_TEST_SUITE_P(AllVariants, CorpusReplayTest, ::testing::ValuesIn(tests::AllVariants()));

}  // namespace
