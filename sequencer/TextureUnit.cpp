#include "TextureUnit.h"

#include "GlLoader.h"

namespace sequencer {

UnitZeroDecision DecideUnitZero(int version, const char* extensions) {
    if (extensions == nullptr) return UnitZeroDecision::kUndecided;
    return version >= kFirstVersionWithActiveTexture ? UnitZeroDecision::kCall : UnitZeroDecision::kSkip;
}

void UnitZeroSelector::Select() {
    if (decision == UnitZeroDecision::kUndecided) decision = Initialise();
    if (decision == UnitZeroDecision::kCall) loader.activeTexture(kUnitZero);
}

// The version is read only beside a readable extension string: a frame
// without one decides nothing, whatever the version says.
UnitZeroDecision UnitZeroSelector::Initialise() const {
    const char* const extensions = loader.extensions();
    if (extensions == nullptr) return UnitZeroDecision::kUndecided;
    const UnitZeroDecision decided = DecideUnitZero(loader.version(), extensions);
    if (decided == UnitZeroDecision::kCall && !loader.resolveActiveTexture()) {
        return UnitZeroDecision::kSkip;
    }
    return decided;
}

namespace {

// Constant-initialised: ready before any static initialiser of the library
// runs, and never destroyed.
UnitZeroSelector librarySelector({platform::ContextExtensions, platform::ContextVersion,
                                  platform::ResolveActiveTexture, platform::ActiveTexture});

}  // namespace

void SelectUnitZero() { librarySelector.Select(); }

}  // namespace sequencer
