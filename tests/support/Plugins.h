// The four built plug-in libraries, for tests that run over every variant.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace tests {

// The parameter indices of a variant with `stepCount` steps, by name.
struct ParameterIndex {
    static constexpr std::uint32_t kCommand = 0;
    static constexpr std::uint32_t kRun = 1;
    static constexpr std::uint32_t kSmooth = 2;
    static constexpr std::uint32_t kStepFollow = 3;

    std::uint32_t stepCount;
    // "Step <step>", counted from 1 as the names count.
    std::uint32_t Step(std::uint32_t step) const { return kStepFollow + step; }
    std::uint32_t LoopEnd() const { return Step(stepCount) + 1; }
    std::uint32_t Bundle() const { return LoopEnd() + 1; }
    std::uint32_t Count() const { return Bundle() + 1; }  // how many parameters
};

struct Variant {
    std::uint32_t stepCount;
    std::string path;  // the built library

    ParameterIndex Index() const { return {stepCount}; }
};

// Varnelo4, Varnelo8, Varnelo16, Varnelo32, in that order.
const std::vector<Variant>& AllVariants();
const Variant& VariantWithSteps(std::uint32_t stepCount);

inline void PrintTo(const Variant& variant, std::ostream* out) { *out << "N" << variant.stepCount; }

}  // namespace tests
