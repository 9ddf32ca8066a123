#include "Plugins.h"

#include <stdexcept>

namespace tests {

const std::vector<Variant>& AllVariants() {
    static const std::vector<Variant> variants = {
        {4, VARNELO4_PATH},
        {8, VARNELO8_PATH},
        {16, VARNELO16_PATH},
        {32, VARNELO32_PATH},
    };
    return variants;
}

const Variant& VariantWithSteps(std::uint32_t stepCount) {
    for (const Variant& variant : AllVariants()) {
        if (variant.stepCount == stepCount) return variant;
    }
    throw std::invalid_argument("no variant with that step count");
}

}  // namespace tests
