#include "TextureUnit.h"

#include "GlLoader.h"

namespace textureunit {

Decision Decide(int version, const char* extensions) {
    if (extensions == nullptr) return Decision::kUndecided;
    return version >= kFirstVersionWithActiveTexture ? Decision::kCall : Decision::kSkip;
}

void UnitZeroSelector::Select() {
    if (decision_ == Decision::kUndecided) decision_ = Initialise();
    if (decision_ == Decision::kCall) loader_.activeTexture(kUnitZero);
}

// The version is read only beside a readable extension string: a frame
// without one decides nothing, whatever the version says.
Decision UnitZeroSelector::Initialise() const {
    const char* const extensions = loader_.extensions();
    if (extensions == nullptr) return Decision::kUndecided;
    const Decision decision = Decide(loader_.version(), extensions);
    if (decision == Decision::kCall && !loader_.resolveActiveTexture()) return Decision::kSkip;
    return decision;
}

namespace {

// Constant-initialised: ready before any static initialiser of the library
// runs, and never destroyed.
UnitZeroSelector librarySelector({glloader::ContextExtensions, glloader::ContextVersion,
                                  glloader::ResolveActiveTexture, glloader::ActiveTexture});

}  // namespace

void SelectUnitZero() { librarySelector.Select(); }

}  // namespace textureunit
