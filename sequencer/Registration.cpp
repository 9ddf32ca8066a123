// The library's identity, registered by its static initialiser when the
// host loads it. The four variants differ only in name and identifier.
#include "PluginInfo.h"
#include "Varnelo.h"

namespace sequencer {

namespace {

struct VariantName {
    std::uint32_t stepCount;
    const char* uniqueId;
    const char* name;
};

constexpr VariantName kVariants[] = {
    {4, "VN04", "Varnelo 4"},
    {8, "VN08", "Varnelo 8"},
    {16, "VN16", "Varnelo 16"},
    {32, "VN32", "Varnelo 32"},
};

constexpr const VariantName& ThisVariant() {
    for (const VariantName& variant : kVariants) {
        if (variant.stepCount == Varnelo::kStepCount) return variant;
    }
    return kVariants[0];
}
static_assert(ThisVariant().stepCount == Varnelo::kStepCount);

ffgl::CPluginInfo pluginInfo({
    ThisVariant().uniqueId,
    ThisVariant().name,
    "Varnelo version 1.1",
    "Varnelo OSC step sequencer by the Varnelo developers - https://varnelo.org",
    CreateInstance,
});

}  // namespace

}  // namespace sequencer
