// The four built plug-in libraries, for tests that run over every variant.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace testsupport {

struct Variant {
    std::uint32_t stepCount;
    std::string path;  // the built library
};

// Varnelo4, Varnelo8, Varnelo16, Varnelo32, in that order.
const std::vector<Variant>& AllVariants();
const Variant& VariantWithSteps(std::uint32_t stepCount);

inline void PrintTo(const Variant& variant, std::ostream* out) { *out << "N" << variant.stepCount; }

}  // namespace testsupport
